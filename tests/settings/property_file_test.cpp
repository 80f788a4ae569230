#include "GuiTest.h"
#include "FileSizeLimit.h"
#include "TempDir.h"

#include "AtomicFile.h"
#include "PropertyFile.h"

#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <stdexcept>

using tonvale::PropertyFile;

namespace {

std::optional<std::string> lookup(const PropertyFile& store, const std::string& key)
{
    try {
        return store.getString(key);
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid Property Key");
        return std::nullopt;
    }
}

// Loads bytes as a settings file into a fresh store; no message may appear.
PropertyFile loaded(const TempDir& dir, const std::string& bytes)
{
    dir.write("in.ini", bytes);
    PropertyFile store;
    bool ok = false;
    EXPECT_NO_DIALOG(ok = store.load(dir.path("in.ini")));
    EXPECT_TRUE(ok);
    return store;
}

std::string saved(const TempDir& dir, const PropertyFile& store)
{
    EXPECT_NO_DIALOG(store.save(dir.path("out.ini")));
    return dir.read("out.ini");
}

} // namespace

TEST(PropertyFile, EdgeCaseFileKeepsOnlyValidLinesAndSavesThemInOrder)
{
    TempDir dir;
    const auto store = loaded(dir, "B=2\r\nA = 1 \r\n# C=3\r\nD\r\n=5\r\nE=\r\nA=7\r\n");
    EXPECT_EQ(lookup(store, "A"), "7");
    EXPECT_EQ(lookup(store, "B"), "2");
    for (const char* absent : {"C", "# C", "D", "E", ""})
        EXPECT_EQ(lookup(store, absent), std::nullopt) << absent;
    EXPECT_EQ(saved(dir, store), "A=7\r\nB=2\r\n");
}

TEST(PropertyFile, LineRules)
{
    struct Case {
        const char* line;
        const char* key;    // null: the line adds nothing
        const char* value;
    };
    const Case cases[] = {
        {"  # C=3", "# C", "3"},           // "#" makes a comment only in column 1
        {"#A=1", nullptr, nullptr},
        {"Key=a=b", "Key", "a=b"},        // split at the first "="
        {"\t K \t=\f v w \v", "K", "v w"}, // blanks trimmed, inner ones kept
        {"K=v\r", "K", "v"},              // a lone CR is white space
        {"=5", nullptr, nullptr},
        {"   =  x", nullptr, nullptr},
        {"E=", nullptr, nullptr},
        {"E=   ", nullptr, nullptr},
        {"D", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"Name=\x82\xa0\x83\x65", "Name", "\x82\xa0\x83\x65"}, // bytes kept as they are
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir dir;
        const auto store = loaded(dir, std::string(c.line) + "\r\n");
        if (c.key != nullptr) {
            EXPECT_EQ(lookup(store, c.key), c.value);
            EXPECT_EQ(saved(dir, store), std::string(c.key) + "=" + c.value + "\r\n");
        } else {
            EXPECT_EQ(saved(dir, store), "");
        }
    }
}

TEST(PropertyFile, ReadsLfLinesAndALastLineWithoutEnd)
{
    TempDir dir;
    const auto store = loaded(dir, "X=1\nY=2\r\nZ=3");
    EXPECT_EQ(lookup(store, "X"), "1");
    EXPECT_EQ(lookup(store, "Y"), "2");
    EXPECT_EQ(lookup(store, "Z"), "3");
}

TEST(PropertyFile, LoadMergesIntoTheStore)
{
    TempDir dir;
    dir.write("in.ini", "A=new\r\n");
    PropertyFile store;
    store.setString("A", "old");
    store.setString("Keep", "k");
    bool ok = false;
    EXPECT_NO_DIALOG(ok = store.load(dir.path("in.ini")));
    EXPECT_TRUE(ok);
    EXPECT_EQ(lookup(store, "A"), "new");
    EXPECT_EQ(lookup(store, "Keep"), "k");
}

TEST(PropertyFile, MissingFileLoadsNothingAndSaysNothing)
{
    TempDir dir;
    dir.write("file", "");
    for (const auto& path : {dir.path("absent.ini"), dir.path("file/under-a-file.ini")}) {
        PropertyFile store;
        store.setString("Earlier", "1");
        bool ok = true;
        EXPECT_NO_DIALOG(ok = store.load(path));
        EXPECT_FALSE(ok) << path;
        EXPECT_EQ(lookup(store, "Earlier"), "1");
    }
}

