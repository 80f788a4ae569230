#pragma once
// The main window (dialog 102 with menu 129): destination selector, measure
// button, the commands of the menu, and the calibration and measurement
// workflow. It owns the settings store of the whole run.

#include "Journal.h"
#include "PropertyFile.h"

#include "standards/Standard.h"

#include <wx/frame.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

class wxChoice;
class wxEventLoopBase;
class wxButton;
class wxPanel;
class wxStaticText;

namespace standards {
class Store;
}

namespace tonvale {

class Instrument;
class MeasurementRecord;
class TextOutputWindow;
class SpreadsheetOutput;
class MeasureInfoDialog;
class RemoteMeasureDialog;
class AutoNamingDialog;
class ConditionsDialog;
class DataTypeDialog;
class OutputInfoDialog;
class ColourViewWindow;
struct ColourSample;

class MainDialog : public wxFrame {
public:
    // settingsFile: where the settings are loaded from and saved to.
    explicit MainDialog(std::string settingsFile);
    ~MainDialog() override;

    // Start-up: connect to the instrument through the port dialog until a
    // port opens, fill the destination list, load the settings and place the
    // window. False when the operator cancelled the port dialog: the program
    // ends without the exit question and without saving.
    bool start();

    // The exit path: ask with message 158 (with message 170, offering to
    // save first, while the text window holds lines never saved); on OK
    // store the window's edges, save the settings and close. False when the
    // operator declined or the save did not happen.
    bool confirmExit();

    // The session is ending (logout, shutdown, kill): what a confirmed exit
    // keeps is kept without the question. A remote measurement is cancelled
    // and its worker waited for (it switches the instrument's remote mode
    // off), the window's edges and the settings are saved (once start-up
    // has loaded them) and the link is closed. The window stays: the
    // program ends right after.
    void endSession();

    // The commands.
    void calibrate();
    void measure();
    void changeDestination();
    void switchToNone();
    // Command 32771: choose the workbook and worksheet to write to.
    bool selectDestination();
    void showConditions();
    void showDataType();
    void showAutoNaming();
    void showOutputInfo();
    // Opens the journal's folder (made when missing) in the desktop's file
    // manager; message 162 when it cannot be.
    void openJournalFolder();
    // "カラービュー": shows or hides the colour view.
    void toggleColourView();
    // "基準色ライブラリ": the standards dialog, over the library opened at
    // start-up (opened again first when that failed).
    void showStandards();
    // "基準に設定" in the colour view: the measurement shown becomes a
    // standard, named and given its tolerance in the standard dialog.
    void makeStandardOfShown();
    // The standards library; null while it cannot be used.
    standards::Store* standardStore() const { return standardLibrary.get(); }
    // "リモート測定": switches "Chk_Remote" between 0 and 1 and saves the
    // settings, as the settings dialogs do.
    void toggleRemote();
    // The worksheet to write to, chosen again: the worksheet dialog; on OK
    // the destination becomes the spreadsheet.
    void chooseWorksheet();

    // The status lines as they stand.
    std::string statusText() const;

    ColourViewWindow* colourView() const { return colourWindow; }

    // The standard every measurement is judged against (in the colour view
    // and in the journal), or none.
    void setActiveStandard(std::optional<standards::Standard> standard);
    const std::optional<standards::Standard>& activeStandard() const { return standard; }

    wxChoice* destinationList() const { return destination; }
    PropertyFile& settings() { return store; }

private:
    // One round of the port dialog and opening the chosen port; true when
    // the port opened or the operator cancelled the dialog.
    bool connect();
    void placeFromSettings();
    // Stores the window's edges and saves the settings, as the exit does.
    void saveAtExit();
    // The measurement of measure(); notice: what the status lines are to
    // say of it.
    void measureWith(std::string& notice);
    bool measureRemotely(int dataType, int destination);
    // The status lines from what the instrument last told and the settings,
    // with notice below them; painted at once, also before a blocking
    // exchange.
    void showStatus(const std::string& notice = {});
    // The measurement the record holds into the journal, unless "Journal"
    // is 0, with sample's judgement against the active standard; message
    // 161 when it cannot be written. Its measurement id, or empty when it
    // was not journalled.
    std::string keepInJournal(int destination, int illuminant, int observer, bool remote,
                              const ColourSample& sample);
    // What became of the journalled measurement id at its destination (the
    // record's last output; error: the text of an error that left it), into
    // the journal's outcome file; message 171 when it cannot be written.
    void keepOutcome(const std::string& id, const std::string& error);
    void onClose(wxCloseEvent& event);
    // Made at start-up, with the data type setting's illuminant and observer
    // for its drop-downs, where it was at the last exit.
    void makeColourView();
    // Opens the standards library; message 190 naming the file and the
    // reason when it cannot be used, and the program goes on without it.
    bool openStandards();
    // Judges against the standard the settings name as active ("", none, or
    // one the library no longer has: nothing judged).
    void followActiveStandard();

    const std::string settingsFile;
    PropertyFile store;
    Instrument& instrument;
    MeasurementRecord& record;
    TextOutputWindow& textWindow;
    SpreadsheetOutput& spreadsheet;
    const Journal journal;
    // Measurement ids: this run's, then a sequence number.
    const std::string journalRun;
    int journalSequence = 0;

    bool portDialogCancelled = false;
    // Start-up is done: the settings have been loaded.
    bool started = false;
    wxPanel* panel = nullptr;
    wxChoice* destination = nullptr;
    wxButton* measureButton = nullptr;
    wxStaticText* status = nullptr;

    std::unique_ptr<MeasureInfoDialog> measureInfoDialog;
    std::unique_ptr<RemoteMeasureDialog> remoteMeasureDialog;
    std::unique_ptr<AutoNamingDialog> autoNamingDialog;
    std::unique_ptr<ConditionsDialog> conditionsDialog;
    std::unique_ptr<DataTypeDialog> dataTypeDialog;
    std::unique_ptr<OutputInfoDialog> outputInfoDialog;
    // A window of its own without a parent; destroyed with this one.
    ColourViewWindow* colourWindow = nullptr;
    std::unique_ptr<standards::Store> standardLibrary;
    std::optional<standards::Standard> standard;

    // The remote worker: at most one at a time. Its end is announced on the
    // UI thread: the result, and the wait for it ended.
    std::thread remoteThread;
    bool remoteFinished = false;
    bool remoteResult = false;
    wxEventLoopBase* remoteWait = nullptr;
};

} // namespace tonvale
