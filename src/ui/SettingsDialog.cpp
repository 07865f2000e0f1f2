#include "ui/SettingsDialog.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "common/Clock.h"
#include "common/Handles.h"
#include "common/PluginModule.h"
#include "common/RunState.h"
#include "common/TextConversion.h"
#include "feed/FeedDiscovery.h"
#include "feed/FeedFetcher.h"
#include "feed/OpmlImport.h"
#include "feed/ResponseBody.h"
#include "resources/SettingsDialog_rc.h"
#include "settings/InternetShortcut.h"
#include "settings/Mailboxes.h"
#include "settings/Settings.h"
#include "ui/AboutDialog.h"
#include "ui/BulkEditDialog.h"
#include "ui/DialogControls.h"
#include "ui/DialogFrame.h"
#include "ui/DialogHelpers.h"
#include "ui/FieldText.h"
#include "ui/LinkDropTarget.h"
#include "ui/LinkFields.h"
#include "ui/LinkListView.h"
#include "ui/LinkPropertiesDialog.h"
#include "ui/Messages.h"
#include "ui/OtherSettingsDialog.h"

namespace {

#define NO_MAILBOX_TEXT \
    L"受信フォルダが設定されていません\n(Mirvel!のメールボックスの設定の、[メールボックス名]を設定しておいてください)"
constexpr wchar_t kNoMailboxText[] = NO_MAILBOX_TEXT;
constexpr wchar_t kNoMailboxQuestion[] = NO_MAILBOX_TEXT L"\nこのままでよろしいですか?";
#undef NO_MAILBOX_TEXT
constexpr wchar_t kDeleteQuestion[] = L"真的要删除吗?";
constexpr wchar_t kAlreadySubscribedText[] = L"リンクが既に設定されています";
constexpr wchar_t kNotALinkText[] =
    L"RSS/RDF/OPMLのリンクとして読み込めませんでした\n(タイムアウトになっている場合があります)";
constexpr wchar_t kRetrieveCaption[] = L"全收取(&R)";
constexpr wchar_t kStopCaption[] = L"停止(&R)";
constexpr int kMinInterval = 1;
constexpr int kMaxInterval = 1440;
constexpr int32_t kOpmlTimeoutSeconds = 5;
constexpr int kButtonTextLength = 46;
constexpr int kButtonTextIndent = 30;
constexpr int kFocusInset = 4;

const ModeRadio kScheduleRadioList[] = {{IDC_SCHEDULE_OFF, ScheduleOff},
                                        {IDC_SCHEDULE_AFTER_HOST, ScheduleAfterHostRetrieval},
                                        {IDC_SCHEDULE_INTERVAL, ScheduleEveryInterval}};
const ModeRadios kScheduleRadios = {kScheduleRadioList, std::size(kScheduleRadioList)};

// The controls a run started here keeps disabled; Cancel, About and Help stay usable.
const std::initializer_list<int> kIdleOnlyControls = {
    IDC_APPLY, IDOK, IDC_EDIT, IDC_NEW, IDC_BULK_EDIT, IDC_ALWAYS_TOP, IDC_MAILBOX,
    IDC_SCHEDULE_OFF, IDC_SCHEDULE_AFTER_HOST, IDC_SCHEDULE_INTERVAL, IDC_INTERVAL, IDC_INTERVAL_SPIN,
    IDC_LINK_LIST, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_DELETE, IDC_OTHER_SETTINGS};

struct ButtonImage {
    int image;
    int mask;
};
const ButtonImage kButtonImages[] = {{IDB_RETRIEVE_BUTTON, IDB_RETRIEVE_BUTTON_MASK},
                                     {IDB_STOP_BUTTON, IDB_STOP_BUTTON_MASK},
                                     {IDB_GEARS_BUTTON, IDB_GEARS_BUTTON_MASK}};
enum ButtonImageKind { RetrieveImage, StopImage, GearsImage };

// What the one open dialog keeps besides its controls; the setup command refuses to open a
// second one while it shows.
struct OpenDialog {
    CommandCallback requestRetrieval = nullptr;
    DropTargetRegistration dropTarget;
};
OpenDialog* openDialog = nullptr;

// Drops are refused while a sub-dialog shows: it may be editing the shared link record.
class ReadyCleared {
public:
    ReadyCleared() { runState.ready = 0; }
    ~ReadyCleared() { runState.ready = 1; }
    ReadyCleared(const ReadyCleared&) = delete;
    ReadyCleared& operator=(const ReadyCleared&) = delete;
};

HWND linkList(HWND dialog) { return GetDlgItem(dialog, IDC_LINK_LIST); }

void enableApply(HWND dialog, bool enabled = true) { enableControls(dialog, {IDC_APPLY}, enabled); }

void followScheduleRadios(HWND dialog) {
    enableControls(dialog, {IDC_INTERVAL, IDC_INTERVAL_SPIN}, isChecked(dialog, IDC_SCHEDULE_INTERVAL));
}

void applyAlwaysTop(HWND dialog) {
    const HWND hostWindow = hostMainWindow();
    const UINT zOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOSENDCHANGING;
    if (isChecked(dialog, IDC_ALWAYS_TOP)) {
        pluginSettings.AlwaysTop = 1;
        ShowWindow(hostWindow, SW_HIDE);
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, zOrderOnly);
    } else {
        pluginSettings.AlwaysTop = 0;
        SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, zOrderOnly);
        ShowWindow(hostWindow, SW_SHOWNA);
    }
    enableApply(dialog);
}

