#include "ui/LinkListView.h"

#include <commctrl.h>

#include <cwchar>
#include <iterator>

#include "ui/LinkHealth.h"

namespace {

enum Column { TitleColumn, UrlColumn, LastRetrievedColumn, TypeColumn };

const struct {
    const wchar_t* title;
    int width;
} kColumns[] = {{L"标题", 150}, {L"URL", 150}, {L"最后收取时间", 110}, {L"类型", 43}};

// State images of a check-box list view: 1 unchecked, 2 checked.
constexpr UINT kUncheckedImage = 1;
constexpr UINT kCheckedImage = 2;

void setCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

void insertRow(HWND list, int row, const LinkEntry& link) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(link.title.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    setCellText(list, row, UrlColumn, link.url);
    setCellText(list, row, LastRetrievedColumn, lastRetrievedText(link.lastRetrieved));
    const std::wstring failureMark = isMarkedFailing(linkStateOf(link.url)) ? L"!" : L"";
    setCellText(list, row, TypeColumn, failureMark + linkTypeText(link));
    ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(link.enabled ? kCheckedImage : kUncheckedImage),
                          LVIS_STATEIMAGEMASK);
}

const wchar_t* modeLetter(int32_t mode, const wchar_t* const (&letters)[3]) {
    return mode >= 0 && mode < 3 ? letters[mode] : L"";
}

}  // namespace

void setUpLinkList(HWND list) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void showLinks(HWND list, const std::vector<LinkEntry>& links, int selectedLink) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < links.size(); ++i) insertRow(list, static_cast<int>(i), links[i]);
    if (selectedLink >= 0) selectRow(list, selectedLink);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void readLinkChecks(HWND list, std::vector<LinkEntry>& links) {
    const int rows = ListView_GetItemCount(list);
    for (int i = 0; i < rows && i < static_cast<int>(links.size()); ++i) {
        links[static_cast<size_t>(i)].enabled = ListView_GetCheckState(list, i) ? 1 : 0;
    }
}

int selectedRow(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

bool selectRow(HWND list, int row) {
    if (row < 0 || row >= ListView_GetItemCount(list)) return false;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
    return true;
}

void fillInfoTip(NMLVGETINFOTIPW& request, const std::vector<LinkEntry>& links) {
    if (request.iItem < 0 || static_cast<size_t>(request.iItem) >= links.size()) return;
    const std::wstring tip = linkHealthText(linkStateOf(links[static_cast<size_t>(request.iItem)].url));
    lstrcpynW(request.pszText, tip.c_str(), request.cchTextMax);
}

std::wstring lastRetrievedText(int64_t lastRetrieved) {
    SYSTEMTIME local = {};
    if (lastRetrieved == 0 || !toLocalCalendarTime(lastRetrieved, &local)) return L"----/--/-- --:--:--";
    wchar_t text[64] = {};
    std::swprintf(text, std::size(text), L"%02u/%02u/%02u %02u:%02u:%02u", local.wYear % 100u, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond);
    return text;
}

std::wstring linkTypeText(const LinkEntry& link) {
    static const wchar_t* const kSenderLetters[3] = {L"S", L"T", L"D"};
    static const wchar_t* const kHtmlLetters[3] = {L"B", L"N", L"G"};
    return std::wstring(modeLetter(link.senderMode, kSenderLetters)) + L"/" + modeLetter(link.htmlMode, kHtmlLetters);
}
