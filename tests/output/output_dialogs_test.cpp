#include "GuiTest.h"
#include "Layout.h"
#include "TempDir.h"

#include "DataType.h"
#include "DataTypeDialog.h"
#include "OutputInfo.h"
#include "OutputInfoDialog.h"
#include "Settings.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/timer.h>
#include <wx/xrc/xmlres.h>

#include <map>
#include <filesystem>
#include <functional>
#include <vector>

using namespace tonvale;

namespace {

using Keys = std::map<std::string, std::string>;

struct Fixture {
    TempDir dir;
    PropertyFile store;
    std::string file = dir.path("Tonvale.INI");

    explicit Fixture(const Keys& keys = {})
    {
        // A key neither dialog knows, to see that the whole store is saved.
        store.setString("Port_Name", "/dev/ttyS0");
        for (const auto& [key, value] : keys)
            store.setString(key, value);
    }

    bool saved() const { return std::filesystem::exists(file); }
    std::string savedFile() const { return dir.read("Tonvale.INI"); }

    // The key's value, or "-" when the store lacks it.
    std::string value(const std::string& key) const
    {
        try {
            return store.getString(key);
        } catch (const std::invalid_argument&) {
            return "-";
        }
    }
};


// What a click on a radio button does: GTK selects it, then wx reports it.
void select(wxRadioButton* radio)
{
    radio->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, radio->GetId());
    event.SetEventObject(radio);
    event.SetInt(1);
    radio->ProcessWindowEvent(event);
}

void chooseItem(wxChoice* list, const std::string& name)
{
    const int item = list->FindString(wxString::FromUTF8(name));
    ASSERT_NE(item, wxNOT_FOUND) << name;
    list->SetSelection(item);
}

// --- data type dialog ---------------------------------------------------------

struct DataTypeView {
    wxRadioButton* spectral;
    wxRadioButton* lab;
    wxChoice* illuminants;
    wxRadioButton* observer10;
    wxRadioButton* observer2;

    explicit DataTypeView(wxDialog& dlg)
        : spectral(XRCCTRL(dlg, "datatype_spectral", wxRadioButton)),
          lab(XRCCTRL(dlg, "datatype_lab", wxRadioButton)),
          illuminants(XRCCTRL(dlg, "datatype_illuminant", wxChoice)),
          observer10(XRCCTRL(dlg, "datatype_observer10", wxRadioButton)),
          observer2(XRCCTRL(dlg, "datatype_observer2", wxRadioButton))
    {
    }

    // The caption of the selected button of a pair, "" for neither.
    static std::string selected(wxRadioButton* first, wxRadioButton* second)
    {
        EXPECT_FALSE(first->GetValue() && second->GetValue());
        return first->GetValue() ? first->GetLabel().utf8_string()
               : second->GetValue() ? second->GetLabel().utf8_string() : "";
    }

    std::string dataType() const { return selected(spectral, lab); }
    std::string observer() const { return selected(observer10, observer2); }
    std::string illuminant() const { return illuminants->GetStringSelection().utf8_string(); }

    // The illuminant list and both observer buttons go together.
    bool conditionsEnabled() const
    {
        EXPECT_EQ(illuminants->IsEnabled(), observer10->IsEnabled());
        EXPECT_EQ(illuminants->IsEnabled(), observer2->IsEnabled());
        return illuminants->IsEnabled();
    }
};

// Shows the dialog once with the hook; body works the controls and answers.
int showDataType(DataTypeDialog& dialog, Fixture& f, const std::function<int(DataTypeDialog&)>& body)
{
    dialog.setSettings(&f.store, f.file);
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(), ExpectDialog<DataTypeDialog>(body));
    return result;
}

