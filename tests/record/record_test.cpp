#include "GuiTest.h"
#include "Platform.h"

#include "MeasurementRecord.h"
#include "TextOutputWindow.h"
#include "ValueText.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace tonvale;

namespace {

// A data line as the instrument sends it: reply code, then ",value" each.
std::string dataLine(const std::vector<std::string>& values, const std::string& code = "OK00")
{
    std::string line = code;
    for (const auto& v : values)
        line += "," + v;
    return line;
}

std::vector<std::string> spectralTexts(int count)
{
    std::vector<std::string> texts;
    for (int k = 0; k < count; ++k)
        texts.push_back(std::to_string(10 + k) + ".5" + std::to_string(k % 10));
    return texts;
}

std::vector<std::string> textsOf(const MeasurementRecord& record, int line, int count)
{
    std::vector<std::string> texts;
    for (int k = 0; k < count; ++k)
        texts.push_back(record.valueText(line, k));
    return texts;
}

const std::string lab = dataLine({"1.00", "22.50", "-3.25"});
const std::string lab2 = dataLine({"-12.34", "123.45", "0.00"});

} // namespace

TEST(ParseLines, GoodAndBadLines)
{
    struct Case {
        const char* what;
        int dataType;
        int mode;
        std::vector<std::string> lines;
        bool ok;
        std::vector<std::string> firstLineTexts;  // when ok
    };
    const Case cases[] = {
        {"L*a*b*", 1, 0, {lab}, true, {"1.00", "22.50", "-3.25"}},
        {"one to three places before the point", 1, 0, {lab2}, true, {"-12.34", "123.45", "0.00"}},
        {"reply code and CR do not matter", 1, 0, {dataLine({"1.00", "2.00", "3.00"}, "OK05") + "\r"}, true,
         {"1.00", "2.00", "3.00"}},
        {"point 5 after the comma", 1, 0, {dataLine({"-123.45", "1.00", "2.00"})}, false, {}},
        {"four places before the point", 1, 0, {dataLine({"1234.56", "1.00", "2.00"})}, false, {}},
        {"too few values", 1, 0, {dataLine({"1.00", "2.00"})}, false, {}},
        {"no commas", 1, 0, {"OK00 1.00 2.00 3.00"}, false, {}},
        {"points close to the start but no comma", 1, 0, {"O..."}, false, {}},
        {"no points", 1, 0, {dataLine({"100", "200", "300"})}, false, {}},
        {"a field that is no value between values", 1, 0, {"OK00,1.00,2,3.00,4.00"}, false, {}},
        {"a value with three decimals", 1, 0, {dataLine({"1.000", "2.00", "3.00"})}, false, {}},
        {"a sign alone before the point", 1, 0, {dataLine({"-.50", "2.00", "3.00"})}, false, {}},
        {"a blank before a value", 1, 0, {dataLine({" 1.00", "2.00", "3.00"})}, false, {}},
        {"more after the last value", 1, 0, {lab + ",XYZ"}, false, {}},
        {"more after the line's CR", 1, 0, {lab + "\r "}, false, {}},
        {"an empty value at the end", 1, 0, {lab + ","}, false, {}},
        {"a comma in the first column is not searched", 1, 0, {",1.00,2.00,3.00"}, false, {}},
        {"empty line", 1, 0, {""}, false, {}},
        {"39 spectral values", 0, 0, {dataLine(spectralTexts(39))}, true, spectralTexts(39)},
        {"38 spectral values", 0, 0, {dataLine(spectralTexts(38))}, false, {}},
        {"an unknown data type", 2, 0, {lab}, false, {}},
        {"both components", 1, 1, {lab, lab2}, true, {"1.00", "22.50", "-3.25"}},
        {"fewer lines than the mode measures", 1, 1, {lab}, false, {}},
        {"mode beyond 5", 1, 6, {lab}, false, {}},
        {"negative mode", 1, -1, {lab}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MeasurementRecord record(nullptr, ".");
        EXPECT_EQ(record.parseLines(c.dataType, OutputText, 0, c.mode, c.lines), c.ok);
        if (c.ok) {
            EXPECT_EQ(textsOf(record, 0, static_cast<int>(c.firstLineTexts.size())), c.firstLineTexts);
        }
    }
}

TEST(ParseLines, NumbersAreDecodedForTheWorksheet)
{
    MeasurementRecord record(nullptr, ",");
    const std::vector<std::string> lines{lab, lab2};
    ASSERT_TRUE(record.parseLines(1, OutputSpreadsheet, 0, 1, lines));
    const double expected[2][3] = {{1.0, 22.5, -3.25}, {-12.34, 123.45, 0.0}};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_DOUBLE_EQ(record.value(i, k), expected[i][k]) << i << "," << k;
    // Only the representation the destination needs is filled.
    EXPECT_EQ(record.valueText(0, 0), "");
}

TEST(ParseLines, AFailureKeepsTheLinesDecodedBeforeItAndReadsNoneInPart)
{
    MeasurementRecord record(nullptr, ".");
    const std::vector<std::string> lines{lab, dataLine({"7.00", "-123.45", "2.00"})};
    EXPECT_FALSE(record.parseLines(1, OutputText, 0, 1, lines));
    EXPECT_EQ(textsOf(record, 0, 3), (std::vector<std::string>{"1.00", "22.50", "-3.25"}));
    EXPECT_EQ(textsOf(record, 1, 3), (std::vector<std::string>{"", "", ""}));
}

TEST(ParseLines, TheLinesSayWhichDataTypeTheyCarry)
{
    const std::string spectral = dataLine(spectralTexts(39));
    struct Case {
        const char* what;
        int asked;
        int mode;
        std::vector<std::string> lines;
        bool ok;
        int received; // when ok
    };
    const Case cases[] = {
        {"L*a*b* as asked", 1, 0, {lab}, true, 1},
        {"spectral as asked", 0, 0, {spectral}, true, 0},
        {"spectral data when L*a*b* was asked for", 1, 0, {spectral}, true, 0},
        {"L*a*b* when spectral data was asked for", 0, 1, {lab, lab2}, true, 1},
        {"five values are neither", 1, 0, {dataLine({"1.00", "2.00", "3.00", "4.00", "5.00"})}, false, 0},
        {"40 values are neither", 0, 0, {spectral + ",1.00"}, false, 0},
        {"one measurement of two data types", 0, 1, {spectral, lab}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const int kind : {OutputText, OutputSpreadsheet}) {
            MeasurementRecord record(nullptr, ".");
            EXPECT_EQ(record.parseLines(c.asked, kind, 0, c.mode, c.lines), c.ok);
            if (c.ok) {
                EXPECT_EQ(record.dataType(), c.received);
            }
        }
    }

    // The values are those of the line, never the first three of a longer one.
    MeasurementRecord record(nullptr, ".");
    ASSERT_TRUE(record.parseLines(1, OutputText, 0, 0, std::vector<std::string>{spectral}));
    EXPECT_EQ(textsOf(record, 0, 39), spectralTexts(39));
}

TEST(ParseLines, ModesAndAreas)
{
    struct Case {
        int mode;
        std::vector<int> codes;
        std::vector<std::string> labels;
    };
    const Case modes[] = {
        {0, {0, 0, 0, 0, 0, 0}, {"SCI", "0", "0", "0", "0", "0"}},
        {1, {0, 1, 0, 0, 0, 0}, {"SCI", "SCE", "0", "0", "0", "0"}},
        {2, {0, 2, 0, 0, 0, 0}, {"SCI", "SCI", "0", "0", "0", "0"}},
        {3, {0, 1, 2, 3, 0, 0}, {"SCI", "SCE", "SCI", "SCE", "0", "0"}},
        {4, {0, 2, 4, 0, 0, 0}, {"SCI", "SCI", "SCI", "0", "0", "0"}},
        {5, {0, 1, 2, 3, 4, 5}, {"SCI", "SCE", "SCI", "SCE", "SCI", "SCE"}},
    };
    MeasurementRecord record(nullptr, ".");
    const std::vector<std::string> six(6, lab);
    const int lineCounts[] = {1, 2, 2, 4, 3, 6};
    for (const auto& m : modes) {
        // From the six-line mode first, so that stale labels would show.
        ASSERT_TRUE(record.parseLines(1, OutputText, 0, 5, six));
        ASSERT_TRUE(record.parseLines(1, OutputText, 0, m.mode, six)) << m.mode;
        EXPECT_EQ(record.lineCount(), lineCounts[m.mode]);
        for (int i = 0; i < MeasurementRecord::maxLines; ++i) {
            EXPECT_EQ(record.componentCode(i), m.codes[i]) << "mode " << m.mode << " line " << i;
            EXPECT_EQ(record.componentLabel(i), m.labels[i]) << "mode " << m.mode << " line " << i;
        }
    }
    // An unknown mode leaves the layout of the last one.
    EXPECT_FALSE(record.parseLines(1, OutputText, 0, 9, six));
    EXPECT_EQ(record.lineCount(), 6);
    EXPECT_EQ(record.componentLabel(5), "SCE");

    for (const auto& [area, label] : {std::pair{0, "MAV"}, {1, "SAV"}, {7, "SAV"}, {0, "MAV"}, {-1, "MAV"}}) {
        record.parseLines(1, OutputText, area, 0, six);
        EXPECT_EQ(record.areaLabel(), label) << area;
    }
}

TEST(ParseLines, TextValuesCarryTheUsersDecimalSeparator)
{
    EXPECT_EQ(decimalPointOf(decimalCommaLocaleName), ",");
    EXPECT_EQ(decimalPointOf("C"), ".");
    EXPECT_EQ(decimalPointOf("xx_NOWHERE"), ".");

    MeasurementRecord record(nullptr, decimalPointOf(decimalCommaLocaleName));
    ASSERT_TRUE(record.parseLines(1, OutputText, 0, 0, std::vector<std::string>{lab}));
    EXPECT_EQ(textsOf(record, 0, 3), (std::vector<std::string>{"1,00", "22,50", "-3,25"}));
}

TEST(ParseLines, DecodingNeitherDependsOnNorChangesTheProcessLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, decimalCommaLocale), nullptr) << "scripts/bootstrap installs " << decimalCommaLocale;
    MeasurementRecord record(nullptr, ",");
    const bool ok = record.parseLines(1, OutputSpreadsheet, 0, 0, std::vector<std::string>{lab});
    const bool textOk = record.parseLines(1, OutputText, 0, 0, std::vector<std::string>{lab});
    const std::string during = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, before.c_str());

    EXPECT_TRUE(ok);
    EXPECT_TRUE(textOk);
    EXPECT_DOUBLE_EQ(record.value(0, 1), 22.5);  // strtod under de_DE would stop at the point
    EXPECT_EQ(record.valueText(0, 1), "22,50");
    EXPECT_EQ(during, decimalCommaLocale);
}

