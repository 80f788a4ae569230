// The checks every standard passes, and the CSV form of a library.

#include "StandardsFixtures.h"
#include "TempDir.h"

#include "standards/Csv.h"
#include "standards/SqliteStore.h"
#include "standards/Validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace standards;

namespace {
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
} // namespace

TEST(Validation, RefusesWhatNoStandardMayHold)
{
    struct Case {
        const char* what;
        std::function<void(Standard&)> change;
        Problem problem;
    };
    const std::vector<Case> cases{
        {"as it is", [](Standard&) {}, Problem::None},
        {"empty name", [](Standard& s) { s.name = ""; }, Problem::NameEmpty},
        {"blank name", [](Standard& s) { s.name = "   "; }, Problem::NameEmpty},
        {"64 characters", [](Standard& s) { s.name = std::string(63, 'x') + "色"; }, Problem::None},
        {"65 characters", [](Standard& s) { s.name = std::string(64, 'x') + "色"; }, Problem::NameTooLong},
        {"64 Japanese characters", [](Standard& s) { s.name.clear(); for (int i = 0; i < 64; ++i) s.name += "赤"; }, Problem::None},
        {"line break in name", [](Standard& s) { s.name = "Red\nBlue"; }, Problem::BadCharacters},
        {"lines in note", [](Standard& s) { s.note = "a\r\n\tb"; }, Problem::None},
        {"bell in note", [](Standard& s) { s.note = "a\ab"; }, Problem::BadCharacters},
        {"not UTF-8", [](Standard& s) { s.name = "\x90\x73"; }, Problem::BadCharacters},
        {"overlong UTF-8", [](Standard& s) { s.name = "\xC0\xAF"; }, Problem::BadCharacters},
        {"cut UTF-8", [](Standard& s) { s.name = "\xE8\xB5"; }, Problem::BadCharacters},
        {"ΔE zero", [](Standard& s) { s.tolerance.deltaE = 0; }, Problem::NotPositive},
        {"ΔE negative", [](Standard& s) { s.tolerance.deltaE = -1; }, Problem::NotPositive},
        {"ΔE NaN", [](Standard& s) { s.tolerance.deltaE = notANumber; }, Problem::DeltaENotNumber},
        {"ΔE infinite", [](Standard& s) { s.tolerance.deltaE = infinity; }, Problem::DeltaENotNumber},
        {"ΔE tiny", [](Standard& s) { s.tolerance.deltaE = 1e-9; }, Problem::None},
        {"ΔL* zero", [](Standard& s) { s.tolerance.dL = 0.0; }, Problem::NotPositive},
        {"Δa* negative", [](Standard& s) { s.tolerance.da = -0.5; }, Problem::NotPositive},
        {"Δb* NaN", [](Standard& s) { s.tolerance.db = notANumber; }, Problem::LimitNotNumber},
        {"L* 0", [](Standard& s) { s.lab.L = 0; }, Problem::None},
        {"L* 100", [](Standard& s) { s.lab.L = 100; }, Problem::None},
        {"L* below 0", [](Standard& s) { s.lab.L = -0.01; }, Problem::LightnessRange},
        {"L* above 100", [](Standard& s) { s.lab.L = 100.01; }, Problem::LightnessRange},
        {"L* NaN", [](Standard& s) { s.lab.L = notANumber; }, Problem::LightnessRange},
        {"a* -200", [](Standard& s) { s.lab.a = -200; }, Problem::None},
        {"a* beyond -200", [](Standard& s) { s.lab.a = -200.5; }, Problem::ChromaRange},
        {"b* beyond 200", [](Standard& s) { s.lab.b = 200.5; }, Problem::ChromaRange},
        {"b* infinite", [](Standard& s) { s.lab.b = infinity; }, Problem::ChromaRange},
        {"illuminant 11", [](Standard& s) { s.illuminant = 11; }, Problem::Conditions},
        {"unknown illuminant", [](Standard& s) { s.illuminant = -1; }, Problem::Conditions},
        {"observer 2", [](Standard& s) { s.observer = 2; }, Problem::Conditions},
        {"reflectance NaN", [](Standard& s) { (*s.reflectance)[20] = notANumber; }, Problem::Reflectance},
    };
    for (const Case& c : cases) {
        Standard s = spectralStandard("Red");
        c.change(s);
        EXPECT_EQ(c.problem, check(s)) << c.what;
    }
}

