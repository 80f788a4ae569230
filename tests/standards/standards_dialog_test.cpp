// The standards dialog's logic, driven as the dialog drives it, and the
// dialog itself over a library in a temporary folder.

#include "GuiTest.h"
#include "Layout.h"
#include "StandardsFixtures.h"
#include "TempDir.h"

#include "PlatformFiles.h"
#include "PropertyFile.h"

#include "StandardDialog.h"
#include "StandardsDialog.h"
#include "StandardsEditor.h"
#include "standards/Csv.h"
#include "standards/SqliteStore.h"

#include <sqlite3.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

using namespace standards;

namespace {

struct Library {
    TempDir dir;
    SqliteStore store{dir.path("standards.sqlite")};
    tonvale::PropertyFile settings;
    std::string settingsFile = dir.path("Tonvale.INI");

    std::string saved() const { return tonvale::fromFileText(dir.read("Tonvale.INI")); }
};

StandardForm typed(const std::string& name)
{
    StandardForm form;
    form.name = name;
    form.L = "52.5";
    form.a = "-3";
    form.b = "17.25";
    form.illuminant = 3;
    form.observer = 1;
    form.formula = int(Formula::E94);
    form.deltaE = "1.5";
    form.db = "0.5";
    form.note = "typed";
    return form;
}

const std::string failedChange = "基準色ライブラリを変更できませんでした。\n";

} // namespace

TEST(StandardsEditor, AddsATypedStandard)
{
    Library l;
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());
    Field bad = Field::None;
    EXPECT_NO_DIALOG(EXPECT_TRUE(editor.add(typed("Green"), bad)));
    ASSERT_EQ(1u, editor.standards().size());
    const Standard& added = editor.standards()[0];
    EXPECT_EQ("Green", added.name);
    EXPECT_EQ(52.5, added.lab.L);
    EXPECT_EQ(-3, added.lab.a);
    EXPECT_EQ(3, added.illuminant);
    EXPECT_EQ(1, added.observer);
    EXPECT_FALSE(added.reflectance);
    EXPECT_EQ(Formula::E94, added.tolerance.formula);
    EXPECT_EQ(1.5, added.tolerance.deltaE);
    EXPECT_FALSE(added.tolerance.dL);
    EXPECT_EQ(0.5, added.tolerance.db);
    EXPECT_EQ("typed", added.note);
    EXPECT_TRUE(l.store.find("Green"));
}

TEST(StandardsEditor, RefusesABadFormWithItsMessageAndStoresNothing)
{
    Library l;
    l.store.add(labStandard("Taken"));
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());
    struct Case {
        std::function<void(StandardForm&)> change;
        Field field;
        std::string message;
    };
    const std::vector<Case> cases{
        {[](StandardForm& f) { f.name = ""; }, Field::Name, "基準色の名前を入力してください。"},
        {[](StandardForm& f) { f.name = std::string(65, 'x'); }, Field::Name, "基準色の名前は 64 文字以内で入力してください。"},
        {[](StandardForm& f) { f.name = "Taken"; }, Field::Name, "同じ名前の基準色がすでにあります。"},
        {[](StandardForm& f) { f.L = "100.5"; }, Field::L, "L* には 0 から 100 までの数値を入力してください。"},
        {[](StandardForm& f) { f.L = "abc"; }, Field::L, "L* には 0 から 100 までの数値を入力してください。"},
        {[](StandardForm& f) { f.a = "-201"; }, Field::A, "a* と b* には -200 から 200 までの数値を入力してください。"},
        {[](StandardForm& f) { f.b = "1,5"; }, Field::B, "a* と b* には -200 から 200 までの数値を入力してください。"},
        {[](StandardForm& f) { f.deltaE = "0"; }, Field::DeltaE, "許容差には 0 より大きい値を入力してください。"},
        {[](StandardForm& f) { f.deltaE = "-1"; }, Field::DeltaE, "許容差には 0 より大きい値を入力してください。"},
        {[](StandardForm& f) { f.deltaE = "nan"; }, Field::DeltaE, "許容差 ΔE には数値を入力してください。"},
        {[](StandardForm& f) { f.deltaE = ""; }, Field::DeltaE, "許容差 ΔE には数値を入力してください。"},
        {[](StandardForm& f) { f.dL = "0"; }, Field::DL, "許容差には 0 より大きい値を入力してください。"},
        {[](StandardForm& f) { f.da = "x"; }, Field::Da, "ΔL*、Δa*、Δb* の許容差には数値を入力するか、空欄にしてください。"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        StandardForm form = typed("New");
        cases[i].change(form);
        Field bad = Field::None;
        bool added = true;
        wxTEST_DIALOG(added = editor.add(form, bad), ExpectMessage(cases[i].message));
        EXPECT_FALSE(added) << "case " << i;
        EXPECT_EQ(cases[i].field, bad) << "case " << i;
    }
    EXPECT_EQ(1u, l.store.all().size());
}