// `selectedLink` ends selected and in view when it is 0 or more.
void fillControls(HWND dialog, int selectedLink) {
    const PluginSettings& s = pluginSettings;
    checkModeRadio(dialog, kScheduleRadios, s.ScheduleType);
    followScheduleRadios(dialog);
    setFieldText(dialog, IDC_INTERVAL, std::to_wstring(s.Interval));
    showLinks(linkList(dialog), s.links, selectedLink);
    setFieldText(dialog, IDC_LINK_COUNT, L"( " + std::to_wstring(s.links.size()) + L" 行 )");
    setChecked(dialog, IDC_ALWAYS_TOP, s.AlwaysTop != 0);
    applyAlwaysTop(dialog);
}

// After an edit of the list: the rows rebuilt, `row` (else the first) selected, Apply enabled.
void showEditedLinks(HWND dialog, int row) {
    fillSettingsControls(dialog);
    if (!selectRow(linkList(dialog), row)) selectRow(linkList(dialog), 0);
    enableApply(dialog);
}

void fillMailboxes(HWND dialog) {
    MailboxList names;
    listMailboxes(names);
    for (const std::string& name : names) {
        SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fromAnsi(name).c_str()));
    }
    // The first name that begins with the stored one, in any letter case.
    if (SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(pluginSettings.Mailbox.c_str())) == CB_ERR) {
        SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_SETCURSEL, 0, 0);
    }
}

std::wstring selectedMailbox(HWND dialog, bool& selected) {
    const LRESULT index = SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_GETCURSEL, 0, 0);
    selected = index != CB_ERR;
    if (!selected) return {};
    const LRESULT length = SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring name(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendDlgItemMessageW(dialog, IDC_MAILBOX, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(name.data()));
    name.resize(name.find(L'\0'));
    return name;
}

void closeDialog(HWND dialog, INT_PTR result) {
    runState.notifyDialog = nullptr;
    if (result != IDOK) requestRunStop();
    rememberDialogPosition(dialog);
    openDialog->dropTarget.revoke();
    EndDialog(dialog, result);
}

// Shows the retrieving look and starts the run; back to idle when the run did not start.
void startRun(HWND dialog, int singleLink) {
    readSettingsControls(dialog);
    saveSettings(iniPath);  // the run starts from the file
    setRetrievalControls(dialog, false);
    runState.notifyDialog = dialog;
    runState.singleLinkIndex = singleLink;
    InvalidateRect(dialog, nullptr, TRUE);
    openDialog->requestRetrieval(dialog, 1);
    if (runState.running) return;
    runState.notifyDialog = nullptr;
    runState.singleLinkIndex = -1;
    setRetrievalControls(dialog, true);
    followScheduleRadios(dialog);
}

