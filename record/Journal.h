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
//
// The last column, "measurement id", tells measurements apart even where
// their numbers repeat (the number restarts at 1 with every start, and a
// measurement whose output failed leaves its number to the next one). What
// became of each at its destination is appended, once the destination has
// had it, to the day's outcome file beside the day's file,
// YYYY-MM-DD-outcomes.csv: measurement id, outcome ("written", "refused",
// "failed"), the number of the message that said why, and the text of an
// error that has no number. The day's file itself stays one kind of line,
// each on the disk before the destination sees it. Files written before
// the id column existed stay as they are: a day file begun without it gets
// lines with one field more than its header.
//
// After the id come the judgement of a measurement against the active
// standard: the standard's name, the formula, the illuminant and observer
// it was judged under, ΔE as shown (two decimals) and the verdict ("pass"
// or "fail"), on the record of the line that was judged; every other
// record leaves them empty. A day file begun before these columns existed
// likewise gets lines with more fields than its header; the fields before
// them stay where they were.

#include <cstddef>
#include <ctime>
#include <optional>
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
    std::string id;         // the measurement id, unique on this machine
    std::vector<Line> lines;

    struct Judgement {
        std::size_t line = 0; // the line judged, in lines
        std::string standard;
        std::string formula;    // "ΔE00", "CMC(2:1)", ...
        std::string illuminant; // "D65", ...
        std::string observer;   // "10°" or "2°"
        std::string deltaE;     // "0.84"
        bool pass = false;
    };
    // Against the active standard, when there was one and it could judge.
    std::optional<Judgement> judgement;
};

// What became of a journalled measurement at its destination.
struct JournalOutcome {
    std::string id;
    std::time_t measuredAt = 0; // the day whose outcome file it goes to
    std::string outcome;        // "written", "refused" or "failed"
    int message = 0;            // the message that said why; 0 none
    std::string detail;         // the text of an error that has no number
};

// The first part of every measurement id of this run of the program:
// its start in local time and its process id, "20260305T140709-4711".
std::string journalRunId(std::time_t start, unsigned long processId);

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
std::string journalAppendix(bool fileEmpty, bool endsInLineFeed, const std::string& records,
                            const std::string& header = journalHeader());

// The outcome file of the local day of when: "2026-03-05-outcomes.csv";
// its header line and one record, CR LF included.
std::string journalOutcomeFileName(std::time_t when);
std::string journalOutcomeHeader();
std::string journalOutcomeRecord(const JournalOutcome& outcome);

class Journal {
public:
    // directory: where the day files are, made when missing.
    explicit Journal(std::string directory);

    // Appends the measurement to the file of its day and has it on the disk
    // before returning. file is that file's path; an empty error code on
    // success, otherwise the system's reason.
    std::error_code append(const JournalMeasurement& measurement, std::string& file) const;
    // Appends the outcome to the outcome file of its day, likewise.
    std::error_code appendOutcome(const JournalOutcome& outcome, std::string& file) const;

    const std::string& directory() const { return dir; }

private:
    // records into the file name of the folder, after header when it is new.
    std::error_code appendTo(const std::string& name, const std::string& header,
                             const std::string& records, std::string& file) const;

    std::string dir;
};

} // namespace tonvale