TEST(StandardsEditor, TheActiveStandardIsKeptOnOkAndLeftAsItWasOnCancel)
{
    Library l;
    l.store.add({labStandard("A"), labStandard("B"), labStandard("C")});
    l.settings.setString("Name_Standard", "B");
    {
        StandardsEditor editor(l.store, l.settings, l.settingsFile);
        ASSERT_TRUE(editor.open());
        EXPECT_EQ(1u, editor.active());
        editor.choose(2);
        EXPECT_EQ(2u, editor.active());
        EXPECT_NO_DIALOG(editor.cancel());
        EXPECT_NE(std::string::npos, l.saved().find("Name_Standard=B\r\n")) << l.saved();
    }
    {
        StandardsEditor editor(l.store, l.settings, l.settingsFile);
        ASSERT_TRUE(editor.open());
        editor.choose(2);
        EXPECT_NO_DIALOG(editor.confirm());
        EXPECT_NE(std::string::npos, l.saved().find("Name_Standard=C\r\n")) << l.saved();
        editor.choose(std::nullopt);
        EXPECT_NO_DIALOG(editor.confirm());
        EXPECT_NE(std::string::npos, l.saved().find("Name_Standard=\r\n")) << l.saved();
    }
    // A name no standard has any more is no active standard.
    l.settings.setString("Name_Standard", "Gone");
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());
    EXPECT_FALSE(editor.active());
}

TEST(StandardsEditor, RenamingOrRemovingTheActiveStandardCarriesOverToCancel)
{
    Library l;
    l.store.add({labStandard("A"), labStandard("B")});
    l.settings.setString("Name_Standard", "A");
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());

    EXPECT_NO_DIALOG(EXPECT_TRUE(editor.rename(0, "青 A")));
    EXPECT_FALSE(l.store.find("A"));
    ASSERT_TRUE(editor.active());
    // In the byte order of the names, "B" comes first now.
    const std::size_t blue = *editor.active();
    EXPECT_EQ("青 A", editor.standards()[blue].name);
    EXPECT_EQ(1u, blue);
    bool renamed = true;
    wxTEST_DIALOG(renamed = editor.rename(blue, "B"), ExpectMessage("同じ名前の基準色がすでにあります。"));
    EXPECT_FALSE(renamed);
    wxTEST_DIALOG(renamed = editor.rename(blue, ""), ExpectMessage("基準色の名前を入力してください。"));
    EXPECT_FALSE(renamed);
    EXPECT_NO_DIALOG(editor.cancel());
    EXPECT_NE(std::string::npos, l.saved().find("Name_Standard=青 A\r\n")) << l.saved();

    // Asked first; the answer Cancel keeps it.
    bool removed = true;
    wxTEST_DIALOG(removed = editor.remove(blue),
                  ExpectMessage("基準色「青 A」を削除しますか？", wxID_CANCEL, wxICON_QUESTION));
    EXPECT_FALSE(removed);
    EXPECT_TRUE(l.store.find("青 A"));
    wxTEST_DIALOG(removed = editor.remove(blue),
                  ExpectMessage("基準色「青 A」を削除しますか？", wxID_OK, wxICON_QUESTION));
    EXPECT_TRUE(removed);
    EXPECT_FALSE(l.store.find("青 A"));
    EXPECT_FALSE(editor.active());
    EXPECT_NO_DIALOG(editor.cancel());
    EXPECT_NE(std::string::npos, l.saved().find("Name_Standard=\r\n")) << l.saved();
}

