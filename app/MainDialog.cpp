#include "MainDialog.h"

#include "AboutCommand.h"
#include "AboutDialog.h"
#include "AutoNamingDialog.h"
#include "ColourSample.h"
#include "ColourTables.h"
#include "ColourViewWindow.h"
#include "ConditionsDialog.h"
#include "DataType.h"
#include "DataTypeDialog.h"
#include "Instrument.h"
#include "JournalPlatform.h"
#include "MeasureInfoDialog.h"
#include "MeasurementRecord.h"
#include "Messages.h"
#include "OutputDestination.h"
#include "OpenFolder.h"
#include "OutputInfoDialog.h"
#include "PathMessageDialog.h"
#include "PlatformFiles.h"
#include "Placement.h"
#include "RemoteMeasureDialog.h"
#include "Resources.h"
#include "Settings.h"
#include "StatusLine.h"
#include "SpreadsheetOutput.h"
#include "MakeStandard.h"
#include "StandardsDialog.h"
#include "StandardsEditor.h"
#include "Strings.h"
#include "TextOutputWindow.h"
#include "standards/SqliteStore.h"
#include "uikit/UiThread.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/xrc/xmlres.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace tonvale {
namespace {

struct DestinationEntry {
    OutputDestination code;
    int stringId;
};
// Chooses the worksheet to write to; no menu item carries it.
constexpr int commandSelectDestination = 32771;

constexpr DestinationEntry destinations[] = {
    {OutputNone, 150}, {OutputSpreadsheet, 151}, {OutputText, 152}};

} // namespace

MainDialog::MainDialog(std::string settingsFile)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(appTitle), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)),
      settingsFile(std::move(settingsFile)),
      instrument(Instrument::instance()),
      record(MeasurementRecord::instance()),
      textWindow(TextOutputWindow::instance()),
      spreadsheet(SpreadsheetOutput::instance()),
      journal(journalDirectory()),
      journalRun(journalRunId(std::time(nullptr), wxGetProcessId()))
{
    ensureResources();
    panel = wxXmlResource::Get()->LoadPanel(this, wxT("TONVALE_MAIN_102"));
    SetMenuBar(wxXmlResource::Get()->LoadMenuBar(wxT("TONVALE_MENU_129")));
    placeAboutCommand(*this);
    // The status lines go below the window's own controls, which keep
    // their places.
    const wxSize controls = panel->ConvertDialogToPixels(wxSize(148, 137));
    const wxSize margin = panel->ConvertDialogToPixels(wxSize(8, 4));
    auto* statusPanel = new wxPanel(this);
    statusPanel->SetFont(panel->GetFont());
    auto* rule = new wxStaticLine(statusPanel, wxID_ANY, wxPoint(0, 0), wxSize(controls.x, 2));
    status = new wxStaticText(statusPanel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                              wxST_NO_AUTORESIZE);
    const int statusLines = 5;
    status->SetSize(margin.x, rule->GetSize().y + margin.y, controls.x - 2 * margin.x,
                    statusLines * status->GetCharHeight());
    const int statusHeight = status->GetRect().GetBottom() + 1 + margin.y;
    panel->SetSize(0, 0, controls.x, controls.y);
    statusPanel->SetSize(0, controls.y, controls.x, statusHeight);
    SetClientSize(controls.x, controls.y + statusHeight);
    SetIcon(programIcon());
    destination = XRCCTRL(*panel, "1072", wxChoice);
    measureButton = XRCCTRL(*panel, "1001", wxButton);
    textWindow.setMainWindow(this);

    measureInfoDialog = std::make_unique<MeasureInfoDialog>(this, record);
    remoteMeasureDialog = std::make_unique<RemoteMeasureDialog>(this);
    autoNamingDialog = std::make_unique<AutoNamingDialog>(this);
    conditionsDialog = std::make_unique<ConditionsDialog>(this, instrument);
    dataTypeDialog = std::make_unique<DataTypeDialog>(this);
    outputInfoDialog = std::make_unique<OutputInfoDialog>(this);

    auto command = [this](const char* name, void (MainDialog::*handler)()) {
        Bind(wxEVT_MENU, [this, handler](wxCommandEvent&) { (this->*handler)(); },
             wxXmlResource::GetXRCID(name));
    };
    command("ID_CALIBRATE", &MainDialog::calibrate);
    command("ID_MEASURE", &MainDialog::measure);
    command("ID_CONDITIONS", &MainDialog::showConditions);
    command("ID_DATA_TYPE", &MainDialog::showDataType);
    command("ID_AUTO_NAMING", &MainDialog::showAutoNaming);
    command("ID_OUTPUT_INFO", &MainDialog::showOutputInfo);
    command("ID_JOURNAL_FOLDER", &MainDialog::openJournalFolder);
    command("ID_COLOUR_VIEW", &MainDialog::toggleColourView);
    command("ID_STANDARDS", &MainDialog::showStandards);
    command("ID_REMOTE", &MainDialog::toggleRemote);
    command("ID_SELECT_WORKSHEET", &MainDialog::chooseWorksheet);
    // The check mark follows the setting, which a measurement may have
    // stored as well.
    Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
        if (wxMenuItem* remote = GetMenuBar()->FindItem(XRCID("ID_REMOTE")))
            remote->Check(readInt(store, key::chkRemote, fallback::chkRemote) == 1);
        event.Skip();
    });
    instrument.setStepListener([this](int step) {
        showStatus(step == 0 ? std::string() : strings().get(step) + "中...");
    });
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { switchToNone(); }, commandSwitchToNone);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { selectDestination(); }, commandSelectDestination);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) {
        AboutDialog about(this);
        about.ShowModal();
    }, wxID_ABOUT);
    panel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { measure(); }, XRCID("1001"));
    panel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); }, XRCID("1076"));
    destination->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { changeDestination(); });
    Bind(wxEVT_CLOSE_WINDOW, &MainDialog::onClose, this);
}