// Against glibc's strtod, whose reading of the instrument's numbers the
// program keeps on every platform (the Windows C runtime reads no
// hexadecimal numbers).
#ifndef _WIN32
TEST(ValueText, ReadsLikeStrtodInTheCLocale)
{
    const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const char* texts[] = {"1.00", "-12.34", "123.45", " \t-1.5", "+2.25", "--1", "+-1", "-+1", "abc", "",
                           "-", ".", "12.3x", "1.e5", "1e5.00", "0x1.8", "0x", "0x.", "0x.8", "0xg",
                           "inf", "-INF", "nan", "infinity", "1e999", "-1e999", "1e-999", "0x1p-2000",
                           "0.000001", "1e-310",
                           // Beyond even a long double, followed by more text.
                           "3e6466e3e-46", "-1e9999e-1", "1e-9999e+1", "0x1p99999p-1",
                           // An exponent mark with two signs or no digits is no exponent.
                           "0X8P+-88128", "0x1.p+-3", "0x8p-+1", "0x8p+", "0x8p", "0x8P-x", "1e+-5"};
    for (const char* text : texts) {
        const double expected = strtod_l(text, nullptr, c);
        const double got = valueOf(text);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got)) << '"' << text << '"';
        } else {
            EXPECT_EQ(got, expected) << '"' << text << '"';
        }
    }
    freelocale(c);
}
#endif