TEST(StandardsEditor, ChangesTheToleranceAndNoteOnly)
{
    Library l;
    l.store.add(spectralStandard("S"));
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());
    StandardForm form = StandardForm::of(editor.standards()[0]);
    form.L = "99";
    form.formula = int(Formula::Eab);
    form.deltaE = "2";
    form.dL = "";
    form.note = "two\r\nlines";
    Field bad = Field::None;
    EXPECT_NO_DIALOG(EXPECT_TRUE(editor.changeTolerance(0, form, bad)));
    const Standard changed = *l.store.find("S");
    EXPECT_EQ(spectralStandard("S").lab.L, changed.lab.L);
    EXPECT_EQ(spectralStandard("S").reflectance, changed.reflectance);
    EXPECT_EQ(Formula::Eab, changed.tolerance.formula);
    EXPECT_EQ(2.0, changed.tolerance.deltaE);
    EXPECT_FALSE(changed.tolerance.dL);
    EXPECT_EQ(0.4, changed.tolerance.da);
    EXPECT_EQ("two\r\nlines", changed.note);

    form.deltaE = "-2";
    bool done = true;
    wxTEST_DIALOG(done = editor.changeTolerance(0, form, bad), ExpectMessage("許容差には 0 より大きい値を入力してください。"));
    EXPECT_FALSE(done);
    EXPECT_EQ(Field::DeltaE, bad);
    EXPECT_EQ(2.0, l.store.find("S")->tolerance.deltaE);
}

TEST(StandardsEditor, ImportsAndExportsCsvFiles)
{
    Library l;
    l.store.add(labStandard("Here"));
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());

    const std::string good = toCsv({spectralStandard("One"), labStandard("Two")});
    l.dir.write("good.csv", good);
    std::string bad = good;
    bad.replace(bad.rfind(",CMC,"), 5, ",CMD,");
    l.dir.write("bad.csv", bad);

    bool imported = true;
    wxTEST_DIALOG(imported = editor.importFrom(l.dir.path("bad.csv")),
                  ExpectMessage("CSV ファイルを取り込めませんでした。何も取り込んでいません。\n" + l.dir.path("bad.csv") +
                                "\n3 行目: 色差式は dEab、dE94、dE00、CMC のいずれかにしてください。"));
    EXPECT_FALSE(imported);
    EXPECT_EQ(1u, l.store.all().size());

    wxTEST_DIALOG(imported = editor.importFrom(l.dir.path("good.csv")),
                  ExpectMessage("2 件の基準色を取り込みました。", wxID_OK, wxICON_INFORMATION));
    EXPECT_TRUE(imported);
    EXPECT_EQ(3u, editor.standards().size());

    // The same file again: its names are in the library now.
    wxTEST_DIALOG(imported = editor.importFrom(l.dir.path("good.csv")),
                  ExpectMessage("CSV ファイルを取り込めませんでした。何も取り込んでいません。\n" + l.dir.path("good.csv") +
                                "\n2 行目: 同じ名前の基準色がすでにあります。"));
    EXPECT_EQ(3u, l.store.all().size());

    EXPECT_NO_DIALOG(EXPECT_TRUE(editor.exportTo(l.dir.path("out.csv"))));
    EXPECT_EQ(toCsv(l.store.all()), l.dir.read("out.csv"));
    const std::vector<Standard> back = fromCsv(l.dir.read("out.csv"));
    ASSERT_EQ(3u, back.size());
    expectSameStandard(spectralStandard("One"), back[1]);
}

TEST(StandardsEditor, AStoreThatFailsInUseIsNamedWithItsReason)
{
    Library l;
    l.store.add(labStandard("A"));
    StandardsEditor editor(l.store, l.settings, l.settingsFile);
    ASSERT_TRUE(editor.open());
    // Another program holds the library for writing.
    sqlite3* other = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(l.dir.path("standards.sqlite").c_str(), &other));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    Field bad = Field::None;
    bool added = true;
    wxTEST_DIALOG(added = editor.add(typed("B"), bad),
                  ExpectMessage(failedChange + l.dir.path("standards.sqlite") +
                                "\nほかのプログラムが書き込み中です（ロックされています）。しばらくしてからやり直してください。"
                                "\n(database is locked)"));
    EXPECT_FALSE(added);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_NO_DIALOG(EXPECT_TRUE(editor.add(typed("B"), bad)));
}