MainDialog::~MainDialog()
{
    if (remoteThread.joinable()) {
        instrument.cancelRemote();
        remoteThread.join();
    }
    if (colourWindow != nullptr)
        colourWindow->Destroy();
    Instrument::destroyInstance();
    MeasurementRecord::destroyInstance();
    SpreadsheetOutput::destroyInstance();
}

bool MainDialog::start()
{
    while (!connect()) {
    }
    if (portDialogCancelled)
        return false;

    for (const auto& entry : destinations)
        destination->Append(wxString::FromUTF8(strings().get(entry.stringId)),
                            reinterpret_cast<void*>(static_cast<intptr_t>(entry.code)));
    destination->SetSelection(0);

    if (store.load(settingsFile)) {
        placeFromSettings();
        store.setInt(key::mesNum, firstMesNum);
        store.save(settingsFile);
    } else {
        storeFirstRunDefaults(store);
    }
    measureButton->SetLabel(wxString::FromUTF8(strings().get(144)));
    Show();
    makeColourView();
    if (openStandards())
        followActiveStandard();
    started = true;
    showStatus();
    return true;
}

bool MainDialog::connect()
{
    if (!instrument.setupPort(this)) {
        portDialogCancelled = true;
        return true;
    }
    const std::string port = instrument.getPortName();
    store.setString(key::portName, port);
    return instrument.openPort(port);
}

void MainDialog::placeFromSettings()
{
    const wxRect screen = wxDisplay(0u).GetGeometry();
    const Rect desktop{screen.GetLeft(), screen.GetTop(), screen.GetRight() + 1, screen.GetBottom() + 1};
    const wxSize size = GetSize();
    const Rect centred = centredOn(desktop, size.GetWidth(), size.GetHeight());
    Rect stored;
    stored.right = readInt(store, key::posRightMain, centred.right);
    stored.left = readInt(store, key::posLeftMain, centred.left);
    stored.top = readInt(store, key::posTopMain, centred.top);
    stored.bottom = readInt(store, key::posBottomMain, centred.bottom);
    const Rect placed = shiftOntoDesktop(stored, desktop);
    // Only moved: the window's size is fixed, and the size saved on a desktop
    // whose window manager frames it (border, title bar) is the frame's; a
    // request for that size made the move go astray into a corner.
    Move(placed.left, placed.top);
}

