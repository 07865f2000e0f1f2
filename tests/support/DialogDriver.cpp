#include "support/DialogDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <memory>
#include <thread>

#include "common/TextConversion.h"
#include "support/Screenshot.h"

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr UINT kRunTask = WM_APP;
constexpr wchar_t kTaskWindowClass[] = L"FeedwickDialogDriverTasks";
// Wine's message box holds its text in the static 0xFFFF, as Windows does, but its icon in
// the static stc1 (Windows uses 20).
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

using Task = std::function<void()>;

// Thrown by a failed step, after the failure is recorded, to end the script at once.
struct ScriptStopped {};

[[noreturn]] void failStep(const std::string& what) {
    ADD_FAILURE() << what;
    throw ScriptStopped{};
}

std::string utf8(const std::wstring& text) { return toMultiByte(text, CP_UTF8); }

std::string controlName(int id) { return "control " + std::to_string(id); }

// A caption read without a message, so that polling cannot block on a busy dialog thread.
std::wstring storedCaption(HWND window) {
    wchar_t caption[256] = {};
    InternalGetWindowText(window, caption, static_cast<int>(std::size(caption)));
    return caption;
}

std::wstring windowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

std::vector<HWND> visibleDialogs(DWORD thread) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM found) CALLBACK -> BOOL {
            if (IsWindowVisible(window) && className(window) == L"#32770") reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

LRESULT CALLBACK taskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunTask) return DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
    (*task)();
    return 0;
}

// Tasks reach the dialog thread as posted messages to a window of that thread: every modal
// loop, the dialog's own, a message box's or a nested dialog's, dispatches them in order.
HWND createTaskWindow() {
    static const ATOM registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = taskWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTaskWindowClass;
        return RegisterClassW(&windowClass);
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

UINT messageBoxIcon(HWND iconStatic) {
    static const struct {
        const wchar_t* resource;
        UINT style;
    } kIcons[] = {{IDI_WARNING, MB_ICONWARNING},
                  {IDI_INFORMATION, MB_ICONINFORMATION},
                  {IDI_ERROR, MB_ICONERROR},
                  {IDI_QUESTION, MB_ICONQUESTION}};
    // The box shows the shared system icon, so its handle is the one LoadIcon gives.
    const HICON shown = reinterpret_cast<HICON>(SendMessageW(iconStatic, STM_GETICON, 0, 0));
    if (!shown) return 0;
    for (const auto& icon : kIcons) {
        if (shown == LoadIconW(nullptr, icon.resource)) return icon.style;
    }
    return 0;
}

MessageBoxView readMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.caption = windowText(box);
    view.text = windowText(GetDlgItem(box, kMessageBoxTextId));
    view.icon = messageBoxIcon(GetDlgItem(box, kMessageBoxIconId));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && className(child) == L"Button") view.buttons.push_back(GetDlgCtrlID(child));
    }
    return view;
}

void endVisibleDialogs() {
    for (HWND dialog : visibleDialogs(GetCurrentThreadId())) EndDialog(dialog, DialogDriver::kClosedByDriver);
}

}  // namespace

DialogDriver::DialogDriver()
    : dialogThread_(GetCurrentThreadId()),
      taskWindow_(createTaskWindow()),
      modalReturned_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DialogDriver::~DialogDriver() {
    // Tasks posted after the modal call returned never ran; they own what they captured.
    MSG message;
    while (PeekMessageW(&message, taskWindow_.get(), kRunTask, kRunTask, PM_REMOVE)) delete reinterpret_cast<Task*>(message.lParam);
}

INT_PTR DialogDriver::run(const std::function<INT_PTR()>& modal, const std::function<void(DialogDriver&)>& script) {
    DialogDriver driver;
    if (!driver.taskWindow_ || !driver.modalReturned_) {
        ADD_FAILURE() << "the dialog driver could not set up: " << GetLastError();
        return -1;
    }
    std::thread scriptThread([&] { driver.runScript(script); });
    const INT_PTR result = modal();
    SetEvent(driver.modalReturned_.get());
    scriptThread.join();
    return result;
}

void DialogDriver::runScript(const std::function<void(DialogDriver&)>& script) {
    try {
        script(*this);
    } catch (const ScriptStopped&) {
    } catch (const std::exception& error) {
        ADD_FAILURE() << "the dialog script threw: " << error.what();
    }
    closeWhatTheScriptLeftOpen();
}

