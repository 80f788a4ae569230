#include "GuiTest.h"
#include "Layout.h"
#include "TempDir.h"

#include "PlatformFiles.h"

#include "AutoNaming.h"
#include "AutoNamingDialog.h"
#include "Settings.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statbox.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

using namespace tonvale;

namespace {

const std::string rangeMessage = "1 から 99999 までの整数を入力してください。";
const std::string numberMessage = "正の整数を入力してください。";
const std::string lengthMessage = "30 文字以内で入力してください。";

struct Fixture {
    TempDir dir;
    PropertyFile store;
    std::string file = dir.path("Tonvale.INI");

    // As text inside the program (the file is in the platform's encoding).
    std::string savedFile() const { return tonvale::fromFileText(dir.read("Tonvale.INI")); }
};

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}


} // namespace

TEST(AutoNaming, OpeningShowsTheKeysAndStoresMissingOnes)
{
    Fixture f;
    f.store.setInt(key::mesNum, 17);
    AutoNaming logic;
    logic.setSettings(f.store, f.file);
    EXPECT_NO_DIALOG(logic.open());
    EXPECT_EQ(logic.numberText, "17");
    EXPECT_EQ(logic.prefix, "Sample");
    EXPECT_FALSE(logic.autoNaming);
    EXPECT_EQ(f.store.getString(key::nameDefault), "Sample");
    EXPECT_EQ(f.store.getString(key::chkAutoNaming), "0");

    // Only exactly 1 checks the box.
    for (const auto& [value, checked] : {std::pair{"1", true}, {"2", false}, {"0", false}}) {
        f.store.setString(key::chkAutoNaming, value);
        logic.open();
        EXPECT_EQ(logic.autoNaming, checked) << value;
    }
}

TEST(AutoNaming, OkStoresAndSavesBeforeChecking)
{
    struct Case {
        std::string number;
        std::string prefix;
        std::string message;    // empty: accepted
        AutoNaming::Invalid invalid;
        const char* storedNumber;
    };
    const Case cases[] = {
        {"1", "Lot", "", AutoNaming::Invalid::None, "1"},
        {"99999", repeat("あ", 30), "", AutoNaming::Invalid::None, "99999"},
        {"0", "Lot", rangeMessage, AutoNaming::Invalid::Number, "0"},
        {"100000", "Lot", rangeMessage, AutoNaming::Invalid::Number, "100000"},
        {"99999999999999999999", "Lot", rangeMessage, AutoNaming::Invalid::Number, "2147483647"},
        {"", "Lot", numberMessage, AutoNaming::Invalid::Number, "0"},
        {"12", repeat("a", 31), lengthMessage, AutoNaming::Invalid::Prefix, "12"},
        {"12", "", "", AutoNaming::Invalid::None, "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("number \"" + c.number + "\" prefix \"" + c.prefix + "\"");
        Fixture f;
        AutoNaming logic;
        logic.setSettings(f.store, f.file);
        logic.open();
        logic.numberText = c.number;
        logic.prefix = c.prefix;
        logic.autoNaming = true;
        AutoNaming::Invalid invalid{};
        if (c.message.empty()) {
            EXPECT_NO_DIALOG(invalid = logic.confirm());
        } else {
            wxTEST_DIALOG(invalid = logic.confirm(), ExpectMessage(c.message));
        }
        EXPECT_EQ(invalid, c.invalid);
        EXPECT_EQ(f.savedFile(), std::string("Chk_AutoNaming=1\r\nMes_Num=") + c.storedNumber +
                                     "\r\nName_Default=" + c.prefix + "\r\n");
    }
}

TEST(AutoNaming, CancelRestoresTheOpeningValuesAndSaves)
{
    Fixture f;
    f.store.setInt(key::mesNum, 8);
    f.store.setString(key::nameDefault, "Lot");
    f.store.setInt(key::chkAutoNaming, 1);
    AutoNaming logic;
    logic.setSettings(f.store, f.file);
    logic.open();
    logic.numberText = "0";
    logic.prefix = "Other";
    logic.autoNaming = false;
    wxTEST_DIALOG(logic.confirm(), ExpectMessage(rangeMessage));
    EXPECT_EQ(f.store.getInt(key::mesNum), 0);
    EXPECT_NO_DIALOG(logic.cancel());
    EXPECT_EQ(f.savedFile(), "Chk_AutoNaming=1\r\nMes_Num=8\r\nName_Default=Lot\r\n");
}