TEST(PropertyFile, UnreadableFileIsReportedAndLoadFails)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path("Tonvale.INI"));
    PropertyFile store;
    bool ok = true;
    wxTEST_DIALOG(ok = store.load(dir.path("Tonvale.INI")),
                  ExpectMessage("ファイル " + dir.path("Tonvale.INI") + " を読み込むことができませんでした。\n" +
                                std::strerror(EISDIR)));
    EXPECT_FALSE(ok);
}

TEST(PropertyFile, ValuesRoundTripThroughTheFile)
{
    TempDir dir;
    PropertyFile store;
    store.setString("Empty", "");
    store.setString("Padded", "  v  ");
    store.setString("a=b", "c");
    store.setString("Plain", "x y");
    const std::string file = saved(dir, store);
    EXPECT_EQ(file, "Empty=\r\nPadded=  v  \r\nPlain=x y\r\na=b=c\r\n");

    const auto reloaded = loaded(dir, file);
    EXPECT_EQ(lookup(reloaded, "Empty"), std::nullopt);  // an empty value is skipped
    EXPECT_EQ(lookup(reloaded, "Padded"), "v");
    EXPECT_EQ(lookup(reloaded, "Plain"), "x y");
    EXPECT_EQ(lookup(reloaded, "a=b"), std::nullopt);    // split at its first "="
    EXPECT_EQ(lookup(reloaded, "a"), "b=c");
}

TEST(PropertyFile, KeysAreUniqueAndOrderedByUnsignedBytes)
{
    TempDir dir;
    PropertyFile store;
    for (const char* key : {"name", "\xc3\xa9", "Name", "Chk_DateTime", "z", "Chk_Comment", "Name"})
        store.setString(key, "1");
    store.setString("Chk_Comment", "2");
    EXPECT_EQ(saved(dir, store),
              "Chk_Comment=2\r\nChk_DateTime=1\r\nName=1\r\nname=1\r\nz=1\r\n\xc3\xa9=1\r\n");
}

TEST(PropertyFile, Integers)
{
    PropertyFile store;
    store.setInt("N", -12);
    EXPECT_EQ(store.getString("N"), "-12");
    EXPECT_EQ(store.getInt("N"), -12);
    store.setInt("Min", INT32_MIN);
    EXPECT_EQ(store.getString("Min"), "-2147483648");

    const std::pair<const char*, int> conversions[] = {
        {"12abc", 12}, {"abc", 0}, {"", 0}, {" \t\n+7x", 7}, {"-0", 0}, {"+", 0}, {"- 5", 0},
        {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX}, {"99999999999999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
    };
    for (const auto& [text, number] : conversions) {
        store.setString("V", text);
        EXPECT_EQ(store.getInt("V"), number) << '"' << text << '"';
    }
    EXPECT_THROW(store.getInt("Missing"), std::invalid_argument);
}

TEST(PropertyFile, SaveReplacesTheWholeFile)
{
    TempDir dir;
    dir.write("out.ini", "# a comment\r\nOld=1\r\nlong garbage line\r\n");
    PropertyFile store;
    store.setString("New", "2");
    EXPECT_EQ(saved(dir, store), "New=2\r\n");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(PropertyFile, SaveThatFailsHalfWayLeavesTheOldFileIntact)
{
    TempDir dir;
    const std::string old = "Mes_Num=5\r\n";
    dir.write("Tonvale.INI", old);
    PropertyFile store;
    store.setString("Long", std::string(10000, 'x'));
    {
        FileSizeLimit limit(4096);
        wxTEST_DIALOG(store.save(dir.path("Tonvale.INI")),
                      ExpectMessage("ファイル " + dir.path("Tonvale.INI") + " に書き込むことができませんでした。\n" +
                                    std::strerror(EFBIG)));
    }
    EXPECT_EQ(dir.read("Tonvale.INI"), old);
    EXPECT_EQ(dir.entryCount(), 1u) << "the temporary file must be gone";
}

TEST(PropertyFile, SaveIntoAVanishedDirectoryIsReported)
{
    TempDir dir;
    dir.write("settings", "a file where the directory was");
    PropertyFile store;
    store.setString("A", "1");
    wxTEST_DIALOG(store.save(dir.path("settings/Tonvale.INI")),
                  ExpectMessage("ファイル " + dir.path("settings/Tonvale.INI") +
                                " に書き込むことができませんでした。\n" + std::strerror(ENOTDIR)));
    EXPECT_EQ(dir.read("settings"), "a file where the directory was");
}
