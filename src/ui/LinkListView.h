#pragma once
// The settings dialog's list of links: a report-view list with a check box per row (the
// link's part in retrieve-all runs) and four columns, rebuilt whole from the links.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/Settings.h"

// Grid lines, check boxes, full-row select, info tips and the four columns.
void setUpLinkList(HWND list);

// One row per link, in order; `selectedLink` (when 0 or more) ends selected and in view.
void showLinks(HWND list, const std::vector<LinkEntry>& links, int selectedLink);

// Each row's check box into `enabled` of the link at the same index.
void readLinkChecks(HWND list, std::vector<LinkEntry>& links);

// The selected row; -1 when none is.
int selectedRow(HWND list);
// Selects `row` and scrolls it into view; false when there is no such row.
bool selectRow(HWND list, int row);

// The tip the list asks for when the pointer rests on a row: how the link has been faring.
void fillInfoTip(NMLVGETINFOTIPW& request, const std::vector<LinkEntry>& links);

// "----/--/-- --:--:--" for never, else the local time as "yy/mm/dd hh:mm:ss".
std::wstring lastRetrievedText(int64_t lastRetrieved);
// The sender and HTML mode letters of the link dialog's radios: "D/N" for a new link. The
// list puts "!" before them for a link that has been failing for long.
std::wstring linkTypeText(const LinkEntry& link);