// Ends every dialog of the thread, boxes over it included, until the modal call returns. A
// dialog still open 10 s later (its thread stuck, say) would hang the suite: that ends the program.
void DialogDriver::closeWhatTheScriptLeftOpen() {
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    while (WaitForSingleObject(modalReturned_.get(), 0) == WAIT_TIMEOUT) {
        if (GetTickCount64() > deadline) {
            std::fprintf(stderr, "The dialog under test stays open 10 s after its script ended; ending the test program.\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        post(endVisibleDialogs);
        WaitForSingleObject(modalReturned_.get(), 100);
    }
}

bool DialogDriver::post(std::function<void()> task) {
    auto* posted = new Task(std::move(task));
    if (PostMessageW(taskWindow_.get(), kRunTask, 0, reinterpret_cast<LPARAM>(posted))) return true;
    delete posted;
    return false;
}

// Messages posted to one thread are retrieved in order, so once a marker posted now has run,
// so has everything posted before it. A message sent instead (WM_NULL, say) would overtake
// them: a thread takes sent messages before posted ones.
void DialogDriver::settle() {
    const auto reached = std::make_shared<ScopedHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!post([reached] { SetEvent(reached->get()); })) failStep("could not post to the dialog thread");
    // A modal loop that ends leaves the rest of the queue to the next loop of its thread.
    const HANDLE events[] = {reached->get(), modalReturned_.get()};
    if (WaitForMultipleObjects(2, events, FALSE, kWaitMs) == WAIT_TIMEOUT) failStep("the dialog thread took no message for 10 s");
}

bool DialogDriver::onDialogThread(std::function<void()> task) {
    const auto ran = std::make_shared<std::atomic<bool>>(false);
    if (!post([ran, task = std::move(task)] {
            *ran = true;
            task();
        })) {
        failStep("could not post to the dialog thread");
    }
    settle();
    return *ran;
}

// Shared state outlives a step that timed out, since its task may still run later.
template <typename Result>
Result DialogDriver::query(std::function<Result()> read) {
    const auto result = std::make_shared<Result>();
    if (!onDialogThread([result, read = std::move(read)] { *result = read(); })) failStep("the dialog closed before it could be read");
    return *result;
}

HWND DialogDriver::waitForWindow(const std::function<HWND()>& find) {
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    for (;;) {
        if (const HWND found = find()) return found;
        if (GetTickCount64() > deadline || WaitForSingleObject(modalReturned_.get(), 10) == WAIT_OBJECT_0) return nullptr;
    }
}

HWND DialogDriver::waitForDialog(const std::wstring& caption) {
    const HWND dialog = waitForWindow([&] {
        const auto dialogs = visibleDialogs(dialogThread_);
        const auto match = std::find_if(dialogs.begin(), dialogs.end(), [&](HWND window) { return storedCaption(window) == caption; });
        return match == dialogs.end() ? nullptr : *match;
    });
    if (!dialog) failStep("no dialog \"" + utf8(caption) + "\" within 10 s");
    return dialog;
}

MessageBoxView DialogDriver::waitForMessageBox(HWND owner) {
    const HWND box = waitForWindow([&] {
        const auto dialogs = visibleDialogs(dialogThread_);
        const auto match = std::find_if(dialogs.begin(), dialogs.end(), [&](HWND window) { return GetWindow(window, GW_OWNER) == owner; });
        return match == dialogs.end() ? nullptr : *match;
    });
    if (!box) failStep("no message box within 10 s");
    return query<MessageBoxView>([box] { return readMessageBox(box); });
}

HWND DialogDriver::control(HWND dialog, int id) {
    if (!IsWindow(dialog)) failStep("the dialog is closed");
    const HWND window = GetDlgItem(dialog, id);
    if (!window) failStep("no " + controlName(id) + " in the dialog");
    return window;
}

HWND DialogDriver::usableControl(HWND dialog, int id) {
    const HWND window = control(dialog, id);
    // A posted click reaches a disabled control, or a dialog under a message box; a user's does not.
    const HWND root = GetAncestor(window, GA_ROOT);
    for (HWND reached = window;; reached = GetParent(reached)) {
        if (!IsWindowVisible(reached) || !IsWindowEnabled(reached)) failStep(controlName(id) + " is hidden or disabled, or its dialog is");
        if (reached == root) return window;
    }
}

std::wstring DialogDriver::text(HWND dialog, int id) {
    const HWND window = control(dialog, id);
    return query<std::wstring>([window] { return windowText(window); });
}

bool DialogDriver::isEnabled(HWND dialog, int id) { return IsWindowEnabled(control(dialog, id)) != FALSE; }

bool DialogDriver::isChecked(HWND dialog, int id) {
    const HWND button = control(dialog, id);
    return query<bool>([button] { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; });
}

SYSTEMTIME DialogDriver::dateTime(HWND dialog, int id) {
    const HWND picker = control(dialog, id);
    struct Reading {
        LRESULT state;
        SYSTEMTIME time;
    };
    const auto reading = query<Reading>([picker] {
        Reading read = {};
        read.state = SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read.time));
        return read;
    });
    if (reading.state != GDT_VALID) failStep(controlName(id) + " holds no date");
    return reading.time;
}

