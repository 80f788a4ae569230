// The measurement conditions dialog (130) against the simulator, with both
// instrument models.

#include "InstrumentFixture.h"
#include "TempDir.h"
#include "Layout.h"

#include "ConditionsDialog.h"
#include "PropertyFile.h"
#include "Settings.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/xrc/xmlres.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

using namespace tonvale;

namespace instrumenttest {
namespace {

// The radio buttons in the order specular SCI, SCE, SCI + SCE, area 8 mm, 3 mm.
const char* const radioNames[] = {"1003", "1004", "1005", "1009", "1010"};

wxRadioButton* radio(wxWindow& dlg, const char* name)
{
    return XRCCTRL(dlg, name, wxRadioButton);
}

// Which of the five buttons are checked, as "10010".
std::string checkedButtons(wxWindow& dlg)
{
    std::string checked;
    for (const char* name : radioNames)
        checked += radio(dlg, name)->GetValue() ? '1' : '0';
    return checked;
}

void clickRadio(wxWindow& dlg, const char* name)
{
    wxRadioButton* button = radio(dlg, name);
    wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
    event.SetEventObject(button);
    event.SetInt(1);
    button->ProcessWindowEvent(event);
}

void clickButton(wxWindow& dlg, int id)
{
    wxWindow* button = dlg.FindWindow(id);
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

class ConditionsTest : public InstrumentTest {
protected:
    ConditionsTest() { dialog.setSettings(&store, settingsFile); }

    std::string savedFile() const { return dir.read("Tonvale.INI"); }

    bool saved() const { return dir.entryCount() != 0; }

    TempDir dir;
    PropertyFile store;
    std::string settingsFile = dir.path("Tonvale.INI");
    ConditionsDialog dialog{nullptr, instrument};
};

TEST_F(ConditionsTest, OpensWithTheInstrumentsConditionsForEitherModel)
{
    struct Case {
        int product;
        bool smallAreaEnabled;
    };
    for (const Case& c : {Case{3, true}, Case{13, false}}) {
        SCOPED_TRACE(c.product);
        sim.command("PRODUCT " + std::to_string(c.product));
        sim.command("CONDITIONS 0 1");
        int result = wxID_NONE;
        wxTEST_DIALOG(result = dialog.ShowModal(), ExpectDialog<ConditionsDialog>([&](ConditionsDialog& dlg) {
                          EXPECT_EQ(dlg.GetTitle().utf8_string(), "測定器の設定");
                          EXPECT_EQ(radio(dlg, "1010")->IsEnabled(), c.smallAreaEnabled);
                          EXPECT_TRUE(radio(dlg, "1009")->IsEnabled());
                          // "Gloss" is missing: the instrument's both-components mode stands for it.
                          EXPECT_EQ(checkedButtons(dlg), "01010");
                          return wxID_CANCEL;
                      }));
        EXPECT_EQ(result, wxID_CANCEL);
        EXPECT_EQ(commands(), (std::vector<std::string>{"IDR\r\n", "CPR\r\n"}));
        EXPECT_THROW(store.getString(key::gloss), std::invalid_argument);
        EXPECT_FALSE(saved());
    }
}

TEST_F(ConditionsTest, SpecularSelectionFollowsTheModeAndGloss)
{
    struct Case {
        int mode;
        std::optional<int> gloss;
        int specular;
    };
    const Case cases[] = {
        {0, std::nullopt, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, 2}, {1, 2, 2},
        {1, 1, 1},  {1, 5, 0}, {1, -1, 0}, {1, std::nullopt, 1}, {3, 1, 1},
    };
    MeasurementConditions conditions(instrument);
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " gloss " + (c.gloss ? std::to_string(*c.gloss) : "missing"));
        PropertyFile settings;
        if (c.gloss)
            settings.setInt(key::gloss, *c.gloss);
        conditions.setSettings(&settings, settingsFile);
        sim.command("CONDITIONS 1 " + std::to_string(c.mode));
        EXPECT_NO_DIALOG(EXPECT_TRUE(conditions.open()));
        EXPECT_EQ(conditions.specularSelection, c.specular);
        EXPECT_EQ(conditions.areaSelection, 1);
        if (!c.gloss) {
            EXPECT_THROW(settings.getString(key::gloss), std::invalid_argument);
        }
    }
    EXPECT_FALSE(saved());
}

TEST_F(ConditionsTest, AnUnknownAreaChecksNeitherAreaButton)
{
    sim.command("CODE OK00");
    sim.command("REPLY OK00,7,0");
    store.setInt(key::gloss, 1);
    int result = wxID_NONE;
    wxTEST_DIALOG(result = dialog.ShowModal(), ExpectDialog<ConditionsDialog>([](ConditionsDialog& dlg) {
                      EXPECT_EQ(checkedButtons(dlg), "10000");
                      clickRadio(dlg, "1009");
                      EXPECT_EQ(checkedButtons(dlg), "10010");
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(result, wxID_CANCEL);
}

TEST_F(ConditionsTest, OkStoresGlossThenSendsAreaAndMode)
{
    struct Case {
        const char* specularButton;
        int gloss;
        int mode;
    };
    const Case cases[] = {{"1003", 0, 0}, {"1004", 1, 1}, {"1005", 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.specularButton);
        sim.command("CONDITIONS 1 0");
        store.setInt(key::gloss, 7);
        int result = wxID_NONE;
        wxTEST_DIALOG(result = dialog.ShowModal(), ExpectDialog<ConditionsDialog>([&](ConditionsDialog& dlg) {
                          EXPECT_EQ(checkedButtons(dlg), "10001");
                          clickRadio(dlg, "1009");
                          clickRadio(dlg, c.specularButton);
                          std::string expected = "00010";
                          expected[std::size_t(c.gloss)] = '1';
                          EXPECT_EQ(checkedButtons(dlg), expected);
                          clickButton(dlg, wxID_OK);
                          return dlg.GetReturnCode();
                      }));
        EXPECT_EQ(result, wxID_OK);
        EXPECT_EQ(store.getInt(key::gloss), c.gloss);
        EXPECT_EQ(savedFile(), "Gloss=" + std::to_string(c.gloss) + "\r\n");
        EXPECT_EQ(commands(), (std::vector<std::string>{"IDR\r\n", "CPR\r\n",
                                                        "CPS,0," + std::to_string(c.mode) + "\r\n"}));
        const std::string state = sim.command("STATE");
        EXPECT_NE(state.find("area=0 mode=" + std::to_string(c.mode) + " "), std::string::npos) << state;
    }
}

TEST_F(ConditionsTest, ARefusedSettingKeepsTheDialogOpenWithGlossSaved)
{
    sim.command("CONDITIONS 0 0");
    int result = wxID_NONE;
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  ExpectDialog<ConditionsDialog>([this](ConditionsDialog& dlg) {
                      clickRadio(dlg, "1004");
                      sim.command("CODE ER15");
                      dlg.SetReturnCode(wxID_NONE);
                      clickButton(dlg, wxID_OK);
                      EXPECT_EQ(dlg.GetReturnCode(), wxID_NONE) << "the dialog closed";
                      clickButton(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }),
                  ExpectMessage("JOB (TASK) の設定変更不可エラー(ER15)"));
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(store.getInt(key::gloss), 1);
    EXPECT_EQ(savedFile(), "Gloss=1\r\n");
}

TEST_F(ConditionsTest, CancelStoresNothing)
{
    sim.command("CONDITIONS 0 1");
    store.setInt(key::gloss, 2);
    wxTEST_DIALOG(EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL), ExpectDialog<ConditionsDialog>([](ConditionsDialog& dlg) {
                      clickRadio(dlg, "1003");
                      clickButton(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(store.getInt(key::gloss), 2);
    EXPECT_FALSE(saved());
    EXPECT_EQ(commands(), (std::vector<std::string>{"IDR\r\n", "CPR\r\n"}));
}

TEST_F(ConditionsTest, AnInstrumentThatCannotBeReadKeepsTheDialogClosed)
{
    struct Case {
        std::vector<std::string> faults;
        std::string message;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {{"PRODUCT 14"},
         "SX-4800k/SX-4810k以外の測定器が接続されています。\n処理を中止します。\nProduct ID: 14",
         {"IDR\r\n"}},
        {{"PRODUCT 3", "CODE OK00", "CODE ER00"}, "コマンド入力エラー(ER00)", {"IDR\r\n", "CPR\r\n"}},
        {{"CODE OK00", "REPLY OK00,0,8"}, unexpectedData, {"IDR\r\n", "CPR\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults.back());
        for (const auto& fault : c.faults)
            sim.command(fault);
        // No dialog shows: only the instrument's message.
        wxTEST_DIALOG(EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL), ExpectMessage(c.message));
        EXPECT_EQ(commands(), c.sent);
    }
}

TEST_F(ConditionsTest, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    wxTEST_DIALOG(dialog.ShowModal(), ExpectDialog<ConditionsDialog>([](ConditionsDialog& dlg) {
                      EXPECT_EQ(expectTidyLayout(dlg), 7u);
                      // Each group's buttons lie within its box.
                      for (const auto& [box, buttons] :
                           {std::pair{"1039", std::vector{"1003", "1004", "1005"}}, {"1041", {"1009", "1010"}}}) {
                          const wxRect frame = dlg.FindWindow(XRCID(box))->GetRect();
                          for (const char* button : buttons)
                              EXPECT_TRUE(frame.Contains(radio(dlg, button)->GetRect())) << button;
                      }
                      return wxID_CANCEL;
                  }));
}

} // namespace
} // namespace instrumenttest
