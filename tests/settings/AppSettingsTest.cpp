#include "settings/AppSettings.h"

#include "tests/support/TempDir.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <string>

namespace {

const std::string kDefaultFont = "/opt/pelmora/font/font.bmp";

const std::string kExampleFile = "[Window]\nTopMost=0\n"
                                 "[Font]\nFont=/opt/pelmora/font/font.bmp\n"
                                 "[Port]\nPortNumber=1\nBaudRate=6\n"
                                 "[LMeter]\nC1=0.100000\nC2=0.100000\n";

AppSettings Settings(int32_t topMost, std::string font, int32_t port, int32_t baud, double c1,
                     double c2)
{
    return AppSettings{topMost, std::move(font), port, baud, c1, c2};
}

AppSettings Defaults()
{
    return Settings(0, kDefaultFont, 1, 6, 0.1, 0.1);
}

void ExpectSame(const AppSettings& actual, const AppSettings& expected)
{
    EXPECT_EQ(actual.TopMost, expected.TopMost);
    EXPECT_EQ(actual.FontPath, expected.FontPath);
    EXPECT_EQ(actual.PortNumber, expected.PortNumber);
    EXPECT_EQ(actual.BaudIndex, expected.BaudIndex);
    EXPECT_EQ(actual.C1, expected.C1);
    EXPECT_EQ(actual.C2, expected.C2);
}

AppSettings LoadFrom(const std::string& path)
{
    AppSettings settings = Settings(-9, "unset", -9, -9, -9.0, -9.0);
    LoadSettings(settings, path, kDefaultFont);
    return settings;
}

struct LoadRow {
    const char* Name;
    std::string Content;
    AppSettings Expected;
};

class LoadSettingsTest : public testing::TestWithParam<LoadRow> {};

TEST_P(LoadSettingsTest, ReadsEveryField)
{
    TempDir folder;
    folder.Write("Pelmora.ini", GetParam().Content);
    ExpectSame(LoadFrom(folder.File("Pelmora.ini")), GetParam().Expected);
}

const std::string kLongFont = "/fonts/" + std::string(300, 'f') + ".bmp";

INSTANTIATE_TEST_SUITE_P(
    Table, LoadSettingsTest,
    testing::Values(
        LoadRow{"EmptyFile", "", Defaults()},
        LoadRow{"AllSet",
                "[Window]\nTopMost=1\n[Font]\nFont=/f.bmp\n[Port]\nPortNumber=3\nBaudRate=11\n"
                "[LMeter]\nC1=0.047\nC2=100\n",
                Settings(1, "/f.bmp", 3, 11, 0.047, 100.0)},
        LoadRow{"EmptyValuesGiveZero", "[Window]\nTopMost=\n[Port]\nPortNumber=\n[LMeter]\nC1=\n",
                Settings(0, kDefaultFont, 0, 6, 0.0, 0.1)},
        LoadRow{"EmptyFontStaysEmpty", "[Font]\nFont=\n", Settings(0, "", 1, 6, 0.1, 0.1)},
        LoadRow{"LongFontCut", "[Font]\nFont=" + kLongFont + "\n",
                Settings(0, kLongFont.substr(0, 255), 1, 6, 0.1, 0.1)},
        LoadRow{"RelativeFontUnchanged", "[Font]\nFont=font/big.bmp\n",
                Settings(0, "font/big.bmp", 1, 6, 0.1, 0.1)},
        LoadRow{"OutOfRangeTakenAsRead",
                "[Window]\nTopMost=7\n[Port]\nPortNumber=99\nBaudRate=-1\n[LMeter]\nC2=-0.5\n",
                Settings(7, kDefaultFont, 99, -1, 0.1, -0.5)},
        LoadRow{"CrLfAndComments", "; settings\r\n[Port]\r\n; COM3\r\nPortNumber = \"3\" \r\n",
                Settings(0, kDefaultFont, 3, 6, 0.1, 0.1)}), kRowName);

TEST(LoadSettingsFailureTest, UnusablePathsGiveDefaults)
{
    TempDir folder;
    folder.Write("file", "x");
    std::filesystem::create_directory(folder.File("dir.ini"));
    for (const std::string& path : {folder.File("none.ini"), folder.File("dir.ini"),
                                    folder.File("file/Pelmora.ini"), std::string()}) {
        SCOPED_TRACE(path);
        ExpectSame(LoadFrom(path), Defaults());
    }
}

// The reason the window gives after "The settings were not saved: <path>: ".
TEST(SaveSettingsFailureTest, ReasonNamesTheCause)
{
    TempDir folder;
    folder.Write("file", "x");
    std::filesystem::create_directory(folder.File("dir.ini"));
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{folder.File("dir.ini"), "the file cannot be replaced"},
                 {folder.File("file/Pelmora.ini"), "File exists"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string reason;
        EXPECT_FALSE(SaveSettings(AppSettings{}, c.path, &reason));
        EXPECT_EQ(reason, c.reason);
    }
}

struct SaveRow {
    const char* Name;
    std::string Before;
    AppSettings Settings;
    std::string After;
};

class SaveSettingsTest : public testing::TestWithParam<SaveRow> {};

TEST_P(SaveSettingsTest, WritesExactBytes)
{
    TempDir folder;
    if (GetParam().Before != "<none>")
        folder.Write("Pelmora.ini", GetParam().Before);
    SaveSettings(GetParam().Settings, folder.File("Pelmora.ini"));
    EXPECT_EQ(folder.Read("Pelmora.ini"), GetParam().After);
}

const std::string kCrLfFile = "; Pelmora settings\r\n\r\n[Window]\r\nTopMost=1\r\n\r\n"
                              "[Extra]\r\nKeep=this\r\n[Font]\r\nFont=/f.bmp\r\n"
                              "[Port]\r\n; the port\r\nPortNumber=4\r\nBaudRate=7\r\n\r\n"
                              "[LMeter]\r\nC1=0.047000\r\nC2=0.100000\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, SaveSettingsTest,
    testing::Values(
        SaveRow{"ExampleFromNoFile", "<none>", Defaults(), kExampleFile},
        SaveRow{"CrLfWithCommentsUnchanged", kCrLfFile, Settings(1, "/f.bmp", 4, 7, 0.047, 0.1),
                kCrLfFile},
        SaveRow{"OnlyValuesChange", "[Window]\nTopMost=1 ; on\n[Port]\nPortNumber=4\n",
                Settings(0, "/g.bmp", 5, 3, 0.001, 0.0000015),
                "[Window]\nTopMost=0\n[Port]\nPortNumber=5\nBaudRate=3\n[Font]\nFont=/g.bmp\n"
                "[LMeter]\nC1=0.001000\nC2=0.000002\n"},
        SaveRow{"TinyCapacitanceWrittenAsZero", "[LMeter]\nC1=1\nC2=1\n",
                Settings(0, "/f", 1, 6, 0.0000004, -0.0000004),
                "[LMeter]\nC1=0.000000\nC2=-0.000000\n[Window]\nTopMost=0\n[Font]\nFont=/f\n"
                "[Port]\nPortNumber=1\nBaudRate=6\n"},
        SaveRow{"HugeCapacitanceKeptExact", "<none>", Settings(0, "/f", 1, 6, 1e31, -1e24),
                "[Window]\nTopMost=0\n[Font]\nFont=/f\n[Port]\nPortNumber=1\nBaudRate=6\n"
                "[LMeter]\nC1=1e+31\nC2=-1e+24\n"},
        SaveRow{"NotFiniteCapacitance", "<none>", Settings(0, "/f", 1, 6, NAN, -INFINITY),
                "[Window]\nTopMost=0\n[Font]\nFont=/f\n[Port]\nPortNumber=1\nBaudRate=6\n"
                "[LMeter]\nC1=nan\nC2=-inf\n"}), kRowName);