TEST(AutoNaming, ArrowKeysStepTheNumberWithinItsRange)
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"5", +1, "6"}, {"5", -1, "4"}, {"99999", +1, "99999"}, {"1", -1, "1"},
        {"0", +1, "1"}, {"", -1, "1"}, {"120000", -1, "99999"},
    };
    for (const auto& [text, delta, expected] : cases)
        EXPECT_EQ(AutoNaming::stepNumber(text, delta), expected) << text << " " << delta;
}

TEST(AutoNamingDialog, ARangeErrorKeepsTheDialogOpenAndCancelRestores)
{
    Fixture f;
    f.store.setInt(key::mesNum, 8);
    AutoNamingDialog dialog(nullptr);
    dialog.setSettings(f.store, f.file);
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  ExpectDialog<AutoNamingDialog>([&](AutoNamingDialog& dlg) {
                      EXPECT_EQ(dlg.GetTitle().utf8_string(), "自動ネーミングの設定");
                      EXPECT_EQ(dlg.GetReturnCode(), 0);
                      auto* number = XRCCTRL(dlg, "1023", wxTextCtrl);
                      auto* prefix = XRCCTRL(dlg, "1024", wxTextCtrl);
                      auto* check = XRCCTRL(dlg, "1025", wxCheckBox);
                      EXPECT_FALSE(XRCCTRL(dlg, "1015", wxSpinButton)->IsShown());
                      EXPECT_EQ(number->GetValue(), "8");
                      EXPECT_EQ(prefix->GetValue(), "Sample");
                      EXPECT_FALSE(check->GetValue());

                      number->ChangeValue("0");
                      prefix->ChangeValue("New");
                      check->SetValue(true);
                      press(dlg, wxID_OK);
                      EXPECT_EQ(dlg.GetReturnCode(), 0) << "the dialog must stay open";
                      EXPECT_EQ(f.savedFile(), "Chk_AutoNaming=1\r\nMes_Num=0\r\nName_Default=New\r\n");
                      press(dlg, wxID_CANCEL);
                      return dlg.GetReturnCode();
                  }),
                  ExpectMessage(rangeMessage));
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(f.savedFile(), "Chk_AutoNaming=0\r\nMes_Num=8\r\nName_Default=Sample\r\n");
}

TEST(AutoNamingDialog, OkWithValidFieldsClosesTheDialog)
{
    Fixture f;
    f.store.setInt(key::mesNum, 41);
    f.store.setString(key::nameDefault, "Lot");
    f.store.setInt(key::chkAutoNaming, 1);
    AutoNamingDialog dialog(nullptr);
    dialog.setSettings(f.store, f.file);
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  ExpectDialog<AutoNamingDialog>([&](AutoNamingDialog& dlg) {
                      auto* number = XRCCTRL(dlg, "1023", wxTextCtrl);
                      EXPECT_TRUE(XRCCTRL(dlg, "1025", wxCheckBox)->GetValue());
                      wxKeyEvent up(wxEVT_KEY_DOWN);
                      up.m_keyCode = WXK_UP;
                      number->ProcessWindowEvent(up);
                      EXPECT_EQ(number->GetValue(), "42");
                      XRCCTRL(dlg, "1024", wxTextCtrl)->ChangeValue(wxString::FromUTF8("試料"));
                      press(dlg, wxID_OK);
                      return dlg.GetReturnCode();
                  }));
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(f.savedFile(), "Chk_AutoNaming=1\r\nMes_Num=42\r\nName_Default=試料\r\n");
}

TEST(AutoNamingDialog, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    Fixture f;
    AutoNamingDialog dlg(nullptr);
    dlg.setSettings(f.store, f.file);
    EXPECT_NO_DIALOG(dlg.InitDialog());
    EXPECT_EQ(expectTidyLayout(dlg), 7u);
}
