#pragma once
// The measurement journal: every data line of every successful measurement,
// whatever its destination, appended to a file of the day and on the disk
// before the destination sees it, so that a crash, a kill, a logout or a
// forgotten save loses nothing measured.
//
// One file per local day, YYYY-MM-DD.csv. UTF-8 CSV after RFC 4180: fields
// with a comma, a double quote or a line break in double quotes (quotes
// doubled), CR LF after every record, an English header line when the file
// is new. Values are the instrument's own texts, '.' as decimal point
// whatever the locale; the date-time is ISO 8601 local time with its UTC
// offset. Every record has every column, so that the file is one table: a
// spectral line leaves the L*, a*, b* columns empty, an L*a*b* line the 39
// reflectance columns.
//
// Appending never rewrites what is there: a file that exists is never cut,
// and a partial last line (a power cut in the middle of a write) is ended
// before the next record starts.

#include <ctime>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace tonvale {

class MeasurementRecord;

// One measurement as the journal keeps it.
struct JournalMeasurement {
    struct Line {
        std::string component; // "SCI" or "SCE"
        // The values as the instrument sent them: 39 reflectances
        // (360..740 nm) or L*, a*, b*.
        std::vector<std::string> values;
    };

    int number = 0;
    std::string name;
    std::string comment;
    std::time_t measuredAt = 0;
    std::string model;      // "SX-4810k" or "SX-4800k"
    std::string area;       // "MAV" (8 mm) or "SAV" (3 mm)
    std::string illuminant; // "D65", ...: L*a*b* asked for from the PC, else empty
    std::string observer;   // "10°" or "2°", likewise
    int dataType = 0;       // 0 spectral, 1 L*a*b*
    int destination = 0;    // OutputSpreadsheet or OutputText
    std::vector<Line> lines;
};

// The measurement the record holds: its number, name, comment, time, area,
// data type and every data line it decoded (also those the specular filter
// keeps from the destination), with the values taken from lines, the data
// lines as received. illuminant and observer are kept for L*a*b* only.
JournalMeasurement journalMeasurement(const MeasurementRecord& record,
                                      std::span<const std::string> lines,
                                      const std::string& model, int destination,
                                      const std::string& illuminant,
                                      const std::string& observer);

// The header line of a new file, CR LF included.
std::string journalHeader();

// One record for each data line of the measurement, each ending in CR LF.
std::string journalRecords(const JournalMeasurement& measurement);

// The local time of when, as localtime gives it but safe on any thread.
std::tm localTime(std::time_t when);

// "2026-03-05T14:07:09+09:00": local time, its offset from UTC.
std::string isoLocalTime(std::time_t when);

// The name of the file for the local day of when: "2026-03-05.csv".
std::string journalFileName(std::time_t when);

// What an append writes into a file: the header first when the file is
// empty, a line end first when its last line is partial, then records.
std::string journalAppendix(bool fileEmpty, bool endsInLineFeed, const std::string& records);

class Journal {
public:
    // directory: where the day files are, made when missing.
    explicit Journal(std::string directory);

    // Appends the measurement to the file of its day and has it on the disk
    // before returning. file is that file's path; an empty error code on
    // success, otherwise the system's reason.
    std::error_code append(const JournalMeasurement& measurement, std::string& file) const;

    const std::string& directory() const { return dir; }

private:
    std::string dir;
};

} // namespace tonvale