void retrieveOrStop(HWND dialog) {
    if (runState.running) {
        requestRunStop();
        enableControls(dialog, {IDC_RETRIEVE}, false);
        return;
    }
    startRun(dialog, -1);
}

void refreshAfterRun(HWND dialog, int runLink) {
    setRetrievalControls(dialog, true);
    fillControls(dialog, runLink);
}

void moveSelectedLink(HWND dialog, int step) {
    const int row = selectedRow(linkList(dialog));
    const int target = row + step;
    if (row < 0 || target < 0 || target >= static_cast<int>(pluginSettings.links.size())) return;
    readSettingsControls(dialog);
    std::swap(pluginSettings.links[static_cast<size_t>(row)], pluginSettings.links[static_cast<size_t>(target)]);
    showEditedLinks(dialog, target);
}

// SHIFT as it was when the click or key that led here was sent.
bool shiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

void deleteSelectedLink(HWND dialog) {
    const int row = selectedRow(linkList(dialog));
    if (row < 0) return;
    if (!shiftHeld() && !askYesNo(dialog, kDeleteQuestion, MB_ICONINFORMATION)) return;
    readSettingsControls(dialog);
    pluginSettings.links.erase(pluginSettings.links.begin() + row);
    showEditedLinks(dialog, row);
}

void editSelectedLink(HWND dialog) {
    const ReadyCleared busy;
    const int row = selectedRow(linkList(dialog));
    if (row < 0) return;
    readSettingsControls(dialog);
    editLink = pluginSettings.links[static_cast<size_t>(row)];
    if (LinkPropertiesDialog(dialog) != IDOK) return;
    pluginSettings.links[static_cast<size_t>(row)] = editLink;
    showEditedLinks(dialog, row);
}

void addNewLink(HWND dialog) {
    const ReadyCleared busy;
    readSettingsControls(dialog);
    editLink = LinkEntry{};
    if (LinkPropertiesDialog(dialog) != IDOK) return;
    pluginSettings.links.push_back(editLink);
    showEditedLinks(dialog, static_cast<int>(pluginSettings.links.size()) - 1);
}

void editAllLinks(HWND dialog) {
    const ReadyCleared busy;
    readSettingsControls(dialog);
    if (BulkEditDialog(dialog) != IDOK) return;
    fillSettingsControls(dialog);
    enableApply(dialog);
}

