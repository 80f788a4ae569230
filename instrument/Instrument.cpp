#include "Instrument.h"

#include "CalibrationPromptDialog.h"
#include "MeasurementRecord.h"
#include "Messages.h"
#include "PropertyFile.h"
#include "Reply.h"
#include "Strings.h"

#include "termin/SerialPort.h"

#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

namespace tonvale {
namespace {

constexpr auto commandPause = std::chrono::milliseconds(100);

constexpr int msgZeroFailed = 122;
constexpr int msgWhiteFailed = 123;
constexpr int msgZeroStep = 145;
constexpr int msgWhiteStep = 146;
constexpr int msgCalibrated = 126;
constexpr int msgOpenFailed = 128;
constexpr int msgPortClosed = 129;
constexpr int msgNotCalibrated = 130;
constexpr int msgUnsupported = 147;
constexpr int msgMeasureFailed = 148;
constexpr int msgUnexpected = 159;
constexpr int msgNoAccess = 160;

// The link's receive time-out for the life of the scope; every way out goes
// back to the time-out of ordinary commands.
class TimeoutScope {
public:
    TimeoutScope(termin::SerialPort& link, int seconds) : link(link) { link.setTimeout(seconds); }
    ~TimeoutScope() { link.setTimeout(Instrument::commandTimeout); }
    TimeoutScope(const TimeoutScope&) = delete;
    TimeoutScope& operator=(const TimeoutScope&) = delete;

private:
    termin::SerialPort& link;
};

void showFailure(const termin::SerialPortException& failure)
{
    showText(failure.what());
}

std::unique_ptr<Instrument>& theInstrument()
{
    static std::unique_ptr<Instrument> instrument;
    return instrument;
}

} // namespace

Instrument& Instrument::instance()
{
    auto& instrument = theInstrument();
    if (!instrument)
        instrument = std::make_unique<Instrument>(MeasurementRecord::instance());
    return *instrument;
}

void Instrument::destroyInstance()
{
    theInstrument().reset();
}

Instrument::Instrument(MeasurementRecord& record)
    : link(std::make_unique<termin::SerialPort>()), record(record)
{
}

Instrument::~Instrument() = default;

bool Instrument::isOpen() const
{
    return link->isOpen();
}

int Instrument::receiveTimeout() const
{
    return link->getTimeout();
}

bool Instrument::openPort(const std::string& name)
{
    if (link->isOpen())
        return true;
    link->setBaudRate(9600);
    link->setByteSize(8);
    link->setParity(0);
    link->setStopBits(0);
    link->setPortName(name);
    try {
        link->open();
    } catch (const termin::SerialPortAccessDenied& denied) {
        // The operator can mend this one: say which device and how.
        showText(strings().get(msgOpenFailed) + "\n" + denied.what() + "\n\n" +
                 strings().format(msgNoAccess, wxGetUserId().utf8_string()));
        return false;
    } catch (const termin::SerialPortException&) {
        showMessage(msgOpenFailed);
        return false;
    }
    return true;
}

void Instrument::closePort()
{
    if (!link->isOpen())
        return;
    try {
        link->close();
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
    }
}

bool Instrument::setupPort(wxWindow* owner)
{
    // A table of one value shows disabled: only the port is left to choose.
    link->setAvailableBaudRate(9600);
    link->setAvailableByteSize(8);
    link->setAvailableParity(0);
    link->setAvailableStopBits(0);
    if (link->setupPort(owner) != 1)
        return false;
    portName = link->getPortName();
    return true;
}

std::string Instrument::getPortName()
{
    portName = link->getPortName();
    return portName;
}

void Instrument::send(const std::string& command)
{
    // The instrument needs a pause between one reply and the next command.
    std::this_thread::sleep_for(commandPause);
    link->sendString(command);
}

bool Instrument::exchange(const std::string& command, std::string& reply)
{
    if (!isOpen()) {
        showMessage(msgPortClosed);
        return false;
    }
    try {
        send(command);
        link->recvString(reply);
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
        return false;
    }
    return checkResponse(reply);
}

bool Instrument::checkResponse(std::string_view code)
{
    const ReplyJudgement judgement = judgeReply(code);
    if (judgement.message != 0)
        showMessage(judgement.message);
    return judgement.success;
}

bool Instrument::identify(std::string& model)
{
    std::string reply;
    if (!exchange("IDR\r\n", reply) || reply.empty())
        return false;
    const std::string_view productId = replyField(reply, 5, 2);
    switch (leadingInt(productId)) {
    case 3:
        model = "SX-4810k";
        return true;
    case 13:
        model = "SX-4800k";
        return true;
    default:
        showMessage(msgUnsupported, std::string(productId));
        return false;
    }
}

bool Instrument::readConditions(int& area, int& both, int& componentIndex, int& uvIndex)
{
    std::string reply;
    if (!exchange("CPR\r\n", reply) || reply.empty())
        return false;
    const int mode = replyNumber(reply, 7, 1);
    if (mode < 0 || mode >= int(lineCountTable.size())) {
        showMessage(msgUnexpected);
        return false;
    }
    area = replyNumber(reply, 5, 1);
    both = mode % 2;
    componentIndex = both == 1 ? 2 : 0;
    uvIndex = 0;
    lastArea_ = area;
    lastBoth_ = both;
    return true;
}

bool Instrument::readCalibrationState(int& area, int& both, int& componentIndex, int& uvIndex,
                                      int& state)
{
    if (!readConditions(area, both, componentIndex, uvIndex))
        return false;
    std::string reply;
    if (!exchange("STR\r\n", reply) || reply.empty())
        return false;
    // Only the apertures 8 mm and 3 mm have calibration flags.
    if (area != 0 && area != 1) {
        showMessage(msgUnexpected);
        return false;
    }
    const std::string_view flags = replyField(reply, 9, 8);
    const std::size_t slot = calibrationSlotTable[9 * area + 3 * componentIndex + uvIndex];
    state = leadingInt(replyField(flags, slot, 1));
    lastCalibration_ = state;
    return true;
}

bool Instrument::setConditions(int area, int mode)
{
    char command[32];
    std::snprintf(command, sizeof command, "CPS,%d,%d\r\n", area, mode);
    std::string reply;
    if (!exchange(command, reply))
        return false;
    // Calibration is kept per conditions: under new ones it is unknown
    // until the status is read.
    if (area != lastArea_ || mode % 2 != lastBoth_)
        lastCalibration_ = -1;
    lastArea_ = area;
    lastBoth_ = mode % 2;
    return true;
}

bool Instrument::prepareMeasurement(int& state, int& area, int& both)
{
    int componentIndex = 0;
    int uvIndex = 0;
    return identify(model_) && readCalibrationState(area, both, componentIndex, uvIndex, state) &&
           setConditions(area, both);
}

bool Instrument::waitReady()
{
    // Busy replies are not judged and not counted: each poll is bounded by
    // the receive time-out, and an empty reply ends the wait.
    std::string reply;
    try {
        do {
            send("STR\r\n");
            link->recvString(reply);
            if (reply.empty())
                return false;
        } while (replyNumber(reply, 5, 2) != 0);
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
        return false;
    }
    return true;
}

bool Instrument::receiveDataLines(int count)
{
    for (int i = 0; i < count; ++i) {
        link->recvString(lines[i]);
        if (!checkResponse(lines[i])) {
            showMessage(msgMeasureFailed);
            return false;
        }
    }
    return true;
}

bool Instrument::measureSpectral(int both)
{
    const int count = lineCountTable.at(both);
    try {
        send("MES\r\n");
        return receiveDataLines(count);
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
        return false;
    }
}

bool Instrument::measureColorimetric(int both, int illuminant, int observer)
{
    const int count = lineCountTable.at(both);
    char command[64];
    std::snprintf(command, sizeof command, "CES,%d,%d,%d,%d,%d\r\n", 0, illuminant, 11, observer, 0);
    try {
        send(command);
        return receiveDataLines(count);
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
        return false;
    }
}

bool Instrument::waitForLine(std::string& line)
{
    {
        std::lock_guard lock(cancelLock);
        if (cancelRequested) {
            line.clear();
            return false;
        }
        remoteWaiting = true;
    }
    // -1: the wait was cancelled, and the link's cancel request used up.
    int received = 0;
    const auto endWait = [this, &received] {
        bool forwarded = false;
        {
            std::lock_guard lock(cancelLock);
            remoteWaiting = false;
            forwarded = std::exchange(linkCancelled, false);
        }
        // A cancel that came as the line was completing is still pending in
        // the link and would end the next wait at once; a wait without limit
        // takes it up without reading anything.
        if (forwarded && received != -1) {
            std::string none;
            link->recvString(none);
        }
    };
    try {
        received = link->recvString(line);
    } catch (const termin::SerialPortException&) {
        endWait();
        throw;
    }
    endWait();
    return received != -1;
}

bool Instrument::enableRemote(int both)
{
    const int count = lineCountTable.at(both);
    std::string acknowledgement;
    if (!exchange("SWE\r\n", acknowledgement))
        return false;
    bool received = true;
    {
        TimeoutScope unlimited(*link, 0);
        try {
            for (int i = 0; i < count && received; ++i) {
                const bool arrived = waitForLine(lines[i]);
                // A cancelled wait is judged by what it received so far.
                if (!checkResponse(lines[i]) || !arrived) {
                    showMessage(msgMeasureFailed);
                    received = false;
                }
            }
        } catch (const termin::SerialPortException& failure) {
            // The link has failed; it cannot carry the switch-off either.
            showFailure(failure);
            return false;
        }
    }
    if (received)
        return true;
    // Otherwise the instrument would stay in remote mode and send its next
    // button press to whatever command comes next.
    disableRemote();
    return false;
}

bool Instrument::disableRemote()
{
    if (!isOpen()) {
        showMessage(msgPortClosed);
        return false;
    }
    std::string reply;
    try {
        send("SWD\r\n");
        // Data lines of a button pressed as the wait ended come before the
        // reply and are passed over, for no longer than one command may
        // take: an instrument that keeps sending data is not answering.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(commandTimeout);
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::seconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                showMessage(msgUnexpected);
                return false;
            }
            const TimeoutScope remaining(*link, static_cast<int>(left.count()));
            link->recvString(reply);
            if (!isDataLineOrRest(reply))
                break;
        }
    } catch (const termin::SerialPortException& failure) {
        showFailure(failure);
        return false;
    }
    return checkResponse(reply);
}

