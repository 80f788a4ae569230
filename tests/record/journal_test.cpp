// The measurement journal: what it writes, read back by another program's
// CSV reader; appends to files that are already there; one file per day;
// the failures it reports.

#include "Platform.h"
#include "TempDir.h"

#include "Journal.h"
#include "JournalPlatform.h"
#include "MeasurementRecord.h"
#include "OutputDestination.h"
#include "PlatformFiles.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace tonvale;
namespace fs = std::filesystem;

namespace {

// 2026-03-05 05:07:09 UTC.
constexpr std::time_t measuredAt = 1772687229;

std::string dataLine(const std::vector<std::string>& values)
{
    std::string line = "OK00";
    for (const auto& value : values)
        line += "," + value;
    return line;
}

// A measurement as the program makes it: lines decoded into the record,
// then taken for the journal.
JournalMeasurement measured(int number, const std::string& name, const std::string& comment,
                            int dataType, int mode, const std::vector<std::vector<std::string>>& values,
                            int destination, std::time_t when = measuredAt)
{
    std::vector<std::string> lines;
    for (const auto& v : values)
        lines.push_back(dataLine(v));
    MeasurementRecord record(nullptr, ".");
    record.setNaming(number, "", 0);
    EXPECT_TRUE(record.parseLines(dataType, destination, 1, mode, lines));
    record.setNameAndComment(name, comment);
    record.stampDateTime(when);
    JournalMeasurement m = journalMeasurement(record, lines, "SX-4800k", destination, "F11", "2°");
    m.id = "20260305T140000-4711-" + std::to_string(number);
    return m;
}

class LocaleScope {
public:
    explicit LocaleScope(const char* name) : saved(std::setlocale(LC_ALL, nullptr))
    {
        active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, saved.c_str()); }
    bool active = false;

private:
    std::string saved;
};

#ifndef _WIN32
std::vector<std::string> spectralValues(int seed)
{
    std::vector<std::string> values;
    for (int k = 0; k < MeasurementRecord::spectralValues; ++k)
        values.push_back(std::to_string(seed + k) + "." + std::to_string(10 + k % 90));
    return values;
}

// Rows as Python's csv module reads the file.
std::vector<std::vector<std::string>> readWithPython(const std::string& file)
{
    const std::string command =
        "python3 -c 'import csv, sys\n"
        "rows = list(csv.reader(open(sys.argv[1], newline=\"\", encoding=\"utf-8\")))\n"
        "sys.stdout.write(\"\\x1e\".join(\"\\x1f\".join(r) for r in rows))' '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    for (const char c : out) {
        if (c == '\x1f' || c == '\x1e') {
            rows.back().push_back(field);
            field.clear();
            if (c == '\x1e')
                rows.emplace_back();
        } else {
            field += c;
        }
    }
    rows.back().push_back(field);
    return rows;
}
#endif

} // namespace

#ifndef _WIN32