void editOtherSettings(HWND dialog) {
    const ReadyCleared busy;
    if (OtherSettingsDialog(dialog) == IDOK) enableApply(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
}

void showAbout(HWND dialog) {
    const ReadyCleared busy;
    AboutDialog(dialog);
}

void setSelectedLastRetrieved(HWND dialog, int64_t time) {
    const int row = selectedRow(linkList(dialog));
    if (row < 0) return;
    readSettingsControls(dialog);
    pluginSettings.links[static_cast<size_t>(row)].lastRetrieved = time;
    showEditedLinks(dialog, row);
}

void apply(HWND dialog) {
    readSettingsControls(dialog);
    if (pluginSettings.Mailbox.empty()) showWarning(dialog, kNoMailboxText);
    rememberDialogPosition(dialog);
    saveSettings(iniPath);
    enableApply(dialog, false);
}

void accept(HWND dialog) {
    // Enter reaches the default button even while a run keeps it disabled.
    if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return;
    readSettingsControls(dialog);
    if (pluginSettings.Mailbox.empty() && !askYesNo(dialog, kNoMailboxQuestion, MB_ICONWARNING)) return;
    closeDialog(dialog, IDOK);
}

// The selected link, or null when no row is selected.
const LinkEntry* selectedLink(HWND dialog) {
    const int row = selectedRow(linkList(dialog));
    return row < 0 ? nullptr : &pluginSettings.links[static_cast<size_t>(row)];
}

// The web page of the selected link's feed, as its channel link names it.
void useFeedPage(HWND dialog, void (*use)(HWND dialog, const std::wstring& page)) {
    const LinkEntry* link = selectedLink(dialog);
    if (!link) return;
    FeedFetcher fetcher;
    if (trialLoadFeed(fetcher, link->url)) {
        use(dialog, fetcher.feedLink);
    } else {
        showWarning(dialog, kFeedNotLoadableText);
    }
}

void useSelectedLinkText(HWND dialog, std::wstring LinkEntry::*field,
                         void (*use)(HWND dialog, const std::wstring& text)) {
    if (const LinkEntry* link = selectedLink(dialog)) use(dialog, link->*field);
}

void retrieveSelectedLink(HWND dialog) {
    if (!runState.running) startRun(dialog, selectedRow(linkList(dialog)));
}

void command(HWND dialog, int id, int notification) {
    if (id == IDC_MAILBOX) {
        // Arrow keys on the closed list change the choice without CBN_SELENDOK.
        if (notification == CBN_SELENDOK || notification == CBN_SELCHANGE) enableApply(dialog);
        return;
    }
    if (id == IDC_INTERVAL) {
        if (notification == EN_CHANGE) enableApply(dialog);
        return;
    }
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDOK: accept(dialog); break;
        case IDC_MOVE_UP: moveSelectedLink(dialog, -1); break;
        case IDC_MOVE_DOWN: moveSelectedLink(dialog, 1); break;
        case IDC_DELETE:
        case IDM_DELETE_LINK: deleteSelectedLink(dialog); break;
        case IDC_EDIT:
        case IDM_EDIT_LINK: editSelectedLink(dialog); break;
        case IDC_NEW: addNewLink(dialog); break;
        case IDC_OTHER_SETTINGS: editOtherSettings(dialog); break;
        case IDC_ABOUT: showAbout(dialog); break;
        case IDC_BULK_EDIT: editAllLinks(dialog); break;
        case IDC_ALWAYS_TOP: applyAlwaysTop(dialog); break;
        case IDC_HELP_BUTTON: showHelpTopic(dialog, L".chm::/what.htm"); break;
        case IDC_APPLY: apply(dialog); break;
        case IDC_RETRIEVE: retrieveOrStop(dialog); break;
        case IDC_SCHEDULE_OFF:
        case IDC_SCHEDULE_AFTER_HOST:
        case IDC_SCHEDULE_INTERVAL:
            followScheduleRadios(dialog);
            enableApply(dialog);
            break;
        case IDM_OPEN_HTML: useFeedPage(dialog, openWithShell); break;
        case IDM_COPY_HTML_LINK: useFeedPage(dialog, copyTextToClipboard); break;
        case IDM_OPEN_XML: useSelectedLinkText(dialog, &LinkEntry::url, openWithShell); break;
        case IDM_COPY_XML_LINK: useSelectedLinkText(dialog, &LinkEntry::url, copyTextToClipboard); break;
        case IDM_COPY_TITLE: useSelectedLinkText(dialog, &LinkEntry::title, copyTextToClipboard); break;
        case IDM_RETRIEVE_LINK: retrieveSelectedLink(dialog); break;
        case IDM_CLEAR_LAST_RETRIEVED: setSelectedLastRetrieved(dialog, 0); break;
        case IDM_LAST_RETRIEVED_NOW: setSelectedLastRetrieved(dialog, currentTime()); break;
    }
}

// Loaded on first use and kept for the life of the process.
HMENU linkPopupMenu() {
    static const HMENU menu = LoadMenuW(pluginInstance, MAKEINTRESOURCEW(IDM_LINK_POPUP));
    return menu;
}

void showLinkPopupMenu(HWND dialog) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    TrackPopupMenu(GetSubMenu(linkPopupMenu(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, dialog, nullptr);
}

bool stateImageChanged(const NMLISTVIEW& change) {
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
}

void handleListNotification(HWND dialog, NMHDR& header) {
    switch (header.code) {
        case NM_DBLCLK: editSelectedLink(dialog); break;
        case NM_RCLICK:
            if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) showLinkPopupMenu(dialog);
            break;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) deleteSelectedLink(dialog);
            break;
        case LVN_ITEMCHANGED:
            if (stateImageChanged(reinterpret_cast<const NMLISTVIEW&>(header))) enableApply(dialog);
            break;
        case LVN_GETINFOTIPW:
            // A run changes what is remembered of the links as it goes.
            if (!runState.running) fillInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(header), pluginSettings.links);
            break;
    }
}