void Instrument::cancelRemote()
{
    std::lock_guard lock(cancelLock);
    cancelRequested = true;
    if (remoteWaiting && !linkCancelled) {
        link->cancel();
        linkCancelled = true;
    }
}

bool Instrument::runCalibration(const char* command, bool isWhite, bool skipEnabled,
                                int failureMessage)
{
    if (!prompt)
        prompt = std::make_unique<CalibrationPromptDialog>();
    prompt->isWhite = isWhite;
    prompt->skipEnabled = skipEnabled;
    const int answer = prompt->ShowModal();
    const wxBusyCursor busy;
    if (answer == wxID_CANCEL)
        return false;
    if (answer != wxID_OK)
        return true; // skipped
    bool calibrated = false;
    {
        // The step cannot be stopped once sent: the prompt, should it still
        // be on the screen while this thread waits, offers no cancel.
        prompt->Disable();
        if (stepListener)
            stepListener(isWhite ? msgWhiteStep : msgZeroStep);
        TimeoutScope slow(*link, calibrationTimeout);
        std::string reply;
        calibrated = exchange(command, reply);
        prompt->Enable();
    }
    if (stepListener)
        stepListener(0);
    if (!calibrated)
        showMessage(failureMessage);
    else
        // A zero calibration asks for a new white one.
        lastCalibration_ = isWhite ? 2 : 1;
    return calibrated;
}

