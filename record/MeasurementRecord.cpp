#include "MeasurementRecord.h"

#include "Journal.h"
#include "DataLine.h"
#include "Messages.h"
#include "SpreadsheetOutput.h"
#include "Strings.h"
#include "TextOutputWindow.h"

#include <memory>

namespace tonvale {
namespace {

// Lines measured and their component codes, by the instrument's mode: even
// codes are SCI lines, odd codes SCE lines; the pairs 0-1, 2-3 and 4-5
// belong to three different UV settings.
struct ModeLayout {
    int lines;
    std::array<int, MeasurementRecord::maxLines> codes;
};
constexpr std::array<ModeLayout, 6> modeLayouts{{
    {1, {0}},
    {2, {0, 1}},
    {2, {0, 2}},
    {4, {0, 1, 2, 3}},
    {3, {0, 2, 4}},
    {6, {0, 1, 2, 3, 4, 5}},
}};

// Column titles of the switches number, name, date-time, area, component.
constexpr std::array<int, 5> switchTitleIds{132, 133, 134, 137, 138};
constexpr int commentTitleId = 139;
constexpr int spectralDataId = 141;

// Worksheet fills: the title row always, data rows of odd numbers only.
constexpr int titleColor = 15;
constexpr int oddRowColor = 36;
constexpr int solidPattern = 1;
constexpr int reflectanceId = 154;
constexpr int labId = 155;
constexpr int numberTextId = 156;
constexpr int prefixedNumberTextId = 157;
constexpr std::size_t commentSwitch = 5;

int valueCount(int dataType)
{
    switch (dataType) {
    case 0: return MeasurementRecord::spectralValues;
    case 1: return 3;
    default: return 0;
    }
}

// The data type whose lines carry count values, or -1.
int dataTypeOf(std::size_t count)
{
    for (const int dataType : {0, 1})
        if (count == static_cast<std::size_t>(valueCount(dataType)))
            return dataType;
    return -1;
}

// A string-table text with its "%d" filled with number.
std::string withNumber(int id, int number)
{
    std::string text = strings().get(id);
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(number));
    return text;
}

// One row of the worksheet as the spreadsheet output's row scope: the
// columns written are fitted once when the row is done, and not at all when
// it is given up (its destination gone, or an error of the application
// leaving the row).
class SheetRow {
public:
    explicit SheetRow(SpreadsheetOutput& output) : output(output) { output.beginRow(); }
    ~SheetRow()
    {
        if (open)
            output.abandonRow();
    }
    SheetRow(const SheetRow&) = delete;
    SheetRow& operator=(const SheetRow&) = delete;

    void end()
    {
        open = false;
        output.endRow();
    }

private:
    SpreadsheetOutput& output;
    bool open = true;
};

std::unique_ptr<MeasurementRecord>& theRecord()
{
    static std::unique_ptr<MeasurementRecord> record;
    return record;
}

} // namespace

MeasurementRecord& MeasurementRecord::instance()
{
    auto& record = theRecord();
    if (!record)
        record = std::make_unique<MeasurementRecord>(&TextOutputWindow::instance(),
                                                     userDecimalPoint(),
                                                     &SpreadsheetOutput::instance());
    return *record;
}

void MeasurementRecord::destroyInstance()
{
    theRecord().reset();
}

MeasurementRecord::MeasurementRecord(TextOutputWindow* textWindow, std::string decimalPoint,
                                     SpreadsheetOutput* spreadsheet)
    : spreadsheet(spreadsheet), textWindow(textWindow), decimalPoint(std::move(decimalPoint))
{
    componentLabels.fill("0");
}

bool MeasurementRecord::parseLines(int dataType, int valueKind, int area, int mode,
                                   std::span<const std::string> lines)
{
    if (area == 0)
        areaLabel_ = "MAV";
    else if (area == 1)
        areaLabel_ = "SAV";

    if (mode < 0 || mode >= static_cast<int>(modeLayouts.size()))
        return false;
    const ModeLayout& layout = modeLayouts[static_cast<std::size_t>(mode)];
    lineCount_ = layout.lines;
    for (int i = 0; i < maxLines; ++i) {
        const bool measured = i < lineCount_;
        componentCodes[i] = measured ? layout.codes[i] : 0;
        componentLabels[i] = !measured ? "0" : componentCodes[i] % 2 == 0 ? "SCI" : "SCE";
    }

    if (valueCount(dataType) == 0 || lines.size() < static_cast<std::size_t>(lineCount_))
        return false;
    int received = -1;
    for (int i = 0; i < lineCount_; ++i) {
        const std::vector<std::string_view> texts = dataLineValues(lines[i]);
        const int lineType = dataTypeOf(texts.size());
        if (lineType < 0 || (received >= 0 && lineType != received))
            return false;
        received = lineType;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const std::string_view text = texts[k];
            if (valueKind == OutputSpreadsheet) {
                values[i][k] = valueOf(text);
            } else if (valueKind == OutputText) {
                std::string& shown = valueTexts[i][k];
                shown.clear();
                for (const char c : text) {
                    if (c == '.')
                        shown += decimalPoint;
                    else
                        shown += c;
                }
            }
        }
    }
    dataType_ = received;
    return true;
}

