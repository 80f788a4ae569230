#include "Journal.h"

#include "DataLine.h"
#include "JournalPlatform.h"
#include "MeasurementRecord.h"
#include "OutputDestination.h"
#include "PlatformFiles.h"
#include "TextFile.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace tonvale {
namespace {

constexpr int reflectances = MeasurementRecord::spectralValues;
constexpr int labValues = 3;

constexpr std::array<const char*, 11> leadingTitles{
    "number", "name",     "comment",    "date-time",   "model", "area", "specular component",
    "illuminant", "observer", "data type", "destination"};

} // namespace

std::tm localTime(std::time_t when)
{
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &when);
#else
    ::localtime_r(&when, &local);
#endif
    return local;
}

namespace {

std::tm universalTime(std::time_t when)
{
    std::tm utc{};
#ifdef _WIN32
    ::gmtime_s(&utc, &when);
#else
    ::gmtime_r(&when, &utc);
#endif
    return utc;
}

// Seconds from 1970-01-01 00:00:00 to the broken-down time as written,
// whatever zone it is in; the difference of a local and a UTC reading of
// one moment is the zone's offset.
long long secondsAsWritten(const std::tm& t)
{
    using namespace std::chrono;
    const sys_days date = year{t.tm_year + 1900} / month{unsigned(t.tm_mon + 1)} / day{unsigned(t.tm_mday)};
    return date.time_since_epoch().count() * 86400LL + t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

std::string formatted(const char* format, const std::tm& t)
{
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &t);
    return std::string(text, length);
}

const char* dataTypeName(int dataType)
{
    return dataType == 0 ? "spectral" : "L*a*b*";
}

const char* destinationName(int destination)
{
    return destination == OutputSpreadsheet ? "spreadsheet" : "text";
}

} // namespace

JournalMeasurement journalMeasurement(const MeasurementRecord& record,
                                      std::span<const std::string> lines,
                                      const std::string& model, int destination,
                                      const std::string& illuminant, const std::string& observer)
{
    JournalMeasurement m;
    m.number = record.measurementNumber();
    m.name = record.outputName();
    m.comment = record.comment();
    m.measuredAt = record.measuredAt();
    m.model = model;
    m.area = record.areaLabel();
    m.dataType = record.dataType();
    if (m.dataType == 1) {
        m.illuminant = illuminant;
        m.observer = observer;
    }
    m.destination = destination;
    const std::size_t count = std::min(lines.size(), static_cast<std::size_t>(record.lineCount()));
    for (std::size_t i = 0; i < count; ++i) {
        JournalMeasurement::Line line;
        line.component = record.componentLabel(static_cast<int>(i));
        for (const std::string_view value : dataLineValues(lines[i]))
            line.values.emplace_back(value);
        m.lines.push_back(std::move(line));
    }
    return m;
}

std::string journalHeader()
{
    std::string header;
    for (const char* title : leadingTitles)
        header += std::string(title) + ",";
    for (int k = 0; k < reflectances; ++k)
        header += std::to_string(360 + 10 * k) + " nm,";
    header += "L*,a*,b*,measurement id,standard,formula,judging illuminant,judging observer,"
              "delta E,verdict\r\n";
    return header;
}

std::string journalRecords(const JournalMeasurement& m)
{
    const std::string common = std::to_string(m.number) + "," + csvField(m.name) + "," +
                               csvField(m.comment) + "," + isoLocalTime(m.measuredAt) + "," +
                               csvField(m.model) + "," + csvField(m.area) + ",";
    const std::string conditions = csvField(m.illuminant) + "," + csvField(m.observer) + "," +
                                   dataTypeName(m.dataType) + "," +
                                   destinationName(m.destination);
    // The values land in the columns of their kind; the other kind's stay
    // empty.
    const std::size_t before = m.dataType == 0 ? 0 : reflectances;
    const std::size_t columns = reflectances + labValues;
    std::string judged = ",,,,,";
    if (const auto& j = m.judgement)
        judged = csvField(j->standard) + "," + csvField(j->formula) + "," + csvField(j->illuminant) +
                 "," + csvField(j->observer) + "," + csvField(j->deltaE) + "," +
                 (j->pass ? "pass" : "fail");
    std::string records;
    for (std::size_t i = 0; i < m.lines.size(); ++i) {
        const auto& line = m.lines[i];
        records += common + csvField(line.component) + "," + conditions;
        for (std::size_t k = 0; k < columns; ++k) {
            records += ',';
            if (k >= before && k - before < line.values.size())
                records += csvField(line.values[k - before]);
        }
        records += "," + csvField(m.id) + "," +
                   (m.judgement && m.judgement->line == i ? judged : ",,,,,") + "\r\n";
    }
    return records;
}

std::string isoLocalTime(std::time_t when)
{
    const std::tm local = localTime(when);
    const long long offset = secondsAsWritten(local) - secondsAsWritten(universalTime(when));
    const long long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02lld:%02lld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return formatted("%Y-%m-%dT%H:%M:%S", local) + zone;
}

std::string journalFileName(std::time_t when)
{
    return formatted("%Y-%m-%d", localTime(when)) + ".csv";
}

std::string journalAppendix(bool fileEmpty, bool endsInLineFeed, const std::string& records,
                            const std::string& header)
{
    if (fileEmpty)
        return header + records;
    if (!endsInLineFeed)
        return "\r\n" + records;
    return records;
}

std::string journalRunId(std::time_t start, unsigned long processId)
{
    return formatted("%Y%m%dT%H%M%S", localTime(start)) + "-" + std::to_string(processId);
}

std::string journalOutcomeFileName(std::time_t when)
{
    return formatted("%Y-%m-%d", localTime(when)) + "-outcomes.csv";
}

std::string journalOutcomeHeader()
{
    return "measurement id,outcome,message,detail\r\n";
}

std::string journalOutcomeRecord(const JournalOutcome& outcome)
{
    return csvField(outcome.id) + "," + csvField(outcome.outcome) + "," +
           (outcome.message != 0 ? std::to_string(outcome.message) : std::string()) + "," +
           csvField(outcome.detail) + "\r\n";
}

Journal::Journal(std::string directory) : dir(std::move(directory)) {}

std::error_code Journal::append(const JournalMeasurement& measurement, std::string& file) const
{
    return appendTo(journalFileName(measurement.measuredAt), journalHeader(),
                    journalRecords(measurement), file);
}

std::error_code Journal::appendOutcome(const JournalOutcome& outcome, std::string& file) const
{
    return appendTo(journalOutcomeFileName(outcome.measuredAt), journalOutcomeHeader(),
                    journalOutcomeRecord(outcome), file);
}

std::error_code Journal::appendTo(const std::string& name, const std::string& header,
                                  const std::string& records, std::string& file) const
{
    const std::filesystem::path folder = pathOf(dir);
    file = utf8Of(folder / pathOf(name));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return error;
    return platform::appendDurably(file, [&records, &header](const platform::FileEnd& end) {
        return journalAppendix(end.empty, end.endsInLineFeed, records, header);
    });
}

} // namespace tonvale
