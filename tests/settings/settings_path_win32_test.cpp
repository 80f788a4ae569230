// Where the settings live on Windows, and the code page the program's files
// are kept in there (the tests run as on a Japanese Windows: code page 932).

#include "TempDir.h"

#include "PlatformFiles.h"
#include "PropertyFile.h"
#include "SettingsPath.h"
#include "TextFile.h"

#include <gtest/gtest.h>
#include <wx/string.h>

#include <windows.h>

using namespace tonvale;

TEST(SettingsPath, BesideAPortableProgramElseInTheApplicationData)
{
    struct Case {
        const char* executable;
        bool portable;
        const char* expected;
    };
    const char* appData = "C:\\users\\u\\AppData\\Roaming";
    const Case cases[] = {
        {"C:\\Tonvale\\tonvale.exe", true, "C:\\Tonvale\\Tonvale.INI"},
        {"C:\\Program Files\\Tonvale\\tonvale.exe", false,
         "C:\\users\\u\\AppData\\Roaming\\Tonvale\\Tonvale.INI"},
        {"C:\\測定\\ソフト\\tonvale.exe", true, "C:\\測定\\ソフト\\Tonvale.INI"},
        // The executable itself is never the settings file.
        {"C:\\Tonvale\\Tonvale.INI", true, "C:\\users\\u\\AppData\\Roaming\\Tonvale\\Tonvale.INI"},
        {"", true, "C:\\users\\u\\AppData\\Roaming\\Tonvale\\Tonvale.INI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingsPathFor(c.executable, c.portable, appData), c.expected)
            << c.executable << " portable " << c.portable;
}

// An installed program keeps one settings file however it is started: an
// administrator (and anyone under Wine) may write to Program Files.
TEST(SettingsPath, AnInstalledProgramIsNeverPortable)
{
    const std::vector<std::string> programFiles = {"C:\\Program Files", "C:\\Program Files (x86)\\"};
    struct Case {
        const char* folder;
        bool writable;
        bool marked;
        bool portable;
    };
    const Case cases[] = {
        {"C:\\Tonvale", true, false, true},
        {"D:\\測定\\ソフト", true, false, true},
        {"C:\\Tonvale", false, false, false},
        {"C:\\Program Files\\Tonvale", true, false, false},
        {"c:\\program files\\tonvale", true, false, false},
        {"C:/Program Files/Tonvale/", true, false, false},
        {"C:\\Program Files (x86)\\Tonvale", true, false, false},
        {"C:\\Program Files\\Tonvale\\..\\..\\Tonvale", true, false, true},
        // Only a folder below it, not one whose name begins the same.
        {"C:\\Program Files Tonvale", true, false, true},
        // Installed elsewhere: the installer's mark.
        {"D:\\Apps\\Tonvale", true, true, false},
        {"", true, false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portableFolder(c.folder, c.writable, c.marked, programFiles), c.portable)
            << c.folder << " writable " << c.writable << " marked " << c.marked;
}

TEST(SettingsPath, TheBuildTreeIsAPortableLayout)
{
    wchar_t exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring expected(exe);
    expected.erase(expected.find_last_of(L'\\') + 1);
    expected += L"Tonvale.INI";
    EXPECT_EQ(wxString::FromUTF8(settingsPath()).ToStdWstring(), expected);
}

TEST(FileText, IsTheAnsiCodePageOnDisk)
{
    ASSERT_EQ(GetACP(), 932u) << "scripts/wine-run runs the tests as on a Japanese Windows";
    const std::string utf8 = "試料,Ａ";
    const std::string cp932 = "\x8E\x8E\x97\xBF,\x82\x60";
    EXPECT_EQ(toFileText(utf8), cp932);
    EXPECT_EQ(fromFileText(cp932), utf8);
    // A character the code page lacks becomes its nearest one, as Windows
    // converts.
    EXPECT_EQ(toFileText("é"), "e");

    TempDir dir;
    PropertyFile store;
    store.setString("Name_Default", "試料");
    store.save(dir.path("Tonvale.INI"));
    EXPECT_EQ(dir.read("Tonvale.INI"), "Name_Default=\x8E\x8E\x97\xBF\r\n");
    PropertyFile loaded;
    ASSERT_TRUE(loaded.load(dir.path("Tonvale.INI")));
    EXPECT_EQ(loaded.getString("Name_Default"), "試料");

    EXPECT_EQ(textFileBytes("測定値名\tL*\r\n", "C:\\x\\a.csv"), "\x91\xAA\x92\xE8\x92\x6C\x96\xBC,L*\r\n");
}