TEST(Journal, ACsvReaderReadsBackWhatTheInstrumentSentUnderADecimalCommaLocale)
{
    const LocaleScope german(decimalCommaLocale);
    ASSERT_TRUE(german.active);
    const ScopedTimeZone japan("JST-9");
    TempDir dir;
    const Journal journal(dir.path("journal"));

    const auto sci = spectralValues(80);
    const auto sce = spectralValues(70);
    const std::vector<std::string> labValues{"-1.25", "22.50", "103.00"};
    const std::string name = "Tile, \"A\"";
    const std::string comment = "glossy\r\nsecond line, \"quoted\"\nthird";
    std::string file;
    ASSERT_FALSE(journal.append(measured(7, name, comment, 0, 1, {sci, sce}, OutputSpreadsheet), file));
    std::string second;
    ASSERT_FALSE(journal.append(measured(8, "", "", 1, 0, {labValues}, OutputText), second));
    EXPECT_EQ(second, file);
    EXPECT_EQ(fs::path(pathOf(file)).filename(), "2026-03-05.csv");
    // Judged against a standard on its SCE line, which the colour view showed.
    JournalMeasurement judged = measured(9, "Lot", "", 0, 1, {sci, sce}, OutputText);
    judged.judgement = {1, "赤, \"見本\" 1", "CMC(2:1)", "A", "10°", "1.25", false};
    ASSERT_FALSE(journal.append(judged, file));

    const auto rows = readWithPython(file);
    ASSERT_EQ(rows.size(), 6u);
    std::vector<std::string> header{"number",     "name",     "comment",   "date-time",
                                    "model",      "area",     "specular component",
                                    "illuminant", "observer", "data type", "destination"};
    for (int nm = 360; nm <= 740; nm += 10)
        header.push_back(std::to_string(nm) + " nm");
    for (const char* title : {"L*", "a*", "b*", "measurement id", "standard", "formula",
                              "judging illuminant", "judging observer", "delta E", "verdict"})
        header.push_back(title);
    EXPECT_EQ(rows[0], header);

    const std::vector<std::string> unjudged(6);
    const auto row = [&unjudged](std::vector<std::string> leading, const std::vector<std::string>& spectral,
                                 const std::vector<std::string>& lab,
                                 const std::vector<std::string>& judgement) {
        const std::string id = "20260305T140000-4711-" + leading[0];
        for (std::size_t k = 0; k < 39; ++k)
            leading.push_back(spectral.empty() ? "" : spectral[k]);
        for (std::size_t k = 0; k < 3; ++k)
            leading.push_back(lab.empty() ? "" : lab[k]);
        leading.push_back(id);
        leading.insert(leading.end(), judgement.begin(), judgement.end());
        return leading;
    };
    const std::string when = "2026-03-05T14:07:09+09:00";
    // A spectral measurement knows no illuminant or observer.
    EXPECT_EQ(rows[1], row({"7", name, comment, when, "SX-4800k", "SAV", "SCI", "", "", "spectral", "spreadsheet"},
                           sci, {}, unjudged));
    EXPECT_EQ(rows[2], row({"7", name, comment, when, "SX-4800k", "SAV", "SCE", "", "", "spectral", "spreadsheet"},
                           sce, {}, unjudged));
    EXPECT_EQ(rows[3], row({"8", "", "", when, "SX-4800k", "SAV", "SCI", "F11", "2°", "L*a*b*", "text"}, {},
                           labValues, unjudged));
    // The judgement is on the record of the line judged only.
    EXPECT_EQ(rows[4], row({"9", "Lot", "", when, "SX-4800k", "SAV", "SCI", "", "", "spectral", "text"}, sci, {},
                           unjudged));
    EXPECT_EQ(rows[5], row({"9", "Lot", "", when, "SX-4800k", "SAV", "SCE", "", "", "spectral", "text"}, sce, {},
                           {"赤, \"見本\" 1", "CMC(2:1)", "A", "10°", "1.25", "fail"}));
}

// A day file an older version began keeps its header: the new records are
// longer than it, and every column it names keeps its place.
TEST(Journal, AFileBegunBeforeTheJudgementColumnsKeepsItsColumnsInPlace)
{
    const ScopedTimeZone japan("JST-9");
    TempDir dir;
    const Journal journal(dir.path(""));
    const std::string newer = journalHeader();
    const std::string older = newer.substr(0, newer.find(",standard,")) + "\r\n";
    dir.write("2026-03-05.csv", older);
    JournalMeasurement m = measured(4, "n", "", 1, 0, {{"51.00", "2.00", "-3.00"}}, OutputText);
    m.judgement = {0, "Std", "ΔE00", "D65", "10°", "0.40", true};
    std::string file;
    ASSERT_FALSE(journal.append(m, file));
    const auto rows = readWithPython(file);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].size(), rows[0].size() + 6);
    EXPECT_EQ(rows[0].back(), "measurement id");
    EXPECT_EQ(rows[1][rows[0].size() - 1], m.id);
    EXPECT_EQ(rows[1][rows[0].size() - 2], "-3.00");
    EXPECT_EQ(rows[1][rows[0].size() + 5], "pass");
}
#endif