void MeasurementRecord::stampDateTime()
{
    stampDateTime(std::time(nullptr));
}

void MeasurementRecord::stampDateTime(std::time_t when)
{
    measuredAt_ = when;
    const std::tm local = localTime(when);
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%y %H:%M:%S", &local);
    dateTime_ = text;
}

void MeasurementRecord::setNaming(int mesNum, const std::string& prefix, int automatic)
{
    number = mesNum;
    namePrefix = prefix;
    autoNaming = automatic;
}

void MeasurementRecord::setSpecularFilter(int gloss)
{
    specularFilter = gloss;
}

bool MeasurementRecord::setOutputFlags(int numberOn, int name, int dateTime, int area, int component, int commentOn)
{
    const std::array<int, 6> switches{numberOn, name, dateTime, area, component, commentOn};
    outputSwitches = switches;
    return lastSwitches == switches;
}

std::string MeasurementRecord::makeName()
{
    if (autoNaming != 0)
        outputName_ = namePrefix.empty() ? withNumber(numberTextId, number)
                                         : namePrefix + withNumber(prefixedNumberTextId, number);
    else
        outputName_ = currentName;
    return outputName_;
}

void MeasurementRecord::setName(const std::string& name)
{
    currentName = name;
}

void MeasurementRecord::setNameAndComment(const std::string& name, const std::string& comment)
{
    outputName_ = name;
    comment_ = comment;
}

bool MeasurementRecord::passesFilter(int line) const
{
    return specularFilter != 1 || componentCodes[line] % 2 == 1;
}

bool MeasurementRecord::switchOn(std::size_t i) const
{
    return outputSwitches[i] == 1;
}

bool MeasurementRecord::layoutChanged(OutputDestination destination, bool unchanged,
                                      int dataType) const
{
    // The text window and the spreadsheet each keep their own columns: a
    // change one of them showed is still news to the other.
    const std::optional<Layout>& own = announced[destination];
    return !unchanged || !own || own->switches != outputSwitches || own->dataType != dataType;
}

void MeasurementRecord::markWritten(OutputDestination destination, int dataType)
{
    announced[destination] = Layout{outputSwitches, dataType};
    lastSwitches = outputSwitches;
}

void MeasurementRecord::writeToText(bool unchanged, int dataType)
{
    output = OutputReport{};
    const int count = valueCount(dataType);
    if (count == 0)
        return;

    // The comment switch at 1 ends a line with the comment, at 0 without its
    // last tab; any other value leaves the tab and writes no comment.
    const int commentSetting = outputSwitches[commentSwitch];
    auto finish = [commentSetting](std::string& line, const std::string& comment) {
        if (commentSetting == 1)
            line += comment;
        else if (commentSetting == 0 && !line.empty() && line.back() == '\t')
            line.pop_back();
    };

    if (number == 1 || layoutChanged(OutputText, unchanged, dataType)) {
        textWindow->appendLine(namePrefix);
        textWindow->appendLine("");
        textWindow->appendLine("\t" + strings().get(dataType == 0 ? reflectanceId : labId));
        std::string titles;
        for (std::size_t s = 0; s < switchTitleIds.size(); ++s)
            if (switchOn(s))
                titles += strings().get(switchTitleIds[s]) + "\t";
        if (dataType == 0) {
            for (int k = 0; k < count; ++k)
                titles += std::to_string(360 + 10 * k) + "\t";
        } else {
            titles += "L*\ta*\tb*\t";
        }
        finish(titles, strings().get(commentTitleId));
        textWindow->appendLine(titles);
    }
    markWritten(OutputText, dataType);

    for (int i = 0; i < lineCount_; ++i) {
        if (!passesFilter(i))
            continue;
        const std::array<std::string, 5> items{withNumber(numberTextId, number), outputName_, dateTime_,
                                              areaLabel_, componentLabels[i]};
        std::string line;
        for (std::size_t s = 0; s < items.size(); ++s)
            if (switchOn(s))
                line += items[s] + "\t";
        for (int k = 0; k < count; ++k)
            line += valueTexts[i][k] + "\t";
        finish(line, comment_);
        textWindow->appendLine(line);
    }
}