TEST(DataTypeDialog, ListsTheIlluminantsInTableOrder)
{
    Fixture f;
    DataTypeDialog dialog(nullptr);
    showDataType(dialog, f, [](DataTypeDialog& dlg) {
        EXPECT_EQ(dlg.GetTitle().utf8_string(), "データタイプの設定");
        DataTypeView view(dlg);
        std::vector<std::string> names;
        for (const wxString& name : view.illuminants->GetStrings())
            names.push_back(name.utf8_string());
        EXPECT_EQ(names, (std::vector<std::string>{"D65", "D50", "C", "A", "F2", "F6", "F7", "F8", "F10",
                                                   "F11", "F12"}));
        EXPECT_EQ(dlg.GetDefaultItem(), dlg.FindWindow(wxID_OK));
        return wxID_CANCEL;
    });
}

TEST(DataTypeDialog, OpensOnTheStoredValuesAndOkStoresWhatItShows)
{
    struct Case {
        Keys keys;
        // Shown on opening; "" selects nothing.
        const char* dataType;
        const char* illuminant;
        const char* observer;
        bool enabled;
        // The file after OK without touching anything.
        const char* saved;
    };
    const Case cases[] = {
        // A first opening stores the fallbacks.
        {{}, "分光データ", "D65", "10°", false,
         "Data_Type=0\r\nIlluminant=0\r\nObserver=0\r\nPort_Name=/dev/ttyS0\r\n"},
        {{{"Data_Type", "1"}, {"Illuminant", "7"}, {"Observer", "1"}}, "L*a*b*", "F8", "2°", true,
         "Data_Type=1\r\nIlluminant=7\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n"},
        {{{"Data_Type", "0"}, {"Illuminant", "10"}, {"Observer", "0"}}, "分光データ", "F12", "10°", false,
         "Data_Type=0\r\nIlluminant=10\r\nObserver=0\r\nPort_Name=/dev/ttyS0\r\n"},
        // Codes this program does not list select nothing; the illuminant
        // stays, the radio groups count as their second button.
        {{{"Data_Type", "1"}, {"Illuminant", "11"}, {"Observer", "0"}}, "L*a*b*", "", "10°", true,
         "Data_Type=1\r\nIlluminant=11\r\nObserver=0\r\nPort_Name=/dev/ttyS0\r\n"},
        {{{"Data_Type", "0"}, {"Illuminant", "-1"}, {"Observer", "5"}}, "分光データ", "", "", false,
         "Data_Type=0\r\nIlluminant=-1\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n"},
        {{{"Data_Type", "2"}, {"Illuminant", "3"}, {"Observer", "-1"}}, "", "A", "", true,
         "Data_Type=1\r\nIlluminant=3\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n"},
        {{{"Data_Type", "abc"}, {"Illuminant", "F8"}, {"Observer", " 1 "}}, "分光データ", "D65", "2°", false,
         "Data_Type=0\r\nIlluminant=0\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        Fixture f(c.keys);
        DataTypeDialog dialog(nullptr);
        const int result = showDataType(dialog, f, [&](DataTypeDialog& dlg) {
            DataTypeView view(dlg);
            EXPECT_EQ(view.dataType(), c.dataType);
            EXPECT_EQ(view.illuminant(), c.illuminant);
            EXPECT_EQ(view.observer(), c.observer);
            EXPECT_EQ(view.conditionsEnabled(), c.enabled);
            EXPECT_FALSE(f.saved()) << "opening saves nothing";
            press(dlg, wxID_OK);
            return dlg.GetReturnCode();
        });
        EXPECT_EQ(result, wxID_OK);
        EXPECT_EQ(f.savedFile(), c.saved);
    }
}

TEST(DataTypeDialog, TheDataTypeEnablesIlluminantAndObserver)
{
    Fixture f;
    DataTypeDialog dialog(nullptr);
    const int result = showDataType(dialog, f, [](DataTypeDialog& dlg) {
        DataTypeView view(dlg);
        EXPECT_FALSE(view.conditionsEnabled());
        // The group boxes stay enabled.
        for (wxWindow* child : dlg.GetChildren()) {
            if (dynamic_cast<wxStaticBox*>(child)) {
                EXPECT_TRUE(child->IsEnabled()) << child->GetLabel().utf8_string();
            }
        }

        select(view.lab);
        EXPECT_TRUE(view.conditionsEnabled());
        chooseItem(view.illuminants, "F11");
        select(view.observer2);
        select(view.spectral);
        EXPECT_FALSE(view.conditionsEnabled());
        select(view.lab);
        EXPECT_TRUE(view.conditionsEnabled());
        EXPECT_EQ(view.illuminant(), "F11");
        EXPECT_EQ(view.observer(), "2°");
        press(dlg, wxID_OK);
        return dlg.GetReturnCode();
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(f.savedFile(), "Data_Type=1\r\nIlluminant=9\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n");
}

TEST(DataTypeDialog, SpectralDataKeepsTheChosenIlluminantAndObserver)
{
    Fixture f(Keys{{"Data_Type", "1"}, {"Illuminant", "11"}, {"Observer", "0"}});
    DataTypeDialog dialog(nullptr);
    showDataType(dialog, f, [](DataTypeDialog& dlg) {
        DataTypeView view(dlg);
        chooseItem(view.illuminants, "C");
        select(view.observer2);
        select(view.spectral);
        press(dlg, wxID_OK);
        return dlg.GetReturnCode();
    });
    EXPECT_EQ(f.savedFile(), "Data_Type=0\r\nIlluminant=2\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n");
}

TEST(DataTypeDialog, CancelChangesAndSavesNothing)
{
    Fixture f(Keys{{"Data_Type", "1"}});
    DataTypeDialog dialog(nullptr);
    const int result = showDataType(dialog, f, [&](DataTypeDialog& dlg) {
        DataTypeView view(dlg);
        select(view.spectral);
        chooseItem(view.illuminants, "F2");
        select(view.observer2);
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_FALSE(f.saved());
    // The fallbacks stored on opening stay for the next save by anyone.
    EXPECT_EQ(f.value(key::dataType), "1");
    EXPECT_EQ(f.value(key::illuminant), "0");
    EXPECT_EQ(f.value(key::observer), "0");
}

TEST(DataTypeDialog, EveryShowingReadsTheStoreAfresh)
{
    Fixture f(Keys{{"Data_Type", "1"}, {"Illuminant", "7"}});
    DataTypeDialog dialog(nullptr);
    showDataType(dialog, f, [](DataTypeDialog& dlg) {
        DataTypeView view(dlg);
        chooseItem(view.illuminants, "A");
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });
    f.store.setInt(key::observer, 1);
    showDataType(dialog, f, [](DataTypeDialog& dlg) {
        DataTypeView view(dlg);
        EXPECT_EQ(view.illuminants->GetCount(), illuminantTable.size());
        EXPECT_EQ(view.illuminant(), "F8");
        EXPECT_EQ(view.observer(), "2°");
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });

    // Another store for the same dialog object.
    Fixture other(Keys{{"Illuminant", "11"}});
    showDataType(dialog, other, [](DataTypeDialog& dlg) {
        EXPECT_EQ(DataTypeView(dlg).illuminant(), "");
        press(dlg, wxID_OK);
        return dlg.GetReturnCode();
    });
    EXPECT_EQ(other.value(key::illuminant), "11");
    EXPECT_TRUE(other.saved());
    EXPECT_FALSE(f.saved());
}

TEST(DataType, WorksWithoutTheDialogAndKeepsAnUnselectedIlluminant)
{
    Fixture f(Keys{{"Illuminant", "4"}, {"Data_Type", "1"}, {"Observer", "1"}});
    DataType logic;
    logic.setSettings(&f.store, f.file);
    EXPECT_NO_DIALOG(logic.open());
    EXPECT_EQ(logic.illuminant, 4);
    EXPECT_EQ(logic.dataType, 1);
    EXPECT_EQ(logic.observer, 1);
    EXPECT_TRUE(logic.conditionsEnabled());
    logic.dataType = 0;
    logic.illuminant = DataType::noSelection;
    EXPECT_FALSE(logic.conditionsEnabled());
    EXPECT_NO_DIALOG(logic.confirm());
    EXPECT_EQ(f.savedFile(), "Data_Type=0\r\nIlluminant=4\r\nObserver=1\r\nPort_Name=/dev/ttyS0\r\n");
}

// --- output information dialog -------------------------------------------------

// The check boxes with their captions, in the order of outputSwitchKeys.
const std::array<std::pair<const char*, const char*>, 6> checkBoxes{{
    {"outputinfo_number", "測定No."},
    {"outputinfo_name", "測定値名"},
    {"outputinfo_datetime", "測定日時"},
    {"outputinfo_mask", "測定径"},
    {"outputinfo_gloss", "正反射光処理"},
    {"outputinfo_comment", "コメント"},
}};

wxCheckBox* checkBox(wxDialog& dlg, std::size_t i)
{
    return XRCCTRL(dlg, checkBoxes[i].first, wxCheckBox);
}

std::string ticked(wxDialog& dlg)
{
    std::string marks;
    for (std::size_t i = 0; i < checkBoxes.size(); ++i)
        marks += checkBox(dlg, i)->GetValue() ? '1' : '0';
    return marks;
}

int showOutputInfo(OutputInfoDialog& dialog, Fixture& f, const std::function<int(OutputInfoDialog&)>& body)
{
    dialog.setSettings(&f.store, f.file);
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(), ExpectDialog<OutputInfoDialog>(body));
    return result;
}

TEST(OutputInfoDialog, OpensOnTheStoredSwitchesAndOkStoresEachAsOneOrZero)
{
    struct Case {
        Keys keys;
        const char* ticked;    // in the order of outputSwitchKeys
        const char* saved;
    };
    const Case cases[] = {
        {{}, "011000",
         "Chk_Comment=0\r\nChk_DateTime=1\r\nChk_Gloss=0\r\nChk_Mask=0\r\nChk_Name=1\r\nChk_Number=0\r\n"
         "Port_Name=/dev/ttyS0\r\n"},
        {{{"Chk_Number", "1"}, {"Chk_Name", "0"}, {"Chk_DateTime", "0"}, {"Chk_Mask", "1"}, {"Chk_Gloss", "1"},
          {"Chk_Comment", "1"}},
         "100111",
         "Chk_Comment=1\r\nChk_DateTime=0\r\nChk_Gloss=1\r\nChk_Mask=1\r\nChk_Name=0\r\nChk_Number=1\r\n"
         "Port_Name=/dev/ttyS0\r\n"},
        // Only exactly 1 ticks a box.
        {{{"Chk_Number", "2"}, {"Chk_Name", "-1"}, {"Chk_DateTime", "on"}, {"Chk_Comment", "1x"}}, "000001",
         "Chk_Comment=1\r\nChk_DateTime=0\r\nChk_Gloss=0\r\nChk_Mask=0\r\nChk_Name=0\r\nChk_Number=0\r\n"
         "Port_Name=/dev/ttyS0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticked);
        Fixture f(c.keys);
        OutputInfoDialog dialog(nullptr);
        const int result = showOutputInfo(dialog, f, [&](OutputInfoDialog& dlg) {
            EXPECT_EQ(dlg.GetTitle().utf8_string(), "出力情報の設定");
            EXPECT_EQ(ticked(dlg), c.ticked);
            EXPECT_FALSE(f.saved()) << "opening saves nothing";
            press(dlg, wxID_OK);
            return dlg.GetReturnCode();
        });
        EXPECT_EQ(result, wxID_OK);
        EXPECT_EQ(f.savedFile(), c.saved);
    }
}

TEST(OutputInfoDialog, EachCheckBoxIsBoundToItsSwitch)
{
    for (std::size_t i = 0; i < checkBoxes.size(); ++i) {
        SCOPED_TRACE(checkBoxes[i].second);
        Fixture f;
        for (const char* key : outputSwitchKeys)
            f.store.setInt(key, 0);
        OutputInfoDialog dialog(nullptr);
        showOutputInfo(dialog, f, [&](OutputInfoDialog& dlg) {
            EXPECT_EQ(checkBox(dlg, i)->GetLabel().utf8_string(), checkBoxes[i].second);
            checkBox(dlg, i)->SetValue(true);
            press(dlg, wxID_OK);
            return dlg.GetReturnCode();
        });
        for (std::size_t k = 0; k < outputSwitchKeys.size(); ++k)
            EXPECT_EQ(f.value(outputSwitchKeys[k]), k == i ? "1" : "0") << outputSwitchKeys[k];
        EXPECT_TRUE(f.saved());
    }
}

TEST(OutputInfoDialog, CancelChangesAndSavesNothing)
{
    Fixture f(Keys{{"Chk_Number", "1"}});
    OutputInfoDialog dialog(nullptr);
    const int result = showOutputInfo(dialog, f, [&](OutputInfoDialog& dlg) {
        for (std::size_t i = 0; i < checkBoxes.size(); ++i)
            checkBox(dlg, i)->SetValue(!checkBox(dlg, i)->GetValue());
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_FALSE(f.saved());
    // The fallbacks stored on opening stay for the next save by anyone.
    const char* expected[] = {"1", "1", "1", "0", "0", "0"};
    for (std::size_t k = 0; k < outputSwitchKeys.size(); ++k)
        EXPECT_EQ(f.value(outputSwitchKeys[k]), expected[k]) << outputSwitchKeys[k];
}

TEST(OutputInfoDialog, EveryShowingReadsTheStoreAfresh)
{
    Fixture f;
    OutputInfoDialog dialog(nullptr);
    showOutputInfo(dialog, f, [](OutputInfoDialog& dlg) {
        checkBox(dlg, 0)->SetValue(true);
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });
    f.store.setInt(key::chkComment, 1);
    showOutputInfo(dialog, f, [](OutputInfoDialog& dlg) {
        EXPECT_EQ(ticked(dlg), "011001");
        press(dlg, wxID_CANCEL);
        return dlg.GetReturnCode();
    });
}

// --- closing the window -----------------------------------------------------------

// Shows dlg really modal and closes it from its title bar once it runs; a
// dialog that does not end that way ends after a while with 0.
int closeFromTitleBar(wxDialog& dlg)
{
    wxTimer giveUp;
    giveUp.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { dlg.EndModal(0); });
    giveUp.StartOnce(10000);
    dlg.CallAfter([&dlg] { dlg.Close(); });
    return dlg.ShowModal();
}

TEST(SettingsDialogs, ClosingTheWindowChangesAndSavesNothing)
{
    {
        Fixture f;
        DataTypeDialog dialog(nullptr);
        dialog.setSettings(&f.store, f.file);
        EXPECT_EQ(closeFromTitleBar(dialog), wxID_CANCEL);
        EXPECT_FALSE(f.saved());
        EXPECT_EQ(f.value(key::dataType), "0") << "a real showing opens like a hooked one";
    }
    {
        Fixture f;
        OutputInfoDialog dialog(nullptr);
        dialog.setSettings(&f.store, f.file);
        EXPECT_EQ(closeFromTitleBar(dialog), wxID_CANCEL);
        EXPECT_FALSE(f.saved());
        EXPECT_EQ(f.value(key::chkName), "1") << "a real showing opens like a hooked one";
    }
}

// --- layout -------------------------------------------------------------------

TEST(DataTypeDialog, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    Fixture f;
    DataTypeDialog dlg(nullptr);
    dlg.setSettings(&f.store, f.file);
    EXPECT_NO_DIALOG(dlg.InitDialog());
    EXPECT_EQ(expectTidyLayout(dlg), 7u);
}

TEST(OutputInfoDialog, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    Fixture f;
    OutputInfoDialog dlg(nullptr);
    dlg.setSettings(&f.store, f.file);
    EXPECT_NO_DIALOG(dlg.InitDialog());
    EXPECT_EQ(expectTidyLayout(dlg), 8u);
}

} // namespace