TEST(MeasurementRecord, StampsLocalDateAndTime)
{
    MeasurementRecord record(nullptr, ".");
    const std::tuple<const char*, std::time_t, const char*> cases[] = {
        {"UTC0", 1700000000, "11/14/23 22:13:20"},
        {"JST-9", 1700000000, "11/15/23 07:13:20"},
        {"UTC0", 1234567890, "02/13/09 23:31:30"},
        {"UTC0", 946684799, "12/31/99 23:59:59"},
    };
    for (const auto& [tz, when, text] : cases) {
        ScopedTimeZone zone(tz);
        record.stampDateTime(when);
        EXPECT_EQ(record.dateTime(), text) << tz;
    }

    record.stampDateTime();
    EXPECT_EQ(record.dateTime().size(), 17u);
}

TEST(MeasurementRecord, Naming)
{
    struct Case {
        int autoNaming;
        const char* prefix;
        int number;
        const char* expected;
    };
    const Case cases[] = {
        {1, "Lot", 5, "Lot_No.5"},
        {1, "", 5, "No.5"},
        {2, "試料", 99999, "試料_No.99999"},
        {0, "Lot", 5, "typed"},
    };
    for (const auto& c : cases) {
        MeasurementRecord record(nullptr, ".");
        record.setName("typed");
        record.setNaming(c.number, c.prefix, c.autoNaming);
        EXPECT_EQ(record.makeName(), c.expected);
        EXPECT_EQ(record.outputName(), c.expected);
    }

    MeasurementRecord record(nullptr, ".");
    record.setNameAndComment("written", "a comment");
    EXPECT_EQ(record.outputName(), "written");
    EXPECT_EQ(record.comment(), "a comment");
}