TEST(StandardOfMeasurement, TakesTheMeasuredColourUnderKnownConditionsOnly)
{
    Standard s;
    MeasuredColour spectral;
    spectral.dataType = 0;
    spectral.values.assign(39, 42.5);
    spectral.values[3] = 7;
    spectral.illuminant = 9;
    spectral.observer = 0;
    spectral.lab = {70, 1, 2};
    EXPECT_EQ(Problem::None, standardOfMeasurement(spectral, s));
    ASSERT_TRUE(s.reflectance);
    EXPECT_EQ(7, (*s.reflectance)[3]);
    EXPECT_EQ(42.5, (*s.reflectance)[38]);
    EXPECT_EQ(70, s.lab.L);
    EXPECT_EQ(9, s.illuminant);

    MeasuredColour lab;
    lab.dataType = 1;
    lab.values = {35.5, -20, 10};
    lab.illuminant = 1;
    lab.observer = 1;
    EXPECT_EQ(Problem::None, standardOfMeasurement(lab, s));
    EXPECT_FALSE(s.reflectance);
    EXPECT_EQ(35.5, s.lab.L);
    EXPECT_EQ(-20, s.lab.a);
    EXPECT_EQ(1, s.observer);

    // Measured with the instrument's button: under conditions nobody knows.
    lab.illuminant = lab.observer = -1;
    EXPECT_EQ(Problem::Conditions, standardOfMeasurement(lab, s));
}

TEST(StandardsDialog, ListsTheLibraryMarksTheActiveStandardAndFitsItsControls)
{
    Library l;
    l.store.add({labStandard("Red"), spectralStandard("青")});
    l.settings.setString("Name_Standard", "青");
    standards::StandardsDialog dialog(nullptr, l.store, l.settings, l.settingsFile);
    dialog.InitDialog();
    wxListBox* list = dialog.list();
    ASSERT_EQ(2u, list->GetCount());
    EXPECT_EQ("Red", list->GetString(0).utf8_string());
    EXPECT_EQ("● 青", list->GetString(1).utf8_string());
    EXPECT_EQ(1, list->GetSelection());
    const auto* colourLine = XRCCTRL(dialog, "standards_colour", wxStaticText);
    EXPECT_EQ("L* 61.00  a* 0.14  b* -2.50  D65/10°  (360-740 nm)", colourLine->GetLabel().utf8_string());
    EXPECT_EQ("ΔE00 ≦ 0.8  ΔL* ±0.5  Δa* ±0.4",
              XRCCTRL(dialog, "standards_tolerance", wxStaticText)->GetLabel().utf8_string());
    EXPECT_GT(expectTidyLayout(dialog), 10u);
}

TEST(StandardsDialog, TheStandardDialogEnablesWhatItsCommandMayChange)
{
    StandardForm form = StandardForm::of(labStandard("Red"));
    bool accepted = false;
    for (const auto mode : {StandardDialog::Mode::Add, StandardDialog::Mode::FromMeasurement,
                            StandardDialog::Mode::Rename, StandardDialog::Mode::Tolerance}) {
        StandardDialog dialog(nullptr, mode, form, [&](const StandardForm&, Field&) { return accepted; });
        dialog.InitDialog();
        EXPECT_EQ(mode != StandardDialog::Mode::Tolerance, XRCCTRL(dialog, "standard_name", wxTextCtrl)->IsEnabled());
        EXPECT_EQ(mode == StandardDialog::Mode::Add, XRCCTRL(dialog, "standard_l", wxTextCtrl)->IsEnabled());
        EXPECT_EQ(mode != StandardDialog::Mode::Rename, XRCCTRL(dialog, "standard_de", wxTextCtrl)->IsEnabled());
        const StandardForm shown = dialog.form();
        EXPECT_EQ("Red", shown.name);
        EXPECT_EQ("52.25", shown.L);
        EXPECT_EQ("1.2", shown.deltaE);
        EXPECT_EQ("0.6", shown.db);
        EXPECT_EQ(int(Formula::Cmc), shown.formula);
        EXPECT_EQ(1, shown.observer);
        EXPECT_GT(expectTidyLayout(dialog), 10u);
    }
}