bool MainDialog::confirmExit()
{
    // Lines never saved would be left only in the journal.
    if (textWindow.hasUnsavedLines()) {
        const int answer = showMessage(170, MessageIcon::Question, MessageButtons::SaveDontSaveCancel);
        if (answer == wxID_CANCEL || (answer == wxID_YES && !textWindow.saveAs()))
            return false;
    } else if (showMessage(158, MessageIcon::Stop, MessageButtons::OkCancel) != wxID_OK) {
        return false;
    }
    saveAtExit();
    Destroy();
    return true;
}

void MainDialog::saveAtExit()
{
    const wxRect r = GetScreenRect();
    store.setInt(key::posLeftMain, r.GetLeft());
    store.setInt(key::posTopMain, r.GetTop());
    store.setInt(key::posRightMain, r.GetRight() + 1);
    store.setInt(key::posBottomMain, r.GetBottom() + 1);
    if (colourWindow != nullptr) {
        const wxPoint place = colourWindow->GetScreenPosition();
        store.setInt(key::showColourView, colourWindow->IsShown() ? 1 : 0);
        store.setInt(key::posLeftColourView, place.x);
        store.setInt(key::posTopColourView, place.y);
    }
    store.save(settingsFile);
}

void MainDialog::endSession()
{
    if (remoteThread.joinable()) {
        instrument.cancelRemote();
        // The worker still switches remote measurement off; its end is
        // announced on this thread, so wait for it in an event loop. A wait
        // of the measurement itself below this one is ended with it.
        if (!remoteFinished) {
            wxEventLoopBase* const measuring = remoteWait;
            wxGUIEventLoop wait;
            remoteWait = &wait;
            wait.Run();
            remoteWait = measuring;
            if (measuring != nullptr)
                measuring->ScheduleExit();
        }
    }
    // Before start-up has loaded the settings there is nothing to keep: the
    // store holds no more than the port, and must not replace the file.
    if (started)
        saveAtExit();
    instrument.closePort();
}

void MainDialog::onClose(wxCloseEvent& event)
{
    if (!confirmExit() && event.CanVeto())
        event.Veto();
}

void MainDialog::changeDestination()
{
    switch (destination->GetSelection()) {
    case OutputNone:
        textWindow.Hide();
        break;
    case OutputSpreadsheet:
        textWindow.Hide();
        if (!selectDestination())
            destination->SetSelection(OutputNone);
        break;
    case OutputText:
        textWindow.Show();
        break;
    default:
        break;
    }
}

bool MainDialog::selectDestination()
{
    return spreadsheet.selectDestination();
}

void MainDialog::switchToNone()
{
    const wxString none = wxString::FromUTF8(strings().get(150));
    for (unsigned i = 0; i < destination->GetCount(); ++i) {
        if (destination->GetString(i).StartsWith(none)) {
            destination->SetSelection(int(i));
            return;
        }
    }
}

void MainDialog::calibrate()
{
    wxBusyCursor wait;
    if (!instrument.isOpen()) {
        showMessage(129);
        return;
    }
    instrument.calibrate();
    showStatus();
}

void MainDialog::measure()
{
    std::string notice;
    try {
        measureWith(notice);
    } catch (...) {
        showStatus();
        throw;
    }
    showStatus(notice);
}