bool MeasurementRecord::writeToSpreadsheet(bool unchanged, int dataType)
{
    output = OutputReport{OutputResult::Refused, 0};
    // A record of another data type holds no values (parseLines refuses it).
    if (valueCount(dataType) == 0)
        return false;
    const bool same = spreadsheet->isSameDestination();
    if (!spreadsheet->checkDestination()) {
        tell(140);
        return false;
    }
    // Failed until the last row is written: a false result or an error of
    // the application from here on stops the write part-way.
    output.result = OutputResult::Failed;

    if (number == 1 || !same) {
        // Below whatever the worksheet holds already, never over it.
        if (!writeSheetTitles(1, spreadsheet->firstFreeRow(), dataType))
            return false;
    } else if (layoutChanged(OutputSpreadsheet, unchanged, dataType)) {
        if (!writeSheetTitles(1, spreadsheet->nextRow(), dataType))
            return false;
    }
    markWritten(OutputSpreadsheet, dataType);
    for (int i = 0; i < lineCount_; ++i)
        if (passesFilter(i) && !writeSheetRow(i, dataType))
            return false;
    output.result = OutputResult::Written;
    return true;
}

void MeasurementRecord::tell(int id, const std::string& arg)
{
    output.message = id;
    if (arg.empty())
        showMessage(id);
    else
        showMessage(id, arg);
}

bool MeasurementRecord::destinationStays()
{
    if (!spreadsheet->destinationGone())
        return true;
    // Said once: every further cell would fail the same way.
    tell(140);
    return false;
}

bool MeasurementRecord::writeSheetTitles(std::int32_t column, std::int32_t row, int dataType)
{
    spreadsheet->setNextRow(row);
    const std::int32_t workbook = spreadsheet->workbookIndex();
    const std::int32_t worksheet = spreadsheet->worksheetIndex();
    SheetRow titles(*spreadsheet);

    // The cell is filled even when the title could not be written, so the
    // title row keeps its look with a gap where the failure was.
    auto title = [&](auto value, const std::string& text) {
        const int written = spreadsheet->setValue(value, column, row, workbook, worksheet, 1);
        if (written == 0 && !destinationStays())
            return false;
        spreadsheet->setCellInterior(column, row, column, row, workbook, worksheet, titleColor,
                                     solidPattern);
        if (written == 0)
            tell(142, text);
        ++column;
        return true;
    };

    for (std::size_t s = 0; s < switchTitleIds.size(); ++s) {
        if (switchOn(s)) {
            const std::string& text = strings().get(switchTitleIds[s]);
            if (!title(text, text))
                return false;
        }
    }
    if (dataType == 0) {
        for (int k = 0; k < spectralValues; ++k) {
            const int wavelength = 360 + 10 * k;
            if (!title(wavelength, std::to_string(wavelength)))
                return false;
        }
    } else {
        for (const std::string text : {"L*", "a*", "b*"})
            if (!title(text, text))
                return false;
    }
    if (switchOn(commentSwitch)) {
        const std::string& text = strings().get(commentTitleId);
        if (!title(text, text))
            return false;
    }
    titles.end();
    return true;
}

bool MeasurementRecord::writeSheetRow(int line, int dataType)
{
    const std::int32_t row = spreadsheet->nextRow();
    const std::int32_t workbook = spreadsheet->workbookIndex();
    const std::int32_t worksheet = spreadsheet->worksheetIndex();
    // Rows of odd numbers are filled, those of even numbers not, so that
    // neighbouring measurements stand apart.
    const bool filled = number % 2 != 0;
    std::int32_t column = 1;
    SheetRow cells(*spreadsheet);

    // One item over width cells from column; a failure names the item and
    // the row goes on, so one bad cell does not cost the whole measurement.
    auto item = [&](auto write, int width, int titleId) {
        const int written = write();
        if (written == 0 && !destinationStays())
            return false;
        if (filled)
            spreadsheet->setCellInterior(column, row, column + width - 1, row, workbook, worksheet,
                                         oddRowColor, solidPattern);
        if (written == 0)
            tell(131, strings().get(titleId));
        column += width;
        return true;
    };
    auto cell = [&](const auto& value, int titleId) {
        return item([&] { return spreadsheet->setValue(value, column, row, workbook, worksheet, 1); },
                    1, titleId);
    };

    const std::array<const std::string*, 4> texts{&outputName_, &dateTime_, &areaLabel_,
                                                  &componentLabels[line]};
    if (switchOn(0) && !cell(number, switchTitleIds[0]))
        return false;
    for (std::size_t s = 1; s < switchTitleIds.size(); ++s)
        if (switchOn(s) && !cell(*texts[s - 1], switchTitleIds[s]))
            return false;

    const int count = valueCount(dataType);
    const bool valuesWritten = item(
        [&] {
            return spreadsheet->setArrayValue(values[line].data(), count, column, row, workbook,
                                              worksheet, 0, 1);
        },
        count, dataType == 0 ? spectralDataId : labId);
    if (!valuesWritten)
        return false;

    if (switchOn(commentSwitch) && !cell(comment_, commentTitleId))
        return false;
    cells.end();
    spreadsheet->setNextRow(row);
    return true;
}

} // namespace tonvale