void drawOwnerDrawnButton(const DRAWITEMSTRUCT& item) {
    RECT frame = item.rcItem;
    DrawFrameControl(item.hDC, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (item.itemState & ODS_SELECTED ? DFCS_PUSHED : 0));
    wchar_t text[kButtonTextLength + 1] = {};
    GetWindowTextW(item.hwndItem, text, kButtonTextLength + 1);
    RECT textArea = item.rcItem;
    textArea.left += kButtonTextIndent;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(item.hDC, text, -1, &textArea, DT_SINGLELINE | DT_VCENTER);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(item.hDC, &focus);
    }
    const int kind = item.CtlID == IDC_RETRIEVE ? (runState.running ? StopImage : RetrieveImage) : GearsImage;
    // Around the image the button's own face shows, not the context's default brush.
    const HGDIOBJ previousBrush = SelectObject(item.hDC, GetSysColorBrush(COLOR_BTNFACE));
    drawButtonImage(item.hDC, kind);
    SelectObject(item.hDC, previousBrush);
}

// Text that no link line could hold whole, with the longest title the link dialog accepts.
bool fitsAsNewLink(const std::wstring& url) {
    LinkEntry widest;
    widest.url = url;
    widest.title.assign(kMaxFieldBytes, L'x');
    return fitsInLinkLine(widest);
}

bool importOpmlWithWaitCursor(const std::wstring& url, HttpGetResult& htmlPage) {
    const WaitCursor cursor;
    return importOpml(url, kOpmlTimeoutSeconds, &htmlPage);
}

// The feed that a web page's head names; empty for no page or none named.
std::wstring discoveredFeedUrl(const HttpGetResult& htmlPage, const std::wstring& pageUrl) {
    if (htmlPage.outcome != HttpGetResult::Received) return {};
    const Charset charset = PageCharset(htmlPage.body, htmlPage.contentType);
    return FindFeedUrl(MultiByteToText(charset.codePage, htmlPage.body), pageUrl);
}

// The link dialog for a feed that loaded; OK adds the link at the end of the list.
void addLoadedFeed(HWND dialog, const std::wstring& url, const FeedFetcher& fetcher) {
    editLink = LinkEntry{};
    editLink.url = url;
    editLink.title = fetcher.feedTitle;
    if (LinkPropertiesDialog(dialog) != IDOK) return;
    pluginSettings.links.push_back(editLink);
    fillSettingsControls(dialog);
    selectRow(linkList(dialog), static_cast<int>(pluginSettings.links.size()) - 1);
}

void addDroppedLink(HWND dialog, const std::wstring& url) {
    if (containsUrl(url)) {
        showWarning(dialog, kAlreadySubscribedText);
        return;
    }
    if (!runState.ready) return;
    enableApply(dialog);
    readSettingsControls(dialog);
    if (!fitsAsNewLink(url)) {
        showWarning(dialog, kNotALinkText);
        return;
    }
    FeedFetcher fetcher;
    if (trialLoadFeed(fetcher, url)) return addLoadedFeed(dialog, url, fetcher);
    HttpGetResult htmlPage;
    if (importOpmlWithWaitCursor(url, htmlPage)) {
        fillSettingsControls(dialog);
        return;
    }
    // People drop the address of a page more often than that of its feed.
    const std::wstring feedUrl = discoveredFeedUrl(htmlPage, url);
    if (!feedUrl.empty() && containsUrl(feedUrl)) {
        showWarning(dialog, kAlreadySubscribedText);
        return;
    }
    if (!feedUrl.empty() && fitsAsNewLink(feedUrl) && trialLoadFeed(fetcher, feedUrl)) {
        return addLoadedFeed(dialog, feedUrl, fetcher);
    }
    const std::wstring& reason = !fetcher.lastError.empty()                   ? fetcher.lastError
                                 : !pluginSettings.importErrorText.empty() ? pluginSettings.importErrorText
                                                                               : std::wstring(kNotALinkText);
    showWarning(dialog, reason.c_str());
}

