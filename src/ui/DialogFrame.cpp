#include "ui/DialogFrame.h"

#include <commctrl.h>

#include "common/ExceptionBarrier.h"
#include "common/PluginModule.h"
#include "ui/DialogHelpers.h"

namespace {

// Date-time pickers and up-down controls are common controls, registered on first use.
void registerCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes = {sizeof classes,
                                        ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)registered;
}

void closeDialog(HWND dialog, const DialogBehaviour& behaviour, INT_PTR result) {
    if (behaviour.close) {
        behaviour.close(dialog, result);
    } else {
        EndDialog(dialog, result);
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<const DialogBehaviour*>(lParam)->initialize(dialog);
        return TRUE;
    }
    const auto* behaviour = reinterpret_cast<const DialogBehaviour*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!behaviour) return FALSE;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                closeDialog(dialog, *behaviour, IDCANCEL);
            } else {
                behaviour->command(dialog, LOWORD(wParam), HIWORD(wParam));
            }
            return TRUE;
        case WM_CLOSE:
            closeDialog(dialog, *behaviour, 0);
            return TRUE;
        case WM_HELP:
            showHelpTopic(nullptr, behaviour->helpTopic);
            return TRUE;
        default:
            return behaviour->message && behaviour->message(dialog, message, wParam, lParam);
    }
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return callWithoutThrowing<INT_PTR>(FALSE, [&] { return handleMessage(dialog, message, wParam, lParam); });
}

}  // namespace

INT_PTR runModalDialog(HWND owner, const DialogBehaviour& behaviour) {
    registerCommonControls();
    return DialogBoxParamW(pluginInstance, MAKEINTRESOURCEW(behaviour.templateId), owner, dialogProcedure,
                           reinterpret_cast<LPARAM>(&behaviour));
}