TEST(Journal, OutcomesGoToAFileOfTheirOwnBesideTheDaysFileKeyedByTheMeasurementId)
{
    const ScopedTimeZone japan("JST-9");
    TempDir dir;
    const Journal journal(dir.path("journal"));
    // Two measurements with one number: the first one's output failed.
    std::string dayFile;
    const JournalMeasurement first = measured(15, "a", "", 1, 0, {{"1.00", "2.00", "3.00"}}, OutputSpreadsheet);
    JournalMeasurement second = first;
    second.id = "20260305T140000-4711-16";
    ASSERT_FALSE(journal.append(first, dayFile));
    std::string outcomeFile;
    ASSERT_FALSE(journal.appendOutcome({first.id, measuredAt, "failed", 140, ""}, outcomeFile));
    ASSERT_FALSE(journal.append(second, dayFile));
    ASSERT_FALSE(journal.appendOutcome({second.id, measuredAt, "written", 0, ""}, outcomeFile));
    ASSERT_FALSE(journal.appendOutcome({"x", measuredAt, "failed", 0, "Calc: \"gone\", it said"}, outcomeFile));
    EXPECT_EQ(fs::path(pathOf(outcomeFile)).parent_path(), fs::path(pathOf(dayFile)).parent_path());
    EXPECT_EQ(fs::path(pathOf(outcomeFile)).filename(), "2026-03-05-outcomes.csv");
    EXPECT_EQ(dir.read("journal/2026-03-05-outcomes.csv"),
              std::string("measurement id,outcome,message,detail\r\n"
                         "20260305T140000-4711-15,failed,140,\r\n"
                         "20260305T140000-4711-16,written,,\r\n"
                         "x,failed,,\"Calc: \"\"gone\"\", it said\"\r\n"));
    // The day's file holds measurement lines alone, each with its id.
    const std::string day = dir.read("journal/2026-03-05.csv");
    EXPECT_EQ(day, journalHeader() + journalRecords(first) + journalRecords(second));
    EXPECT_NE(day.find(",20260305T140000-4711-15,,,,,,\r\n"), std::string::npos) << day;
}

TEST(Journal, TheRunIdIsTheStartInLocalTimeAndTheProcess)
{
    const ScopedTimeZone japan("JST-9");
    EXPECT_EQ(journalRunId(measuredAt, 4711), "20260305T140709-4711");
}

TEST(Journal, TheDateTimeIsLocalWithItsOffsetFromUtc)
{
    const struct {
        const char* zone;
        const char* expected;
    } cases[] = {
        {"UTC0", "2026-03-05T05:07:09+00:00"},
        {"JST-9", "2026-03-05T14:07:09+09:00"},
        {"NST3:30", "2026-03-05T01:37:09-03:30"},
    };
    for (const auto& c : cases) {
        const ScopedTimeZone zone(c.zone);
        EXPECT_EQ(isoLocalTime(measuredAt), c.expected) << c.zone;
    }
}

TEST(Journal, AppendingKeepsWhatIsThereAndStartsOnANewLine)
{
    const JournalMeasurement m = measured(3, "n", "", 1, 0, {{"1.00", "2.00", "3.00"}}, OutputText);
    const std::string records = journalRecords(m);
    ASSERT_EQ(records.substr(records.size() - 2), "\r\n");
    const struct {
        const char* what;
        const char* before; // null: no file
        std::string after;
    } cases[] = {
        {"no file", nullptr, journalHeader() + records},
        {"an empty file", "", journalHeader() + records},
        {"complete lines", "a,b\r\n", "a,b\r\n" + records},
        {"a line cut by a power failure", "a,b\r\n1,Tile,,2026-03", "a,b\r\n1,Tile,,2026-03\r\n" + records},
    };
    const ScopedTimeZone utc("UTC0");
    for (const auto& c : cases) {
        TempDir dir;
        const Journal journal(dir.path(""));
        if (c.before != nullptr)
            dir.write("2026-03-05.csv", c.before);
        std::string file;
        EXPECT_FALSE(journal.append(m, file)) << c.what;
        EXPECT_EQ(dir.read("2026-03-05.csv"), c.after) << c.what;
        // A second append adds its records and nothing else.
        EXPECT_FALSE(journal.append(m, file)) << c.what;
        EXPECT_EQ(dir.read("2026-03-05.csv"), c.after + records) << c.what;
    }
}

