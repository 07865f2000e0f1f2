#include "ui/AboutDialog.h"

#include "DialogTest.h"
#include "resources/AboutDialog_rc.h"

namespace {

class AboutDialogTest : public DialogTest {};

// The test program carries the library's version resource.
TEST_F(AboutDialogTest, ShowsTheVersionOfTheLibrarysResource) {
    const struct {
        const char* name;
        int button;  // 0: the close box
        INT_PTR result;
    } cases[] = {{"OK", IDOK, IDOK}, {"cancel", IDCANCEL, IDCANCEL}, {"close box", 0, 0}};
    for (const auto& c : cases) {
        const INT_PTR result = drive(AboutDialog, L"Feedwick版本信息", [&](DialogDriver& driver, HWND dialog) {
            EXPECT_EQ(driver.text(dialog, IDC_ABOUT_VERSION), L"Version: 1, 2, 0, 3");
            if (c.button) {
                driver.onDialogThread([dialog, &c] { SendMessageW(dialog, WM_COMMAND, c.button, 0); });
            } else {
                driver.onDialogThread([dialog] { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
            }
        });
        EXPECT_EQ(result, c.result) << c.name;
    }
    std::wstring version;
    std::wstring description;
    EXPECT_TRUE(readModuleVersion(version, description));
    EXPECT_EQ(version, L"1, 2, 0, 3");
    EXPECT_EQ(description, L"Mirvel! Feedwick PlugIn DLL");
}

}  // namespace