void Instrument::setStepListener(std::function<void(int step)> listener)
{
    stepListener = std::move(listener);
}

bool Instrument::calibrateZero()
{
    int state = 0;
    int area = 0;
    int both = 0;
    if (!prepareMeasurement(state, area, both))
        return false;
    return runCalibration("UZC\r\n", false, state == 1 || state == 2, msgZeroFailed);
}

bool Instrument::calibrateWhite()
{
    int state = 0;
    int area = 0;
    int both = 0;
    if (!prepareMeasurement(state, area, both))
        return false;
    if (state == 0) {
        showMessage(msgWhiteFailed);
        return false;
    }
    return runCalibration("CAL\r\n", true, false, msgWhiteFailed);
}

void Instrument::calibrate()
{
    if (calibrateZero() && calibrateWhite())
        showMessage(msgCalibrated, MessageIcon::Information);
}

bool Instrument::prepareCalibratedMeasurement(int& area, int& both)
{
    int state = 0;
    if (!prepareMeasurement(state, area, both))
        return false;
    if (state != 2) {
        showMessage(msgNotCalibrated);
        return false;
    }
    return true;
}

bool Instrument::measure(int dataType, int illuminant, int observer, int destination)
{
    if (!isOpen()) {
        showMessage(msgPortClosed);
        return false;
    }
    if (!waitReady())
        return false;
    int area = 0;
    int both = 0;
    if (!prepareCalibratedMeasurement(area, both))
        return false;
    bool measured = false;
    switch (dataType) {
    case 0:
        measured = measureSpectral(both);
        break;
    case 1:
        measured = measureColorimetric(both, illuminant, observer);
        break;
    default:
        // Nothing to measure; reporting success would have the previous
        // measurement written out again under a new number.
        showMessage(msgMeasureFailed);
        return false;
    }
    if (!measured || !decodeLines(dataType, destination, area, both))
        return false;
    record.stampDateTime();
    return true;
}

bool Instrument::decodeLines(int dataType, int destination, int area, int both)
{
    // The codes were fine but the values are not: the measurement could not
    // be completed, as with a failing code.
    if (record.parseLines(dataType, destination, area, both, lines))
        return true;
    showMessage(msgMeasureFailed);
    return false;
}

bool Instrument::remoteMeasure(int dataType, int destination)
{
    // A cancel that came before this point ends the wait as it begins (the
    // operator may be quicker than the worker); none outlasts this call.
    struct CancelScope {
        Instrument& instrument;
        ~CancelScope()
        {
            std::lock_guard lock(instrument.cancelLock);
            instrument.cancelRequested = false;
        }
    } cancelScope{*this};
    int area = 0;
    int both = 0;
    if (!prepareCalibratedMeasurement(area, both))
        return false;
    if (dataType != 0 && dataType != 1) {
        showMessage(msgMeasureFailed);
        return false;
    }
    if (!enableRemote(both) || !disableRemote() || !decodeLines(dataType, destination, area, both))
        return false;
    record.stampDateTime();
    return true;
}

} // namespace tonvale