TEST(MeasurementRecord, OutputFlagsReportWhetherTheyDifferFromTheLastOutput)
{
    TextOutputWindow& window = TextOutputWindow::instance();
    MeasurementRecord record(&window, ".");
    ASSERT_TRUE(record.parseLines(1, OutputText, 0, 0, std::vector<std::string>{lab}));
    record.setNaming(2, "", 0);
    EXPECT_FALSE(record.setOutputFlags(0, 0, 0, 0, 0, 0)) << "before any output, always a change";
    EXPECT_FALSE(record.setOutputFlags(0, 0, 0, 0, 0, 0)) << "still no output";
    record.writeToText(false, 1);
    EXPECT_TRUE(record.setOutputFlags(0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(record.setOutputFlags(0, 0, 0, 0, 0, 1));
    // A measurement stopped before its output leaves the change in place.
    EXPECT_FALSE(record.setOutputFlags(0, 0, 0, 0, 0, 1));
    record.writeToText(false, 1);
    EXPECT_TRUE(record.setOutputFlags(0, 0, 0, 0, 0, 1));
    EXPECT_FALSE(record.setOutputFlags(2, 0, 0, 0, 0, 1));
    window.clear();
}

// --- text layout -----------------------------------------------------------

namespace {

struct TextLayout : testing::Test {
    TextOutputWindow& window = TextOutputWindow::instance();
    MeasurementRecord record{&window, "."};

    ScopedTimeZone zone{"UTC0"};

    void SetUp() override
    {
        window.clear();
        record.stampDateTime(1700000000);
        record.setNaming(1, "Lot", 1);
        record.setNameAndComment(record.makeName(), "ok");
    }

    void measure(int dataType, int mode, const std::vector<std::string>& lines)
    {
        ASSERT_TRUE(record.parseLines(dataType, OutputText, 0, mode, lines));
    }

    std::string written()
    {
        std::string text = window.text();
        window.clear();
        return text;
    }
};

const std::string labHeader = "Lot\r\n\r\n\tL*a*b*\r\n";

} // namespace

TEST_F(TextLayout, AllColumnsWithComment)
{
    measure(1, 1, {lab, lab2});
    const bool unchanged = record.setOutputFlags(1, 1, 1, 1, 1, 1);
    record.writeToText(unchanged, 1);
    EXPECT_EQ(written(), labHeader +
                             "測定No.\t測定値名\t測定日時\t測定径\t正反射光処理\tL*\ta*\tb*\tコメント\r\n"
                             "No.1\tLot_No.1\t11/14/23 22:13:20\tMAV\tSCI\t1.00\t22.50\t-3.25\tok\r\n"
                             "No.1\tLot_No.1\t11/14/23 22:13:20\tMAV\tSCE\t-12.34\t123.45\t0.00\tok\r\n");
}

TEST_F(TextLayout, HeaderOnlyForNumberOneOrChangedSwitches)
{
    measure(1, 0, {lab});
    const std::string line = "1.00\t22.50\t-3.25\r\n";
    const std::string titles = "L*\ta*\tb*\r\n";
    struct Step {
        int number;
        std::array<int, 6> switches;
        std::string expected;
    };
    const Step steps[] = {
        {1, {0, 0, 0, 0, 0, 0}, labHeader + titles + line},  // first call: changed
        {1, {0, 0, 0, 0, 0, 0}, labHeader + titles + line},  // number 1 though unchanged
        {2, {0, 0, 0, 0, 0, 0}, line},
        {3, {0, 0, 0, 1, 0, 0}, labHeader + "測定径\t" + titles + "MAV\t" + line},
        {4, {0, 0, 0, 1, 0, 0}, "MAV\t" + line},
        {5, {2, 0, 0, 0, 0, 0}, labHeader + titles + line},  // only exactly 1 is on
    };
    for (const auto& s : steps) {
        record.setNaming(s.number, "Lot", 1);
        const auto& w = s.switches;
        record.writeToText(record.setOutputFlags(w[0], w[1], w[2], w[3], w[4], w[5]), 1);
        EXPECT_EQ(written(), s.expected) << "number " << s.number;
    }
}

TEST_F(TextLayout, SpectralLineWithAllSwitchesOffIsTheValuesAlone)
{
    const auto values = spectralTexts(39);
    measure(0, 0, {dataLine(values)});
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 0, 0), 0);
    std::string titles, line;
    for (int k = 0; k < 39; ++k) {
        titles += (k ? "\t" : "") + std::to_string(360 + 10 * k);
        line += (k ? "\t" : "") + values[k];
    }
    EXPECT_EQ(written(), "Lot\r\n\r\n\t反射率\r\n" + titles + "\r\n" + line + "\r\n");
}

