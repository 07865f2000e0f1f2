#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDS_SETUP_DESCRIPTION 102
#define IDS_RETRIEVE_DESCRIPTION 103
#define IDS_STOP_MENU 104
#define IDS_SETUP_MENU 105
#define IDS_STOP_DESCRIPTION 106
#define IDS_RETRIEVE_MENU 107
#define IDS_STATUS_FETCHING 108
#define IDS_STATUS_SAVING 109
#define IDS_STATUS_FAILED 110

#define IDB_TOOLBAR 120
#define IDI_PLUGIN 122