void MainDialog::measureWith(std::string& notice)
{
    if (!instrument.isOpen()) {
        showMessage(129);
        return;
    }
    const int gloss = readInt(store, key::gloss, fallback::glossInMeasure);
    const int number = readInt(store, key::mesNum, fallback::mesNum);
    const std::string prefix = readString(store, key::nameDefault, fallback::nameDefault);
    const int autoNaming = readInt(store, key::chkAutoNaming, fallback::chkAutoNaming);
    const int remote = readInt(store, key::chkRemote, fallback::chkRemote);
    const int dataType = readInt(store, key::dataType, fallback::dataType);
    const int illuminant = readInt(store, key::illuminant, fallback::illuminant);
    const int observer = readInt(store, key::observer, fallback::observer);
    record.setSpecularFilter(gloss);
    record.setNaming(number, prefix, autoNaming);

    int switches[outputSwitchKeys.size()];
    for (std::size_t i = 0; i < outputSwitchKeys.size(); ++i)
        switches[i] = readInt(store, outputSwitchKeys[i], fallback::switchesInMeasure[i]);
    const bool unchanged = record.setOutputFlags(switches[0], switches[1], switches[2],
                                                 switches[3], switches[4], switches[5]);

    const int target = destination->GetSelection();
    if (target == wxNOT_FOUND)
        return;
    if (target == OutputNone) {
        showMessage(153);
        return;
    }
    if (target == OutputSpreadsheet) {
        if (spreadsheet.workbookIndex() < 1 && spreadsheet.worksheetIndex() < 1) {
            showMessage(140);
            return;
        }
        if (!spreadsheet.checkDestination()) {
            showMessage(140);
            destination->SetSelection(OutputNone);
            return;
        }
    }

    if (autoNaming == 0) {
        measureInfoDialog->setNumber(number);
        if (measureInfoDialog->ShowModal() != wxID_OK)
            return;
    }

    {
        wxBusyCursor wait;
        if (remote == 1) {
            if (remoteThread.joinable() || !measureRemotely(dataType, target))
                return;
        } else if (!instrument.measure(dataType, illuminant, observer, target)) {
            return;
        }
        if (autoNaming != 0)
            record.setName(record.makeName());
    }
    // The instrument's button sends what the instrument is set to; it is
    // written as it came, and said so here rather than in a box.
    if (remote == 1 && record.dataType() != dataType)
        notice = strings().format(172, strings().get(record.dataType() == 0 ? 141 : 155));
    // The instrument's button measures L*a*b* under the instrument's own
    // illuminant and observer, which the program does not know. Judged
    // before it is journalled: the journal's line, on the disk before the
    // destination sees it, holds the verdict.
    const ColourSample sample = colourSample(record, instrument.dataLines(), remote == 1 ? -1 : illuminant,
                                             remote == 1 ? -1 : observer);
    const std::string id = keepInJournal(target, illuminant, observer, remote == 1, sample);

    // An automation error while writing a row leaves this function, and the
    // number stays: the row was not fully written. The layout is that of the
    // lines received: the instrument's button sends what the instrument was
    // set to, whatever the setting here.
    bool written = true;
    if (target == OutputSpreadsheet) {
        try {
            written = record.writeToSpreadsheet(unchanged, record.dataType());
        } catch (const std::exception& error) {
            keepOutcome(id, error.what());
            throw;
        }
    } else {
        record.writeToText(unchanged, record.dataType());
    }
    keepOutcome(id, {});
    if (!written)
        return;
    if (colourWindow != nullptr)
        colourWindow->add(sample);
    store.setInt(key::mesNum, number == lastMesNum ? lastMesNum : number + 1);
}

void MainDialog::keepOutcome(const std::string& id, const std::string& error)
{
    if (id.empty())
        return;
    const OutputReport& report = record.lastOutput();
    JournalOutcome outcome;
    outcome.id = id;
    outcome.measuredAt = record.measuredAt();
    switch (report.result) {
    case OutputResult::Written: outcome.outcome = "written"; break;
    case OutputResult::Refused: outcome.outcome = "refused"; break;
    case OutputResult::Failed: outcome.outcome = "failed"; break;
    }
    outcome.message = report.message;
    outcome.detail = error;
    std::string file;
    if (const std::error_code failure = journal.appendOutcome(outcome, file))
        showMessage(171, file + "\n" + failure.message());
}

std::string MainDialog::keepInJournal(int target, int illuminant, int observer, bool remote,
                                      const ColourSample& sample)
{
    if (readInt(store, key::journal, fallback::journal) == 0)
        return {};
    // The instrument's button measures under the instrument's own
    // illuminant and observer, which the program does not know.
    std::string illuminantName;
    std::string observerName;
    if (!remote) {
        if (const IlluminantEntry* entry = findIlluminant(illuminant))
            illuminantName = entry->name;
        observerName = observer == 0 ? "10°" : "2°";
    }
    const auto& lines = instrument.dataLines();
    JournalMeasurement measurement =
        journalMeasurement(record, lines, instrument.model(), target, illuminantName, observerName);
    measurement.id = journalRun + "-" + std::to_string(++journalSequence);
    if (colourWindow != nullptr && standard)
        if (const auto judged = colourWindow->model().judge(sample))
            measurement.judgement = journalJudgement(*standard, *judged, sample.lines.front().index);
    std::string file;
    if (const std::error_code error = journal.append(measurement, file)) {
        showMessage(161, file + "\n" + error.message());
        return {};
    }
    return measurement.id;
}