TEST(Validation, ReadsNumbersWithAPointWhateverTheLocale)
{
    const std::vector<std::pair<const char*, std::optional<double>>> cases{
        {"1.5", 1.5}, {"-0.25", -0.25}, {"+3", 3.0}, {"1e-2", 0.01}, {"100", 100.0},
        {"1,5", std::nullopt}, {"", std::nullopt}, {" 1", std::nullopt}, {"1 ", std::nullopt},
        {"abc", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt}, {"1e999", std::nullopt},
        {"0x10", std::nullopt}, {"--1", std::nullopt}, {"+-1", std::nullopt}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(value, parseNumber(text)) << '"' << text << '"';
}

TEST(Csv, RoundTripKeepsEveryField)
{
    Standard lab = labStandard("赤, \"特\" 1");
    lab.created = 951782400; // 2000-02-29
    lab.changed = 1797011533;
    Standard spectral = spectralStandard("Blue");
    spectral.created = spectral.changed = 0;
    const std::string csv = toCsv({lab, spectral});

    const std::vector<Standard> read = fromCsv(csv);
    ASSERT_EQ(2u, read.size());
    expectSameStandard(lab, read[0]);
    EXPECT_EQ(lab.created, read[0].created);
    EXPECT_EQ(lab.changed, read[0].changed);
    expectSameStandard(spectral, read[1]);
    EXPECT_EQ(0, read[1].created);
    EXPECT_EQ(toCsv(read), csv);
}

TEST(Csv, WritesTheLayoutAnotherProgramReads)
{
    Standard lab = labStandard("Red, dark");
    lab.created = 951782400;
    lab.changed = 951868799;
    const std::string csv = toCsv({lab});
    std::string header = "name,L*,a*,b*,illuminant,observer,formula,dE,dL*,da*,db*,note,created,changed";
    for (int nm = 360; nm <= 740; nm += 10)
        header += "," + std::to_string(nm);
    const std::string record = "\"Red, dark\",52.25,-3.5,17.125,D50,2,CMC,1.2,,,0.6,\"Lot 7, \"\"gloss\"\" side\","
                               "2000-02-29T00:00:00Z,2000-02-29T23:59:59Z" + std::string(39, ',') + "\r\n";
    EXPECT_EQ(header + "\r\n" + record, csv);
}

TEST(Csv, TakesAByteOrderMarkLineFeedsAndNoTimes)
{
    std::string csv = toCsv({labStandard("A")});
    // The times cut out, the CR LF made LF, as a text editor might leave it.
    std::string edited;
    for (char c : csv)
        if (c != '\r')
            edited += c;
    const auto zulu = edited.find("1970-01-01T00:00:00Z,1970-01-01T00:00:00Z");
    ASSERT_NE(std::string::npos, zulu) << edited;
    edited.replace(zulu, 41, ",");
    const std::vector<Standard> read = fromCsv("\xEF\xBB\xBF" + edited);
    ASSERT_EQ(1u, read.size());
    expectSameStandard(labStandard("A"), read[0]);
    EXPECT_EQ(0, read[0].created);
}

TEST(Csv, ABadRecordNamesItsLineAndWhy)
{
    const std::string header = toCsv({}).substr(0, toCsv({}).size() - 2);
    const std::string good = toCsv({labStandard("Good")}).substr(header.size() + 2);
    const auto withField = [&](std::size_t field, const std::string& value) {
        std::vector<std::string> fields;
        std::string line = good.substr(0, good.size() - 2);
        // The good record has no quoted commas after its note.
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || (line[i] == ',' && std::count(line.begin(), line.begin() + i, '"') % 2 == 0)) {
                fields.push_back(line.substr(start, i - start));
                start = i + 1;
            }
        }
        fields.at(field) = value;
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i)
            out += (i ? "," : "") + fields[i];
        return out + "\r\n";
    };
    std::string spectrum;
    for (int band = 0; band < 39; ++band)
        spectrum += band == 5 ? "," : ",12.5";
    const auto good2 = [&](const std::string& name) { return withField(0, name); };

    struct Case {
        std::string text;
        int line;
        Problem problem;
    };
    const std::vector<Case> cases{
        {"", 1, Problem::Header},
        {"name,L*,a*,b*\r\n", 1, Problem::Header},
        {header + "\r\n" + good + "Short,50,0,0\r\n", 3, Problem::Columns},
        {header + "\r\n" + good2("B") + withField(1, "50,5"), 3, Problem::Columns},
        {header + "\r\n" + withField(1, "101"), 2, Problem::LightnessRange},
        {header + "\r\n" + withField(1, "5O"), 2, Problem::LightnessRange},
        {header + "\r\n" + withField(2, "-250"), 2, Problem::ChromaRange},
        {header + "\r\n" + withField(4, "D75"), 2, Problem::Conditions},
        {header + "\r\n" + withField(5, "10°"), 2, Problem::Conditions},
        {header + "\r\n" + withField(6, "dE2000"), 2, Problem::FormulaKey},
        {header + "\r\n" + withField(7, "0"), 2, Problem::NotPositive},
        {header + "\r\n" + withField(7, ""), 2, Problem::DeltaENotNumber},
        {header + "\r\n" + withField(7, "1,5"), 2, Problem::Columns},
        {header + "\r\n" + withField(8, "-1"), 2, Problem::NotPositive},
        {header + "\r\n" + withField(9, "x"), 2, Problem::LimitNotNumber},
        {header + "\r\n" + withField(12, "2000-02-30T00:00:00Z"), 2, Problem::Time},
        {header + "\r\n" + withField(13, "yesterday"), 2, Problem::Time},
        {header + "\r\n" + withField(0, ""), 2, Problem::NameEmpty},
        {header + "\r\n" + withField(0, std::string(65, 'n')), 2, Problem::NameTooLong},
        {header + "\r\n" + withField(0, "\"two\nlines\""), 2, Problem::BadCharacters},
        {header + "\r\n" + withField(0, "Unclosed \"quote"), 2, Problem::Quote},
        {header + "\r\n" + withField(0, "\"never closed"), 2, Problem::Quote},
        {header + "\r\n" + withField(0, "\"closed\"early"), 2, Problem::Quote},
        {header + "\r\n" + good + withField(11, "\"a\r\nlong\r\nnote\"") + withField(0, "\"bad\x81\""), 6, Problem::BadCharacters},
        {header + "\r\n" + good + "\r\n" + good, 4, Problem::DuplicateName},
        {header + "\r\n" + good2("x").substr(0, good2("x").size() - 41) + spectrum + "\r\n", 2, Problem::Reflectance},
    };
    TempDir dir;
    SqliteStore store(dir.path("standards.sqlite"));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        try {
            importCsv(store, cases[i].text);
            ADD_FAILURE() << "case " << i << " was taken:\n" << cases[i].text;
        } catch (const CsvError& error) {
            EXPECT_EQ(cases[i].line, error.line()) << "case " << i;
            EXPECT_EQ(cases[i].problem, error.problem()) << "case " << i;
        }
        EXPECT_TRUE(store.all().empty()) << "case " << i << " left standards behind";
    }
}

TEST(Csv, ImportsAllOrNothing)
{
    TempDir dir;
    SqliteStore store(dir.path("standards.sqlite"));
    store.add(labStandard("Kept"));
    const std::string file = toCsv({labStandard("New 1"), spectralStandard("New 2"), labStandard("Kept")});
    try {
        importCsv(store, file);
        ADD_FAILURE() << "a name of the library was imported again";
    } catch (const CsvError& error) {
        EXPECT_EQ(4, error.line());
        EXPECT_EQ(Problem::DuplicateName, error.problem());
    }
    EXPECT_EQ(1u, store.all().size());

    EXPECT_EQ(2u, importCsv(store, toCsv({labStandard("New 1"), spectralStandard("New 2")})));
    EXPECT_EQ(3u, store.all().size());
    expectSameStandard(spectralStandard("New 2"), *store.find("New 2"));
}