TEST(Journal, EachLocalDayHasItsFile)
{
    // 2026-12-31 23:59:59 UTC and two seconds later.
    constexpr std::time_t lastSecond = 1798761599;
    const std::vector<std::string> lab{"1.00", "2.00", "3.00"};
    {
        const ScopedTimeZone utc("UTC0");
        TempDir dir;
        const Journal journal(dir.path("journal"));
        std::string before;
        std::string after;
        ASSERT_FALSE(journal.append(measured(1, "a", "", 1, 0, {lab}, OutputText, lastSecond), before));
        ASSERT_FALSE(journal.append(measured(2, "b", "", 1, 0, {lab}, OutputText, lastSecond + 2), after));
        EXPECT_EQ(fs::path(pathOf(before)).filename(), "2026-12-31.csv");
        EXPECT_EQ(fs::path(pathOf(after)).filename(), "2027-01-01.csv");
        for (const auto& [file, number] : {std::pair{before, "1,a,"}, std::pair{after, "2,b,"}}) {
            const std::string text = dir.read("journal/" + fs::path(pathOf(file)).filename().string());
            EXPECT_EQ(text.rfind(journalHeader(), 0), 0u) << file;
            EXPECT_EQ(text.find(number, journalHeader().size()), journalHeader().size()) << text;
        }
    }
    // The day is the operator's: in Japan that moment is already in 2027.
    const ScopedTimeZone japan("JST-9");
    EXPECT_EQ(journalFileName(lastSecond), "2027-01-01.csv");
}

TEST(Journal, AFolderThatCannotBeMadeIsReported)
{
    TempDir dir;
    dir.write("occupied", "a file where the folder would be");
    const Journal journal(dir.path("occupied/journal"));
    std::string file;
    const std::error_code error =
        journal.append(measured(1, "a", "", 1, 0, {{"1.00", "2.00", "3.00"}}, OutputText), file);
    EXPECT_TRUE(error);
    EXPECT_NE(file.find("occupied"), std::string::npos) << file;
    EXPECT_EQ(dir.read("occupied"), "a file where the folder would be");
}

#ifndef _WIN32
TEST(Journal, AFullDiskIsReported)
{
    const ScopedTimeZone utc("UTC0");
    TempDir dir;
    fs::create_symlink("/dev/full", pathOf(dir.path("2026-03-05.csv")));
    const Journal journal(dir.path(""));
    std::string file;
    const std::error_code error =
        journal.append(measured(1, "a", "", 1, 0, {{"1.00", "2.00", "3.00"}}, OutputText), file);
    EXPECT_EQ(error, std::errc::no_space_on_device);
    EXPECT_EQ(file, dir.path("2026-03-05.csv"));
}

TEST(Journal, TheFolderFollowsTheXdgDataHome)
{
    EXPECT_EQ(journalDirectoryFor("/data", "/home/op"), "/data/tonvale/journal");
    EXPECT_EQ(journalDirectoryFor(nullptr, "/home/op"), "/home/op/.local/share/tonvale/journal");
    // A relative XDG_DATA_HOME is to be ignored.
    EXPECT_EQ(journalDirectoryFor("data", "/home/op"), "/home/op/.local/share/tonvale/journal");
}
#else
TEST(Journal, TheFolderIsInTheLocalApplicationData)
{
    EXPECT_EQ(journalDirectoryFor("C:\\Users\\op\\AppData\\Local"),
              "C:\\Users\\op\\AppData\\Local\\Tonvale\\journal");
}
#endif