void MainDialog::toggleRemote()
{
    const int remote = readInt(store, key::chkRemote, fallback::chkRemote);
    store.setInt(key::chkRemote, remote == 1 ? 0 : 1);
    store.save(settingsFile);
    showStatus();
}

void MainDialog::chooseWorksheet()
{
    textWindow.Hide();
    if (selectDestination())
        destination->SetSelection(OutputSpreadsheet);
    else if (destination->GetSelection() == OutputText)
        textWindow.Show();
}

namespace {

// A setting as it stands, without storing a fallback for a missing key: the
// status lines only look.
int peekInt(const PropertyFile& store, const std::string& key, int fallback)
{
    try {
        return store.getInt(key);
    } catch (const std::invalid_argument&) {
        return fallback;
    }
}

} // namespace

std::string MainDialog::statusText() const
{
    return status->GetLabel().utf8_string();
}

void MainDialog::showStatus(const std::string& notice)
{
    StatusFacts facts;
    facts.port = instrument.isOpen() ? instrument.getPortName() : "ポート未接続";
    facts.model = instrument.model();
    facts.calibration = instrument.lastCalibrationState();
    facts.area = instrument.lastArea();
    facts.both = instrument.lastBoth();
    facts.dataType = peekInt(store, key::dataType, fallback::dataType);
    facts.illuminant = peekInt(store, key::illuminant, fallback::illuminant);
    facts.observer = peekInt(store, key::observer, fallback::observer);
    facts.remote = peekInt(store, key::chkRemote, fallback::chkRemote);
    facts.notice = notice;
    status->SetLabel(wxString::FromUTF8(tonvale::statusText(facts)));
    status->Wrap(status->GetSize().x);
    // Painted now: a calibration step blocks this thread right after.
    status->Update();
}

void MainDialog::openJournalFolder()
{
    const std::string folder = journal.directory();
    // The path goes where it can be copied: message 162 without it.
    // The opener may end after this window has gone.
    const auto report = [self = wxWeakRef<wxWindow>(this), folder](const std::string& reason) {
        std::string message = strings().format(162, "");
        while (!message.empty() && message.back() == '\n')
            message.pop_back();
        PathMessageDialog box(self.get(), message, folder, reason);
        box.ShowModal();
    };
    std::error_code error;
    std::filesystem::create_directories(pathOf(folder), error);
    if (error) {
        report(error.message());
        return;
    }
    openFolder(folder, [report] { report({}); });
}

void MainDialog::makeColourView()
{
    colourWindow = new ColourViewWindow(colourTablesDirectory(),
                                        readInt(store, key::illuminant, fallback::illuminant),
                                        readInt(store, key::observer, fallback::observer));
    colourWindow->setOnClosed([this] { GetMenuBar()->Check(XRCID("ID_COLOUR_VIEW"), false); });
    colourWindow->setOnMakeStandard([this] { makeStandardOfShown(); });
    colourWindow->setStandard(standard);
    auto stored = [this](const char* key) -> std::optional<int> {
        try {
            return store.getInt(key);
        } catch (const std::invalid_argument&) {
            return std::nullopt;
        }
    };
    // Only a place that was saved: the first time the window manager places it.
    const auto left = stored(key::posLeftColourView);
    const auto top = stored(key::posTopColourView);
    if (left && top) {
        const wxRect screen = wxDisplay(0u).GetGeometry();
        const Rect desktop{screen.GetLeft(), screen.GetTop(), screen.GetRight() + 1, screen.GetBottom() + 1};
        const wxSize size = colourWindow->GetSize();
        const Rect placed = shiftOntoDesktop({*left, *top, *left + size.x, *top + size.y}, desktop);
        colourWindow->Move(placed.left, placed.top);
    }
    if (stored(key::showColourView) == 1) {
        colourWindow->Show();
        GetMenuBar()->Check(XRCID("ID_COLOUR_VIEW"), true);
    }
}