struct RoundTripRow {
    const char* Name;
    AppSettings Saved;
    AppSettings Loaded;
};

class SettingsRoundTripTest : public testing::TestWithParam<RoundTripRow> {};

TEST_P(SettingsRoundTripTest, RestartReadsWhatExitWrote)
{
    TempDir folder;
    SaveSettings(GetParam().Saved, folder.File("Pelmora.ini"));
    ExpectSame(LoadFrom(folder.File("Pelmora.ini")), GetParam().Loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsRoundTripTest,
    testing::Values(
        RoundTripRow{"Ordinary", Settings(1, "/x/フォント.bmp", 20, 11, 100.0, 0.000001),
                     Settings(1, "/x/フォント.bmp", 20, 11, 100.0, 0.000001)},
        RoundTripRow{"SixDecimals", Settings(0, "/f", 1, 6, 0.0000015, 0.0000004),
                     Settings(0, "/f", 1, 6, 0.000002, 0.0)},
        RoundTripRow{"Extremes", Settings(INT32_MIN, "/f", INT32_MAX, -1, DBL_MAX, -1e31),
                     Settings(INT32_MIN, "/f", INT32_MAX, -1, DBL_MAX, -1e31)},
        RoundTripRow{"FontBlanksSurvive", Settings(0, " /f.bmp ", 1, 6, 0.1, 0.1),
                     Settings(0, " /f.bmp ", 1, 6, 0.1, 0.1)},
        RoundTripRow{"LongFontComesBackCut", Settings(0, kLongFont, 1, 6, 0.1, 0.1),
                     Settings(0, kLongFont.substr(0, 255), 1, 6, 0.1, 0.1)}), kRowName);

TEST(SaveSettingsTest, LineAddedWhileRunningSurvives)
{
    TempDir folder;
    folder.Write("Pelmora.ini", kExampleFile);
    AppSettings settings = LoadFrom(folder.File("Pelmora.ini"));
    folder.Write("Pelmora.ini", kExampleFile + "[Notes]\nadded=while running\n");
    settings.TopMost = 1;
    SaveSettings(settings, folder.File("Pelmora.ini"));
    std::string expected = kExampleFile + "[Notes]\nadded=while running\n";
    expected.replace(expected.find("TopMost=0"), 9, "TopMost=1");
    EXPECT_EQ(folder.Read("Pelmora.ini"), expected);
}

} // namespace
