#include "GuiTest.h"
#include "TempDir.h"

#include "Settings.h"
#include "SettingsPath.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace tonvale;

TEST(Settings, FirstRunDefaultsAreExactlyTheseEntries)
{
    TempDir dir;
    PropertyFile store;
    storeFirstRunDefaults(store);
    EXPECT_NO_DIALOG(store.save(dir.path("Tonvale.INI")));
    EXPECT_EQ(dir.read("Tonvale.INI"),
              "Chk_AutoNaming=0\r\nChk_Comment=0\r\nChk_DateTime=1\r\nChk_Gloss=0\r\nChk_Mask=0\r\n"
              "Chk_Name=1\r\nChk_Number=0\r\nChk_Remote=0\r\nData_Type=1\r\nIlluminant=0\r\n"
              "Mes_Num=1\r\nName_Default=Sample\r\nObserver=0\r\n");
}

TEST(Settings, AReaderStoresItsFallbackOnlyWhenTheKeyIsMissing)
{
    PropertyFile store;
    store.setString(key::nameDefault, "Lot");
    store.setString(key::chkMask, "0");
    EXPECT_EQ(readString(store, key::nameDefault, fallback::nameDefault), "Lot");
    EXPECT_EQ(readInt(store, key::chkMask, 1), 0);

    EXPECT_EQ(readString(store, key::portName, "COM1"), "COM1");
    EXPECT_EQ(store.getString(key::portName), "COM1");
    EXPECT_EQ(readInt(store, key::gloss, fallback::glossInMeasure), 0);
    EXPECT_EQ(store.getString(key::gloss), "0");
}

TEST(Settings, AMissingSwitchIsOnForTheMeasurementAndOffForTheOutputDialog)
{
    // Whoever reads a missing "Chk_Mask" first decides what is stored.
    const std::size_t mask = 3;
    ASSERT_STREQ(outputSwitchKeys[mask], "Chk_Mask");
    PropertyFile measuredFirst;
    EXPECT_EQ(readInt(measuredFirst, key::chkMask, fallback::switchesInMeasure[mask]), 1);
    EXPECT_EQ(readInt(measuredFirst, key::chkMask, fallback::switchesInOutputInfo[mask]), 1);
    PropertyFile dialogFirst;
    EXPECT_EQ(readInt(dialogFirst, key::chkMask, fallback::switchesInOutputInfo[mask]), 0);
    EXPECT_EQ(readInt(dialogFirst, key::chkMask, fallback::switchesInMeasure[mask]), 0);
}

#ifndef _WIN32
// Linux; the Windows rule is tested in settings_path_win32_test.cpp.
TEST(SettingsPath, Rule)
{
    struct Case {
        const char* executable;
        bool portable;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/tv/bin/tonvale", true, "/x", "/home/u", "/opt/tv/bin/Tonvale.INI"},
        {"/opt/tv/bin/tonvale", false, nullptr, "/home/u", "/home/u/.config/tonvale/Tonvale.INI"},
        {"/opt/tv/bin/tonvale", false, "/x/conf", "/home/u", "/x/conf/tonvale/Tonvale.INI"},
        {"/opt/tv/bin/tonvale", false, "relative", "/home/u", "/home/u/.config/tonvale/Tonvale.INI"},
        {"/opt/tv/bin/tonvale", false, "", "/home/u", "/home/u/.config/tonvale/Tonvale.INI"},
        // The executable itself is never the settings file.
        {"/opt/tv/bin/Tonvale.INI", true, nullptr, "/home/u", "/home/u/.config/tonvale/Tonvale.INI"},
        {"", true, "/x", "/home/u", "/x/tonvale/Tonvale.INI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingsPathFor(c.executable, c.portable, c.xdg, c.home), c.expected)
            << c.executable << " portable " << c.portable << " xdg " << (c.xdg ? c.xdg : "(unset)");
}

TEST(SettingsPath, AnInstalledProgramNeverKeepsItsSettingsBesideItself)
{
    struct Case {
        const char* directory;
        bool writable;
        const char* installDirectory;
        bool portable;
    };
    const Case cases[] = {
        {"/home/u/tonvale", true, "/usr/local/bin", true},
        {"/home/u/tonvale", false, "/usr/local/bin", false},
        // Root may write to the system's program directories.
        {"/usr/bin", true, "/usr/bin", false},
        {"/usr/local/bin", true, "/opt/tv/bin", false},
        {"/usr", true, "", false},
        {"/usrdata/tv", true, "/usr/bin", true},
        // Where this build installs itself, written however it is spelled.
        {"/opt/tv/bin", true, "/opt/tv/bin", false},
        {"/opt/tv/bin/", true, "/opt/tv/./bin", false},
        {"/opt/tv/bin2", true, "/opt/tv/bin", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portableDirectory(c.directory, c.writable, c.installDirectory), c.portable)
            << c.directory << " writable " << c.writable << " install " << c.installDirectory;
}

TEST(SettingsPath, TheBuildTreeIsAPortableLayout)
{
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    EXPECT_EQ(settingsPath(), (std::filesystem::path(exe).parent_path() / "Tonvale.INI").string());
}
#endif