void answer(HWND dialog, LONG_PTR result) { SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result); }

bool handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.idFrom != IDC_LINK_LIST) return false;
            handleListNotification(dialog, header);
            answer(dialog, 0);
            return true;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType != ODT_BUTTON) return false;
            drawOwnerDrawnButton(item);
            answer(dialog, TRUE);
            return true;
        }
        case MSG_URL_DROPPED:
            addDroppedLink(dialog, droppedUrl);
            answer(dialog, 1);
            return true;
        case MSG_FILE_DROPPED:
            addDroppedLink(dialog, readInternetShortcutUrl(droppedFilePath));
            answer(dialog, 1);
            return true;
        case kRunEndedMessage:
            refreshAfterRun(dialog, static_cast<int>(wParam));
            return true;
        default:
            return false;
    }
}

void initialize(HWND dialog) {
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pluginSmallIcon));
    openDialog->dropTarget.registerFor(dialog);
    setUpLinkList(linkList(dialog));
    fillMailboxes(dialog);
    SendDlgItemMessageW(dialog, IDC_INTERVAL_SPIN, UDM_SETRANGE32, kMinInterval, kMaxInterval);
    fillSettingsControls(dialog);
    enableApply(dialog, false);
    restoreDialogPosition(dialog);
}

const DialogBehaviour kBehaviour = {IDD_SETTINGS, L".chm::/func_g_main.htm", initialize, command, closeDialog,
                                    handleMessage};

}  // namespace

INT_PTR SettingsDialog(HWND owner, CommandCallback requestRetrieval) {
    OpenDialog dialog;
    dialog.requestRetrieval = requestRetrieval;
    openDialog = &dialog;
    const INT_PTR result = runModalDialog(owner, kBehaviour);
    dialog.dropTarget.revoke();  // when the dialog ended without closing itself
    openDialog = nullptr;
    return result;
}

void fillSettingsControls(HWND dialog) { fillControls(dialog, runState.singleLinkIndex); }

void readSettingsControls(HWND dialog) {
    PluginSettings& s = pluginSettings;
    readModeRadio(dialog, kScheduleRadios, s.ScheduleType);
    s.Interval = fieldNumber(dialog, IDC_INTERVAL);
    bool selected = false;
    std::wstring mailbox = selectedMailbox(dialog, selected);
    if (selected) s.Mailbox = std::move(mailbox);
    readLinkChecks(linkList(dialog), s.links);
    s.AlwaysTop = isChecked(dialog, IDC_ALWAYS_TOP) ? 1 : 0;
}

void setRetrievalControls(HWND dialog, bool idle) {
    setFieldText(dialog, IDC_RETRIEVE, idle ? kRetrieveCaption : kStopCaption);
    enableControls(dialog, {IDC_RETRIEVE}, true);
    enableControls(dialog, kIdleOnlyControls, idle);
}

void drawButtonImage(HDC dc, int kind) {
    if (kind < 0 || kind >= static_cast<int>(std::size(kButtonImages))) return;
    const ScopedGdiObject image(LoadBitmapW(pluginInstance, MAKEINTRESOURCEW(kButtonImages[kind].image)));
    const ScopedGdiObject mask(LoadBitmapW(pluginInstance, MAKEINTRESOURCEW(kButtonImages[kind].mask)));
    const ScopedMemoryDc memory(CreateCompatibleDC(dc));
    if (!image || !memory || !mask) return;
    const HGDIOBJ previous = SelectObject(memory.get(), image.get());
    MaskBlt(dc, 8, 6, 20, 10, memory.get(), 0, 0, static_cast<HBITMAP>(mask.get()), 0, 0, MAKEROP4(SRCCOPY, PATCOPY));
    SelectObject(memory.get(), previous);
}
