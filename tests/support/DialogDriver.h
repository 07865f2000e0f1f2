#pragma once
// Drives modal dialogs through their real windows. The test thread sits in the modal call
// while a script on a second thread finds the dialog, reads and changes its controls as a user
// would and answers message boxes. Each step runs on the dialog's thread and returns once that
// thread has handled it, or sits in a message box or nested dialog the step opened, so the
// script goes on deterministically and is never blocked by such a box. A step that cannot be
// done fails the running test and ends the script.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/Handles.h"

struct MessageBoxView {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    UINT icon = 0;             // MB_ICONWARNING, MB_ICONINFORMATION, MB_ICONERROR, MB_ICONQUESTION or 0
    std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO, ... in the box's order
};

class DialogDriver {
public:
    // The modal result when the driver closed a dialog that the script left open.
    static constexpr INT_PTR kClosedByDriver = -2;

    // Runs `modal` (a DialogBoxParamW call, say) on this thread and `script` on a second one,
    // and returns what `modal` returned. Dialogs and message boxes still open when the script
    // ends, normally or by a failed assertion, are closed with kClosedByDriver.
    static INT_PTR run(const std::function<INT_PTR()>& modal, const std::function<void(DialogDriver&)>& script);

    // Waits up to 10 s for a visible dialog of the dialog thread with this caption.
    HWND waitForDialog(const std::wstring& caption);
    // Waits up to 10 s for a message box owned by `owner`; click one of its buttons to answer.
    MessageBoxView waitForMessageBox(HWND owner);

    std::wstring text(HWND dialog, int id);
    bool isEnabled(HWND dialog, int id);
    bool isChecked(HWND dialog, int id);
    SYSTEMTIME dateTime(HWND dialog, int id);
    std::pair<int, int> upDownRange(HWND dialog, int id);
    std::vector<std::wstring> comboItems(HWND dialog, int id);
    // The info tip that the dialog gives for a row of its list view, asked as the list asks
    // when the pointer rests on the row.
    std::wstring listInfoTip(HWND dialog, int id, int row);

    // The control and its dialog must be visible and enabled, as for a user.
    void click(HWND dialog, int id);
    // Clicks a check box or radio whose state differs; fails when a click does not bring it there.
    void setChecked(HWND dialog, int id, bool checked);
    // Replaces the whole text of a writable edit as typing over it would: EN_CHANGE follows.
    void typeText(HWND dialog, int id, const std::wstring& text);
    // Sets a date-time picker and sends the dialog DTN_DATETIMECHANGE, as a user's change would.
    void setDateTime(HWND dialog, int id, const SYSTEMTIME& time);
    // Selects the item with exactly this text and sends the dialog CBN_SELCHANGE.
    void selectComboItem(HWND dialog, int id, const std::wstring& item);
    // Makes `window` paint itself whole and writes it to screenshotPath(name).
    void screenshot(HWND window, const std::string& name);

    // Runs `task` on the dialog thread and returns once it ran or opened a nested modal loop;
    // false when the modal call returned before the task could run.
    bool onDialogThread(std::function<void()> task);

private:
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void runScript(const std::function<void(DialogDriver&)>& script);
    void closeWhatTheScriptLeftOpen();
    bool post(std::function<void()> task);
    void settle();
    template <typename Result>
    Result query(std::function<Result()> read);
    HWND waitForWindow(const std::function<HWND()>& find);
    HWND control(HWND dialog, int id);
    HWND usableControl(HWND dialog, int id);

    DWORD dialogThread_;
    ScopedWindow taskWindow_;
    ScopedHandle modalReturned_;
};