std::pair<int, int> DialogDriver::upDownRange(HWND dialog, int id) {
    const HWND upDown = control(dialog, id);
    return query<std::pair<int, int>>([upDown] {
        std::pair<int, int> range;
        SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&range.first), reinterpret_cast<LPARAM>(&range.second));
        return range;
    });
}

std::vector<std::wstring> DialogDriver::comboItems(HWND dialog, int id) {
    const HWND combo = control(dialog, id);
    return query<std::vector<std::wstring>>([combo] {
        std::vector<std::wstring> items;
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            std::wstring item(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
            item.resize(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data())));
            items.push_back(item);
        }
        return items;
    });
}

std::wstring DialogDriver::listInfoTip(HWND dialog, int id, int row) {
    const HWND list = control(dialog, id);
    return query<std::wstring>([=] {
        wchar_t tip[INFOTIPSIZE] = L"row text";
        NMLVGETINFOTIPW request = {};
        request.hdr = {list, static_cast<UINT_PTR>(id), LVN_GETINFOTIPW};
        request.pszText = tip;
        request.cchTextMax = INFOTIPSIZE;
        request.iItem = row;
        SendMessageW(dialog, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&request));
        return std::wstring(tip);
    });
}

// A posted BM_CLICK is what a mouse click does under Wine: an auto check box or radio changes
// state and the dialog gets BN_CLICKED, while the script is free to meet a box the click opens.
void DialogDriver::click(HWND dialog, int id) {
    const HWND button = usableControl(dialog, id);
    if (!PostMessageW(button, BM_CLICK, 0, 0)) failStep("could not click " + controlName(id));
    settle();
}

void DialogDriver::setChecked(HWND dialog, int id, bool checked) {
    if (isChecked(dialog, id) != checked) click(dialog, id);
    if (isChecked(dialog, id) != checked) failStep(controlName(id) + (checked ? " stays unchecked" : " stays checked") + " after a click");
}

void DialogDriver::typeText(HWND dialog, int id, const std::wstring& text) {
    const HWND edit = usableControl(dialog, id);
    if (_wcsicmp(className(edit).c_str(), L"Edit") != 0 || (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) {
        failStep(controlName(id) + " is no writable edit");
    }
    // Replacing the selection is typing; WM_SETTEXT would leave multi-line edits silent.
    onDialogThread([edit, text] {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    });
}

void DialogDriver::setDateTime(HWND dialog, int id, const SYSTEMTIME& time) {
    const HWND picker = usableControl(dialog, id);
    const bool accepted = query<bool>([picker, time] { return SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0; });
    if (!accepted) failStep(controlName(id) + " refuses the date");
    // The picker notifies only a user's change.
    onDialogThread([picker, id, time] {
        NMDATETIMECHANGE change = {};
        change.nmhdr.hwndFrom = picker;
        change.nmhdr.idFrom = static_cast<UINT_PTR>(id);
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.dwFlags = GDT_VALID;
        change.st = time;
        SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    });
}

void DialogDriver::selectComboItem(HWND dialog, int id, const std::wstring& item) {
    const HWND combo = usableControl(dialog, id);
    const auto items = comboItems(dialog, id);
    const auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end()) failStep(controlName(id) + " has no item \"" + utf8(item) + "\"");
    const WPARAM index = static_cast<WPARAM>(found - items.begin());
    // CB_SETCURSEL notifies nobody; a user's choice sends CBN_SELCHANGE.
    onDialogThread([combo, id, index] {
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    });
}

void DialogDriver::screenshot(HWND window, const std::string& name) {
    const std::string path = screenshotPath(name);
    const bool saved = query<bool>([window, path] {
        // Painting waits for an idle message loop; the capture needs it done.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return saveWindowPng(window, path);
    });
    if (!saved) failStep("could not write " + path);
}
