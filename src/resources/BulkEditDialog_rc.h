#pragma once
// The bulk edit dialog; its mode radios and pickers are in LinkFields_rc.h.
#include "LinkFields_rc.h"

#define IDD_BULK_EDIT 112
#define IDC_BULK_SET_ENABLED 1039
#define IDC_BULK_ENABLED_ON 1052
#define IDC_BULK_ENABLED_OFF 1053
#define IDC_BULK_SET_SENDER_MODE 1051
#define IDC_BULK_SET_HTML_MODE 1067
#define IDC_BULK_SET_LAST_RETRIEVED 1041