bool MainDialog::openStandards()
{
    try {
        standardLibrary = std::make_unique<standards::SqliteStore>(standards::standardsPath());
        return true;
    } catch (const standards::StoreError& error) {
        standardLibrary.reset();
        showMessage(190, standards::storeErrorText(error));
        return false;
    }
}

void MainDialog::showStandards()
{
    if (!standardLibrary && !openStandards())
        return;
    standards::StandardsDialog dialog(this, *standardLibrary, store, settingsFile);
    dialog.ShowModal();
    // Cancel too may leave the active standard renamed, changed or deleted.
    followActiveStandard();
}

void MainDialog::makeStandardOfShown()
{
    if (!standardLibrary && !openStandards())
        return;
    const auto added =
        standards::makeStandardOfShown(colourWindow, colourWindow->model().shown(), *standardLibrary);
    if (!added)
        return;
    // The operator set it as the standard: the next measurements are judged
    // against it.
    store.setString(standards::StandardsEditor::activeKey, *added);
    store.save(settingsFile);
    followActiveStandard();
}

void MainDialog::followActiveStandard()
{
    const std::string name = readString(store, standards::StandardsEditor::activeKey, "");
    std::optional<standards::Standard> active;
    if (standardLibrary && !name.empty()) {
        try {
            active = standardLibrary->find(name);
        } catch (const standards::StoreError& error) {
            showMessage(191, standards::storeErrorText(error));
        }
    }
    setActiveStandard(std::move(active));
}

void MainDialog::setActiveStandard(std::optional<standards::Standard> active)
{
    standard = std::move(active);
    if (colourWindow != nullptr)
        colourWindow->setStandard(standard);
}

void MainDialog::toggleColourView()
{
    if (colourWindow == nullptr)
        return;
    const bool show = !colourWindow->IsShown();
    colourWindow->Show(show);
    if (show)
        colourWindow->Raise();
    GetMenuBar()->Check(XRCID("ID_COLOUR_VIEW"), show);
}

bool MainDialog::measureRemotely(int dataType, int target)
{
    RemoteMeasureDialog& dialog = *remoteMeasureDialog;
    dialog.prepare();
    dialog.setOnCancel([this] { instrument.cancelRemote(); });
    remoteFinished = false;
    const wxWindowID dialogId = dialog.GetId();
    remoteThread = std::thread([this, dataType, target, dialogId] {
        const bool result = instrument.remoteMeasure(dataType, target);
        // The end is announced on the UI thread, where it is waited for.
        uikit::runOnUiThread([this, dialogId, result] {
            remoteResult = result;
            remoteFinished = true;
            if (auto* dlg = dynamic_cast<RemoteMeasureDialog*>(FindWindowById(dialogId, this)))
                dlg->requestClose();
            if (remoteWait != nullptr)
                remoteWait->ScheduleExit();
        });
    });
    dialog.ShowModal();
    if (!remoteFinished) {
        // After a cancel the worker still switches remote measurement off,
        // which can take a command time-out, and may show messages: the
        // windows keep painting and answering meanwhile, but take no input.
        const wxWindowDisabler noInput;
        wxGUIEventLoop wait;
        remoteWait = &wait;
        wait.Run();
        remoteWait = nullptr;
    }
    remoteThread.join();
    return remoteResult;
}

void MainDialog::showConditions()
{
    wxBusyCursor wait;
    if (!instrument.isOpen()) {
        showMessage(129);
        return;
    }
    conditionsDialog->setSettings(&store, settingsFile);
    conditionsDialog->ShowModal();
    showStatus();
}

void MainDialog::showDataType()
{
    dataTypeDialog->setSettings(&store, settingsFile);
    dataTypeDialog->ShowModal();
    showStatus();
}

void MainDialog::showAutoNaming()
{
    autoNamingDialog->setSettings(store, settingsFile);
    autoNamingDialog->ShowModal();
}

void MainDialog::showOutputInfo()
{
    outputInfoDialog->setSettings(&store, settingsFile);
    outputInfoDialog->ShowModal();
}

} // namespace tonvale
