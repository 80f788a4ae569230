#pragma once
// The program's one connection to the spectrophotometer: it owns the serial
// link, turns every instrument action into its command dialogue, judges the
// reply codes and shows their messages, and hands measured lines to the
// measurement record. Operations report success as a boolean and have shown
// their own message before they report failure.

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class wxWindow;

namespace termin {
class SerialPort;
}

namespace tonvale {

class CalibrationPromptDialog;
class MeasurementRecord;

class Instrument {
public:
    // Data lines per mode code.
    static constexpr std::array<int, 6> lineCountTable{1, 2, 2, 4, 3, 6};
    // Position of the calibration flag within the eight flags of "STR", by
    // 9 × area + 3 × component index + UV index.
    static constexpr std::array<int, 18> calibrationSlotTable{0, 4, 4, 1, 5, 5, 1, 5, 5,
                                                              2, 6, 6, 3, 7, 7, 3, 7, 7};
    // Receive time-outs in seconds: every command, and a calibration reply.
    static constexpr int commandTimeout = 10;
    static constexpr int calibrationTimeout = 31;

    // The one instrument, made on first use on the UI thread; it decodes into
    // MeasurementRecord::instance().
    static Instrument& instance();
    // Deletes the one instrument; the main window does so when destroyed.
    static void destroyInstance();

    explicit Instrument(MeasurementRecord& record);
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;
    // Leaves an open port open until the link itself goes.
    virtual ~Instrument();

    bool isOpen() const;
    // Opens the link at 9600 baud, 8N1 under name (a name the link refuses
    // leaves its previous one); an open link stays as it is.
    virtual bool openPort(const std::string& name);
    virtual void closePort();
    // The port dialog; only the port can be chosen there. True on OK.
    virtual bool setupPort(wxWindow* owner);
    std::string getPortName();

    // One command with its one reply line, judged by checkResponse.
    bool exchange(const std::string& command, std::string& reply);
    // Judges the first four characters of a reply and shows the code's
    // message, if it has one.
    virtual bool checkResponse(std::string_view code);

    // model becomes "SX-4810k" or "SX-4800k".
    virtual bool identify(std::string& model);
    // area as the instrument reports it; both 1 when the mode measures both
    // specular components (componentIndex 2), else 0 (componentIndex 0).
    virtual bool readConditions(int& area, int& both, int& componentIndex, int& uvIndex);
    // state 0 uncalibrated, 1 zero calibration done, 2 zero and white done.
    virtual bool readCalibrationState(int& area, int& both, int& componentIndex, int& uvIndex,
                                      int& state);
    virtual bool setConditions(int area, int mode);
    // Identifies the instrument, reads its conditions and calibration state
    // and writes area and both flag back.
    bool prepareMeasurement(int& state, int& area, int& both);
    // Polls the status until the instrument is no longer busy.
    bool waitReady();

    // One measurement's data lines into dataLines().
    virtual bool measureSpectral(int both);
    bool measureColorimetric(int both, int illuminant, int observer);
    // Switches remote measurement on and waits without limit for the data
    // lines of the instrument's measuring button. A wait that ends without
    // data switches remote measurement off again.
    virtual bool enableRemote(int both);
    // Switches remote measurement off; data lines still arriving from the
    // instrument are passed over, so that none is later taken for a reply,
    // for no longer than the command time-out in all (then message 159).
    // Any other line is judged as the reply.
    virtual bool disableRemote();

    // Told of each calibration step as it begins to run on the instrument
    // (string 145 zero, 146 white calibration) and with 0 when it has
    // ended; the step blocks the UI thread meanwhile.
    void setStepListener(std::function<void(int step)> listener);

    virtual bool calibrateZero();
    virtual bool calibrateWhite();
    // Zero then white calibration, each after its prompt.
    virtual void calibrate();

    // A measurement started from the PC: dataType 0 spectral, 1 L*a*b*
    // (illuminant 0-10, observer 0 10°, 1 2°); the lines are decoded into
    // the record as the destination's value kind and time-stamped. Any other
    // data type is refused once the instrument has been checked; lines
    // whose values cannot be decoded fail with message 148.
    virtual bool measure(int dataType, int illuminant, int observer, int destination);
    // A measurement started with the instrument's button, on the remote
    // worker thread. After true the record holds the decoded lines and time
    // stamp exactly as after measure(); the lines are decoded into the value
    // kind of destination, with the area and both flag read at the start,
    // as the data type they carry (the button sends what the instrument is
    // set to, which need not be dataType; the record tells which it was).
    // Data types are refused as by measure().
    bool remoteMeasure(int dataType, int destination);
    // Ends the remote wait of remoteMeasure early; any thread may call it.
    // A cancel that arrives before the wait has begun ends it as it begins,
    // also when remoteMeasure has not been entered yet.
    void cancelRemote();

    const std::array<std::string, 6>& dataLines() const { return lines; }
    // The model that answered the last measurement or calibration:
    // "SX-4810k" or "SX-4800k".
    const std::string& model() const { return model_; }
    // What the last replies told of the instrument's conditions and
    // calibration (as readConditions and readCalibrationState give them,
    // brought up to date by a calibration that succeeded); -1 until a reply
    // told it. Read on the UI thread while no remote worker runs.
    int lastArea() const { return lastArea_; }
    int lastBoth() const { return lastBoth_; }
    int lastCalibrationState() const { return lastCalibration_; }
    // The link's receive time-out in seconds.
    int receiveTimeout() const;

private:
    // prepareMeasurement, refusing (message 130) unless zero and white
    // calibration are done for the current conditions.
    bool prepareCalibratedMeasurement(int& area, int& both);
    bool runCalibration(const char* command, bool isWhite, bool skipEnabled, int failureMessage);
    bool receiveDataLines(int count);
    // The received lines into the record; message 148 when they cannot be.
    bool decodeLines(int dataType, int destination, int area, int both);
    // One data line of a remote measurement; false when the wait was cancelled.
    bool waitForLine(std::string& line);
    void send(const std::string& command);

    std::string portName;
    std::string model_;
    int lastArea_ = -1;
    int lastBoth_ = -1;
    int lastCalibration_ = -1;
    std::array<std::string, 6> lines;
    std::unique_ptr<termin::SerialPort> link;
    MeasurementRecord& record;
    std::unique_ptr<CalibrationPromptDialog> prompt;
    std::function<void(int)> stepListener;

    // The operator's cancel of a remote measurement, and whether it has been
    // passed to the link during the current wait.
    std::mutex cancelLock;
    bool cancelRequested = false;
    bool remoteWaiting = false;
    bool linkCancelled = false;
};

} // namespace tonvale