TEST_F(TextLayout, ACommentSwitchOtherThanZeroOrOneKeepsTheTrailingTab)
{
    measure(1, 0, {lab});
    record.writeToText(record.setOutputFlags(1, 0, 0, 0, 0, 2), 1);
    EXPECT_EQ(written(), labHeader + "測定No.\tL*\ta*\tb*\t\r\nNo.1\t1.00\t22.50\t-3.25\t\r\n");
}

TEST_F(TextLayout, TheSpecularFilterWritesOnlySceLines)
{
    record.setSpecularFilter(1);
    measure(1, 0, {lab});
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 1, 0), 1);
    EXPECT_EQ(written(), labHeader + "正反射光処理\tL*\ta*\tb*\r\n") << "mode 0 has no SCE line";

    measure(1, 5, {lab, lab2, lab, lab2, lab, lab2});
    record.setNaming(2, "Lot", 1);
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 1, 0), 1);
    const std::string sce = "SCE\t-12.34\t123.45\t0.00\r\n";
    EXPECT_EQ(written(), sce + sce + sce);

    record.setSpecularFilter(2);
    measure(1, 1, {lab, lab2});
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 1, 0), 1);
    EXPECT_EQ(written(), "SCI\t1.00\t22.50\t-3.25\r\n" + sce);
}

TEST_F(TextLayout, AChangeThatNoOutputShowedStillBringsTheHeader)
{
    measure(1, 0, {lab});
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 0, 0), 1);
    written();
    // Switches changed, then the measurement stopped before its output
    // (no destination, a cancelled dialog, a failed measurement).
    record.setNaming(2, "Lot", 1);
    record.setOutputFlags(1, 0, 0, 0, 0, 0);
    // The next one, with the same new switches, still starts a header.
    record.setNaming(3, "Lot", 1);
    record.writeToText(record.setOutputFlags(1, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(written(), labHeader + "測定No.\tL*\ta*\tb*\r\nNo.3\t1.00\t22.50\t-3.25\r\n");
}

TEST_F(TextLayout, LinesOfAnotherDataTypeAreWrittenAsWhatTheyAreUnderTheirOwnHeader)
{
    measure(1, 0, {lab});
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 0, 0), 1);
    written();

    // L*a*b* was asked for, the instrument sent spectral data.
    const auto values = spectralTexts(39);
    measure(1, 0, {dataLine(values)});
    ASSERT_EQ(record.dataType(), 0);
    record.setNaming(2, "Lot", 1);
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 0, 0), record.dataType());
    std::string titles, line;
    for (int k = 0; k < 39; ++k) {
        titles += (k ? "\t" : "") + std::to_string(360 + 10 * k);
        line += (k ? "\t" : "") + values[k];
    }
    EXPECT_EQ(written(), "Lot\r\n\r\n\t反射率\r\n" + titles + "\r\n" + line + "\r\n");

    // And back: the data type changed again, so does the header.
    measure(1, 0, {lab});
    record.setNaming(3, "Lot", 1);
    record.writeToText(record.setOutputFlags(0, 0, 0, 0, 0, 0), record.dataType());
    EXPECT_EQ(written(), labHeader + "L*\ta*\tb*\r\n1.00\t22.50\t-3.25\r\n");
}
