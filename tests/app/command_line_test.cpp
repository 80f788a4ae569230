// The command line: --help and --version answer and end, anything else is
// refused the way wx's parser refuses it, and no options start the program.

#include "CommandLine.h"
#include "SettingsPath.h"

#include "termin/PortLink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace tonvale;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

struct Parsed {
    CommandLineOutcome outcome;
    std::string out;
    std::string err;
};

Parsed parse(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const CommandLineOutcome outcome = handleCommandLine(int(words.size()), argv.data(), out, err);
    return {outcome, out.str(), err.str()};
}

} // namespace

TEST(CommandLine, WithoutOptionsTheProgramStarts)
{
    const Parsed r = parse({"tonvale"});
    EXPECT_TRUE(r.outcome.run);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(CommandLine, VersionAnswersAndEnds)
{
    for (const char* option : {"--version", "-V"}) {
        const Parsed r = parse({"tonvale", option});
        EXPECT_FALSE(r.outcome.run) << option;
        EXPECT_EQ(r.outcome.exitStatus, 0) << option;
        EXPECT_THAT(r.out, StartsWith("tonvale ")) << option;
        const std::string number = r.out.substr(8);
        EXPECT_TRUE(number.size() > 2 && number.back() == '\n' &&
                    number.find_first_not_of("0123456789.") == number.size() - 1 &&
                    number.find('.') != std::string::npos)
            << option << ": " << r.out;
        EXPECT_EQ(r.err, "") << option;
    }
}

TEST(CommandLine, HelpNamesTheSettingsFileAndThePortLinks)
{
    for (const char* option : {"--help", "-h"}) {
        const Parsed r = parse({"tonvale", option});
        EXPECT_FALSE(r.outcome.run) << option;
        EXPECT_EQ(r.outcome.exitStatus, 0) << option;
#ifdef _WIN32
        EXPECT_THAT(r.out, HasSubstr("Usage: tonvale [/h] [/V]"));
#else
        EXPECT_THAT(r.out, HasSubstr("Usage: tonvale [-h] [-V]"));
#endif
        EXPECT_THAT(r.out, HasSubstr("--version"));
        EXPECT_THAT(r.out, HasSubstr("\nSettings: " + locateSettings() + "\n"));
        EXPECT_THAT(r.out, HasSubstr(termin::portNamingRule()));
#ifndef _WIN32
        EXPECT_THAT(r.out, HasSubstr(termin::portLinkPath("COMn")));
        EXPECT_THAT(r.out, HasSubstr("/dev/ttyS0"));
        EXPECT_THAT(r.out, HasSubstr("dialout"));
#endif
        EXPECT_EQ(r.err, "") << option;
    }
}

TEST(CommandLine, AnythingElseIsRefusedWithTheParsersMessageAndTheUsage)
{
    const struct {
        std::vector<std::string> words;
        std::string message;
    } cases[] = {
        {{"tonvale", "--no-such-option"}, "Unknown long option 'no-such-option'"},
        {{"tonvale", "-x"}, "Unknown option 'x'"},
        {{"tonvale", "results.csv"}, "Unexpected parameter 'results.csv'"},
        {{"tonvale", "--version", "COM1"}, "Unexpected parameter 'COM1'"},
    };
    for (const auto& c : cases) {
        const Parsed r = parse(c.words);
        EXPECT_FALSE(r.outcome.run) << c.message;
        EXPECT_EQ(r.outcome.exitStatus, usageExitStatus) << c.message;
        EXPECT_THAT(r.err, HasSubstr(c.message));
        EXPECT_THAT(r.err, HasSubstr("Usage: tonvale"));
        EXPECT_EQ(r.out, "") << c.message;
    }
}
