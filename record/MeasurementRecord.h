#pragma once
// One measurement's result between the instrument and the output: the
// decoded data lines, the time stamp, name, comment, measuring conditions
// and output switches, and the text and worksheet layouts of all of it.

#include "OutputDestination.h"
#include "ValueText.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

namespace tonvale {

class SpreadsheetOutput;
class TextOutputWindow;

// What became of a measurement at its destination: written (perhaps with
// a cell missing, message 131 or 142), refused before anything was written,
// or stopped part-way.
enum class OutputResult { Written, Refused, Failed };
struct OutputReport {
    OutputResult result = OutputResult::Written;
    // The string-table number of the last message the output showed; 0 none.
    int message = 0;
};

class MeasurementRecord {
public:
    static constexpr int maxLines = 6;
    static constexpr int spectralValues = 39;  // 360, 370, ..., 740 nm

    // The program's one record, made on first use; it writes to the text
    // output window and the spreadsheet output.
    static MeasurementRecord& instance();
    // Deletes the one record; the main window does so when it is destroyed.
    static void destroyInstance();

    // textWindow receives the lines of writeToText, spreadsheet the rows of
    // writeToSpreadsheet (either null for a record that is not written
    // there); decimalPoint takes the place of '.' in text values.
    explicit MeasurementRecord(TextOutputWindow* textWindow,
                               std::string decimalPoint = userDecimalPoint(),
                               SpreadsheetOutput* spreadsheet = nullptr);
    virtual ~MeasurementRecord() = default;
    MeasurementRecord(const MeasurementRecord&) = delete;
    MeasurementRecord& operator=(const MeasurementRecord&) = delete;

    // Decodes the data lines of a measurement asked for as dataType (0
    // spectral, 1 L*a*b*) into valueKind OutputSpreadsheet (numbers) or
    // OutputText (texts); area 0 "MAV" or 1 "SAV", mode 0..5. The lines
    // themselves say what they carry: 39 values a line are spectral data, 3
    // are L*a*b*, whichever was asked for (the instrument's button sends
    // what it was set to), and dataType() then tells which. False for a
    // line of any other shape, lines of different data types, an unknown
    // data type or mode, or fewer lines than the mode measures; lines
    // decoded before a bad one stay, the bad one is not read in part.
    virtual bool parseLines(int dataType, int valueKind, int area, int mode,
                            std::span<const std::string> lines);

    // Date and time of the measurement, "MM/DD/YY HH:MM:SS" in local time.
    void stampDateTime();
    void stampDateTime(std::time_t when);

    void setNaming(int number, const std::string& prefix, int autoNaming);
    void setSpecularFilter(int gloss);

    // Stores the six output switches (number, name, date-time, area,
    // component, comment) of the coming output; true when they equal those
    // of the last output that happened, to whichever destination. A
    // measurement that is stopped or fails before its output leaves the
    // change for the next one. Before the first output it always reports a
    // change.
    bool setOutputFlags(int number, int name, int dateTime, int area, int component, int comment);

    // With automatic naming, the name made of prefix and number ("Lot_No.5",
    // or "No.5" without a prefix); otherwise the current name. It becomes the
    // name that is written out.
    std::string makeName();
    void setName(const std::string& name);
    void setNameAndComment(const std::string& name, const std::string& comment);
    const std::string& comment() const { return comment_; }

    // Writes the measurement to the text window: a header block when the
    // number is 1, the switches changed (unchanged false) or the switches or
    // the data type are not those the text window's last header block
    // announced (outputs to the spreadsheet in between do not count), then
    // one tab-separated line for each data line that passes the specular
    // filter.
    void writeToText(bool unchanged, int dataType);

    // Writes the measurement to the spreadsheet output's destination: a
    // title row when the number is 1 or the destination changed (at row 1)
    // or the switches changed or are not those the spreadsheet's last title
    // row announced, or the data type is not (below the last row), then one
    // row for each data line that passes the specular filter. False, after message 140,
    // when the destination cannot be written, before or part-way: a single
    // cell that fails while its workbook and worksheet are still there is
    // reported and the rest still written, but once they are gone nothing
    // more of the measurement is. An error the spreadsheet application
    // raises part-way (sheetwire::AutomationError, e.g. the office gone in
    // the middle of a write) is not caught: it leaves this call with the
    // rows written so far in place and the next row not advanced.
    bool writeToSpreadsheet(bool unchanged, int dataType);
    // The column titles from column at row; the next row becomes the one
    // below them. False, after message 140, when the destination went away
    // while they were written.
    bool writeSheetTitles(std::int32_t column, std::int32_t row, int dataType);
    // Data line `line` at the next row, which then moves down one. False,
    // after message 140, when the destination went away while it was
    // written.
    bool writeSheetRow(int line, int dataType);

    // What the last writeToText or writeToSpreadsheet did. An error of the
    // spreadsheet application leaving writeToSpreadsheet leaves it Failed.
    const OutputReport& lastOutput() const { return output; }

    int lineCount() const { return lineCount_; }
    // The data type of the lines last decoded: 0 spectral, 1 L*a*b*.
    int dataType() const { return dataType_; }
    double value(int line, int index) const { return values[line][index]; }
    const std::string& valueText(int line, int index) const { return valueTexts[line][index]; }
    int componentCode(int line) const { return componentCodes[line]; }
    const std::string& componentLabel(int line) const { return componentLabels[line]; }
    const std::string& areaLabel() const { return areaLabel_; }
    const std::string& dateTime() const { return dateTime_; }
    std::time_t measuredAt() const { return measuredAt_; }
    int measurementNumber() const { return number; }
    const std::string& outputName() const { return outputName_; }

    // Whether line i is written: with the specular filter at 1 only the SCE
    // lines (odd component codes) are.
    bool passesFilter(int line) const;

private:
    // Whether output switch i (in the order of the columns) is on.
    bool switchOn(std::size_t i) const;
    // After a write failed: true when the destination is still there (the
    // failure was the item's own); false, after message 140, when it is gone.
    bool destinationStays();
    // Shows message id (its "%1" filled with a non-empty arg) and keeps its
    // number for lastOutput().
    void tell(int id, const std::string& arg = {});
    // Whether the coming output's columns differ from those the
    // destination's own last header block or title row announced, so that
    // a new one is due there.
    bool layoutChanged(OutputDestination destination, bool unchanged, int dataType) const;
    // An output to destination happened under the current switches and
    // dataType: what its columns now are.
    void markWritten(OutputDestination destination, int dataType);

    struct Layout {
        std::array<int, 6> switches;
        int dataType;
    };

    SpreadsheetOutput* spreadsheet;
    TextOutputWindow* textWindow;
    std::string decimalPoint;

    std::string namePrefix;
    int autoNaming = 0;
    std::string currentName;
    int specularFilter = 0;
    int lineCount_ = 0;
    int dataType_ = 0;
    std::string outputName_;
    std::string comment_;
    std::string dateTime_;
    std::time_t measuredAt_ = 0;
    std::string areaLabel_;
    std::array<std::string, maxLines> componentLabels;
    int number = 0;
    std::array<std::array<double, spectralValues>, maxLines> values{};
    std::array<std::array<std::string, spectralValues>, maxLines> valueTexts;
    std::array<int, maxLines> componentCodes{};
    std::array<int, 6> outputSwitches{};
    // The switches of the last output, whatever its destination.
    std::optional<std::array<int, 6>> lastSwitches;
    // By destination code: the columns its last header or title announced.
    std::array<std::optional<Layout>, 3> announced;
    OutputReport output;
};

} // namespace tonvale
