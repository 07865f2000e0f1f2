#pragma once
// The about box.

#define IDD_ABOUT 110
#define IDC_ABOUT_VERSION 1048
#define IDC_ABOUT_WEB_PAGE 1044
