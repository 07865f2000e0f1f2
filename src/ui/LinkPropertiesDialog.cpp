#include "ui/LinkPropertiesDialog.h"

#include "common/Clock.h"
#include "feed/FeedFetcher.h"
#include "resources/LinkPropertiesDialog_rc.h"
#include "ui/DialogControls.h"
#include "ui/DialogFrame.h"
#include "ui/DialogHelpers.h"
#include "ui/LinkFields.h"
#include "ui/Messages.h"

namespace {

constexpr wchar_t kMissingFieldText[] = L"请输入标题和URL ";
constexpr wchar_t kSeparatorText[] = L"エラー '|'文字の入力はできません";

void initialize(HWND dialog) {
    setChecked(dialog, IDC_LINK_ENABLED, editLink.enabled != 0);
    setFieldText(dialog, IDC_LINK_TITLE, editLink.title);
    setFieldText(dialog, IDC_LINK_URL, editLink.url);
    checkModeRadio(dialog, kHtmlModeRadios, editLink.htmlMode);
    checkModeRadio(dialog, kSenderModeRadios, editLink.senderMode);
    setPickersFromTime(dialog, editLink.lastRetrieved);
}

// The texts go into `editLink` before they are checked; the other fields only once they pass.
void accept(HWND dialog) {
    editLink.enabled = isChecked(dialog, IDC_LINK_ENABLED) ? 1 : 0;
    editLink.title = fieldText(dialog, IDC_LINK_TITLE);
    editLink.url = fieldText(dialog, IDC_LINK_URL);
    if (editLink.title.empty() || editLink.url.empty()) {
        showWarning(dialog, kMissingFieldText);
        return;
    }
    // "|" separates the fields of a stored link line.
    if (editLink.title.find(L'|') != std::wstring::npos || editLink.url.find(L'|') != std::wstring::npos) {
        showWarning(dialog, kSeparatorText);
        return;
    }
    readModeRadio(dialog, kHtmlModeRadios, editLink.htmlMode);
    readModeRadio(dialog, kSenderModeRadios, editLink.senderMode);
    editLink.lastRetrieved = timeFromPickers(dialog);
    EndDialog(dialog, IDOK);
}

void openFeedPage(HWND dialog) {
    FeedFetcher fetcher;
    if (trialLoadFeed(fetcher, fieldText(dialog, IDC_LINK_URL))) {
        openWithShell(dialog, fetcher.feedLink);
    } else {
        showWarning(dialog, kFeedNotLoadableText);
    }
}

void command(HWND dialog, int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDOK: accept(dialog); break;
        case IDC_LINK_OPEN_HTML: openFeedPage(dialog); break;
        case IDC_LINK_OPEN_XML: openWithShell(dialog, fieldText(dialog, IDC_LINK_URL)); break;
        case IDC_LAST_RETRIEVED_NOW: setPickersFromTime(dialog, currentTime()); break;
        case IDC_LAST_RETRIEVED_CLEAR: setPickersFromTime(dialog, 0); break;
    }
}

const DialogBehaviour kBehaviour = {IDD_LINK_PROPERTIES, L".chm::/func_g_link.htm", initialize, command};

}  // namespace

INT_PTR LinkPropertiesDialog(HWND owner) { return runModalDialog(owner, kBehaviour); }
