#pragma once
// The link properties dialog; its mode radios and pickers are in LinkFields_rc.h.
#include "LinkFields_rc.h"

#define IDD_LINK_PROPERTIES 106
#define IDC_LINK_ENABLED 1027
#define IDC_LINK_OPEN_HTML 1044
#define IDC_LINK_OPEN_XML 1012
#define IDC_LINK_TITLE 1013
#define IDC_LINK_URL 1014
