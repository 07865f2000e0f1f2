#include "ui/BulkEditDialog.h"

#include <vector>

#include "common/Clock.h"
#include "resources/BulkEditDialog_rc.h"
#include "settings/Settings.h"
#include "ui/DialogControls.h"
#include "ui/DialogFrame.h"
#include "ui/LinkFields.h"

namespace {

// Each field's box enables the controls of its value.
void followFieldBox(HWND dialog, int box) {
    const bool on = isChecked(dialog, box);
    switch (box) {
        case IDC_BULK_SET_ENABLED:
            enableControls(dialog, {IDC_BULK_ENABLED_ON, IDC_BULK_ENABLED_OFF}, on);
            break;
        case IDC_BULK_SET_SENDER_MODE:
            enableControls(dialog, {IDC_SENDER_SUBJECT_WITH_SENDER, IDC_SENDER_SUBJECT_ONLY, IDC_SENDER_ONLY}, on);
            break;
        case IDC_BULK_SET_HTML_MODE:
            enableControls(dialog, {IDC_HTML_NORMAL, IDC_HTML_BREAK_LINES, IDC_HTML_PREFETCH_LINK}, on);
            break;
        case IDC_BULK_SET_LAST_RETRIEVED:
            enableControls(dialog, {IDC_LAST_RETRIEVED_DATE, IDC_LAST_RETRIEVED_TIME, IDC_LAST_RETRIEVED_NOW,
                                    IDC_LAST_RETRIEVED_CLEAR},
                           on);
            break;
    }
}

constexpr int kFieldBoxes[] = {IDC_BULK_SET_ENABLED, IDC_BULK_SET_SENDER_MODE, IDC_BULK_SET_HTML_MODE,
                               IDC_BULK_SET_LAST_RETRIEVED};

// The values start at those of a new link.
void initialize(HWND dialog) {
    setPickersFromTime(dialog, 0);
    const LinkEntry fresh;
    setChecked(dialog, IDC_BULK_ENABLED_ON, fresh.enabled != 0);
    checkModeRadio(dialog, kHtmlModeRadios, fresh.htmlMode);
    checkModeRadio(dialog, kSenderModeRadios, fresh.senderMode);
    for (const int box : kFieldBoxes) followFieldBox(dialog, box);
}

void accept(HWND dialog) {
    std::vector<LinkEntry>& links = pluginSettings.links;
    if (isChecked(dialog, IDC_BULK_SET_ENABLED)) {
        const int32_t enabled = isChecked(dialog, IDC_BULK_ENABLED_ON) ? 1 : 0;
        for (LinkEntry& link : links) link.enabled = enabled;
    }
    int32_t htmlMode = 0;
    if (isChecked(dialog, IDC_BULK_SET_HTML_MODE) && readModeRadio(dialog, kHtmlModeRadios, htmlMode)) {
        for (LinkEntry& link : links) link.htmlMode = htmlMode;
    }
    int32_t senderMode = 0;
    if (isChecked(dialog, IDC_BULK_SET_SENDER_MODE) && readModeRadio(dialog, kSenderModeRadios, senderMode)) {
        for (LinkEntry& link : links) link.senderMode = senderMode;
    }
    if (isChecked(dialog, IDC_BULK_SET_LAST_RETRIEVED)) {
        const int64_t lastRetrieved = timeFromPickers(dialog);
        for (LinkEntry& link : links) link.lastRetrieved = lastRetrieved;
    }
    EndDialog(dialog, IDOK);
}

void command(HWND dialog, int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDOK: accept(dialog); break;
        case IDC_LAST_RETRIEVED_NOW: setPickersFromTime(dialog, currentTime()); break;
        case IDC_LAST_RETRIEVED_CLEAR: setPickersFromTime(dialog, 0); break;
        default: followFieldBox(dialog, id); break;
    }
}

const DialogBehaviour kBehaviour = {IDD_BULK_EDIT, L".chm::/func_g_alllink.htm", initialize, command};

}  // namespace

INT_PTR BulkEditDialog(HWND owner) { return runModalDialog(owner, kBehaviour); }
