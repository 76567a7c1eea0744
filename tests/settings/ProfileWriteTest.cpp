#include "settings/Profile.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct WriteRow {
    const char* Name;
    std::string Content;
    std::vector<ProfileWrite> Writes;
    std::string Expected;
};

class ProfileWriteTest : public testing::TestWithParam<WriteRow> {};

TEST_P(ProfileWriteTest, ChangesOnlyItsOwnLines)
{
    EXPECT_EQ(ApplyProfileWrites(GetParam().Content, GetParam().Writes), GetParam().Expected);
}

const ProfileWrite kTopMost0{"Window", "TopMost", "0"};
const ProfileWrite kBaud6{"Port", "BaudRate", "6"};

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileWriteTest,
    testing::Values(
        WriteRow{"NewFile", "", {kTopMost0}, "[Window]\nTopMost=0\n"},
        WriteRow{"ReplaceKeepsEverythingElse",
                 "; Pelmora\n\n[Window]\nTopMost=1\nOther=x\n\n[Extra]\nk=v\n",
                 {kTopMost0},
                 "; Pelmora\n\n[Window]\nTopMost=0\nOther=x\n\n[Extra]\nk=v\n"},
        WriteRow{"ReplaceKeepsSpellingAndBlanks", "[window]\n  TOPMOST = 1  \n", {kTopMost0},
                 "[window]\n  TOPMOST = 0\n"},
        WriteRow{"ReplaceQuotedValue", "[LMeter]\nC1=\"0.1\"\n", {{"LMeter", "C1", "0.100000"}},
                 "[LMeter]\nC1=0.100000\n"},
        WriteRow{"ReplaceEmptyValue", "[Window]\nTopMost=\n", {kTopMost0}, "[Window]\nTopMost=0\n"},
        WriteRow{"WriteEmptyValue", "[Window]\nTopMost=1\n", {{"Window", "TopMost", ""}},
                 "[Window]\nTopMost=\n"},
        WriteRow{"NewKeyBeforeBlankLines", "[Port]\nPortNumber=1\n\n\n[LMeter]\n", {kBaud6},
                 "[Port]\nPortNumber=1\nBaudRate=6\n\n\n[LMeter]\n"},
        WriteRow{"NewKeyAfterComment", "[Port]\n; speeds\n[LMeter]\n", {kBaud6},
                 "[Port]\n; speeds\nBaudRate=6\n[LMeter]\n"},
        WriteRow{"NewKeyRightAfterHeader", "[Port]\n[LMeter]\n", {kBaud6},
                 "[Port]\nBaudRate=6\n[LMeter]\n"},
        WriteRow{"NewKeyInLastSectionWithoutLineEnd", "[Port]\nPortNumber=1", {kBaud6},
                 "[Port]\nPortNumber=1\nBaudRate=6\n"},
        WriteRow{"NewSectionAfterMissingLineEnd", "[Other]\nk=v", {kTopMost0},
                 "[Other]\nk=v\n[Window]\nTopMost=0\n"},
        WriteRow{"NewSectionAfterTrailingBlankLine", "[Other]\nk=v\n\n", {kTopMost0},
                 "[Other]\nk=v\n\n[Window]\nTopMost=0\n"},
        WriteRow{"CrLfKeptAndUsedForNewLines", "[Window]\r\nTopMost=1\r\n",
                 {kTopMost0, {"Port", "PortNumber", "2"}, kBaud6},
                 "[Window]\r\nTopMost=0\r\n[Port]\r\nPortNumber=2\r\nBaudRate=6\r\n"},
        WriteRow{"FirstDuplicateKeyReplaced", "[Window]\nTopMost=1\nTopMost=2\n", {kTopMost0},
                 "[Window]\nTopMost=0\nTopMost=2\n"},
        WriteRow{"NewKeyGoesToFirstDuplicateSection", "[Port]\nx=1\n[Port]\ny=2\n", {kBaud6},
                 "[Port]\nx=1\nBaudRate=6\n[Port]\ny=2\n"},
        WriteRow{"UnclosedBracketLineStaysInSection", "[Port]\n[Speed\n[LMeter]\n", {kBaud6},
                 "[Port]\n[Speed\nBaudRate=6\n[LMeter]\n"},
        WriteRow{"KeyBeforeAnySectionUntouched", "TopMost=1\n", {kTopMost0},
                 "TopMost=1\n[Window]\nTopMost=0\n"},
        WriteRow{"LineBreakInValueCannotAddLines", "",
                 {{"Font", "Font", "a.bmp\n[Window]\nTopMost=1"}}, "[Font]\nFont=a.bmp\n"},
        WriteRow{"CarriageReturnInValueCut", "", {{"Font", "Font", "a\rb"}}, "[Font]\nFont=a\n"},
        WriteRow{"ZeroByteInValueCut", "", {{"Font", "Font", std::string("a\0b", 3)}},
                 "[Font]\nFont=a\n"},
        WriteRow{"BlanksAtEndsQuoted", "", {{"Font", "Font", " a b "}}, "[Font]\nFont=\" a b \"\n"},
        WriteRow{"EnclosingQuotesQuoted", "", {{"Font", "Font", "'a'"}}, "[Font]\nFont=\"'a'\"\n"},
        WriteRow{"InnerQuotesNotQuoted", "", {{"Font", "Font", "a\"b"}}, "[Font]\nFont=a\"b\n"},
        WriteRow{"ByteOrderMarkKept", "\xEF\xBB\xBF[Window]\nTopMost=1\n", {kTopMost0},
                 "\xEF\xBB\xBF[Window]\nTopMost=0\n"},
        WriteRow{"ByteOrderMarkOnly", "\xEF\xBB\xBF", {kTopMost0},
                 "\xEF\xBB\xBF[Window]\nTopMost=0\n"},
        WriteRow{"NotUtf8BytesKept", "[X]\nk=\xFF\xFE\n[Window]\nTopMost=1\n", {kTopMost0},
                 "[X]\nk=\xFF\xFE\n[Window]\nTopMost=0\n"}), kRowName);

// Whatever a write puts into the file, a read gives back (up to a line break).
TEST(ProfileRoundTripTest, ReadGivesBackWhatWasWritten)
{
    const std::vector<std::string> values = {"", "0.100000", " a ", "\"a\"", "'", "\"",
                                             "a=b", "\xFF", "''", "\t", "[Font]", "x'",
                                             "/home/u/font/フォント.bmp"};
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        const std::string content =
            ApplyProfileWrites("[Font]\nFont=old\n", {{"Font", "Font", value}});
        EXPECT_EQ(GetProfileStringFromText(content, "Font", "Font", "DEFAULT", 256), value);
    }
}

} // namespace
