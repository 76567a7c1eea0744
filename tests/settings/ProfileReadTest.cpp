#include "settings/Profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ReadRow {
    const char* Name;
    std::string Content;
    std::string_view Section;
    std::string_view Key;
    std::size_t BufferSize;
    std::string Expected;
};

const std::string kLong300(300, 'p');

class ProfileReadTest : public testing::TestWithParam<ReadRow> {};

TEST_P(ProfileReadTest, FindsValue)
{
    const ReadRow& row = GetParam();
    EXPECT_EQ(GetProfileStringFromText(row.Content, row.Section, row.Key, "DEFAULT", row.BufferSize),
              row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileReadTest,
    testing::Values(
        ReadRow{"EmptyFile", "", "Window", "TopMost", 32, "DEFAULT"},
        ReadRow{"MissingSection", "[Other]\nTopMost=1\n", "Window", "TopMost", 32, "DEFAULT"},
        ReadRow{"MissingKey", "[Window]\nOther=1\n", "Window", "TopMost", 32, "DEFAULT"},
        ReadRow{"Plain", "[Window]\nTopMost=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"NoFinalLineEnd", "[Window]\nTopMost=1", "Window", "TopMost", 32, "1"},
        ReadRow{"EmptyValueStaysEmpty", "[Window]\nTopMost=\n", "Window", "TopMost", 32, ""},
        ReadRow{"BlankValueStaysEmpty", "[Window]\nTopMost= \t \n", "Window", "TopMost", 32, ""},
        ReadRow{"LowerCaseSection", "[window]\nTopMost=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"UpperCaseKey", "[Window]\nTOPMOST=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"CaseOfRequest", "[Window]\nTopMost=1\n", "WINDOW", "topmost", 32, "1"},
        ReadRow{"BlanksAroundValue", "[Window]\nTopMost=  1 \t\n", "Window", "TopMost", 32, "1"},
        ReadRow{"BlanksAroundKey", "[Window]\n  TopMost\t = 1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"BlanksInBrackets", "  [ Window ]  \nTopMost=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"TextAfterBracket", "[Window] ; main\nTopMost=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"DoubleQuotes", "[Font]\nFont=\"/a b/c.bmp\"\n", "Font", "Font", 256, "/a b/c.bmp"},
        ReadRow{"SingleQuotes", "[Font]\nFont='x'\n", "Font", "Font", 256, "x"},
        ReadRow{"BlanksInsideQuotes", "[Font]\nFont=\" x \"\n", "Font", "Font", 256, " x "},
        ReadRow{"OnlyOnePairRemoved", "[Font]\nFont=\"\"x\"\"\n", "Font", "Font", 256, "\"x\""},
        ReadRow{"MismatchedQuotes", "[Font]\nFont=\"x'\n", "Font", "Font", 256, "\"x'"},
        ReadRow{"LoneQuote", "[Font]\nFont=\"\n", "Font", "Font", 256, "\""},
        ReadRow{"EmptyQuotes", "[Font]\nFont=''\n", "Font", "Font", 256, ""},
        ReadRow{"QuoteInside", "[Font]\nFont=a\"b\n", "Font", "Font", 256, "a\"b"},
        ReadRow{"CutTo31", "[LMeter]\nC1=12345678901234567890123456789012345\n", "LMeter", "C1",
                32, "1234567890123456789012345678901"},
        ReadRow{"CutAfterQuotesGo", "[LMeter]\nC1=\"1234567890123456789012345678901\"\n", "LMeter",
                "C1", 32, "1234567890123456789012345678901"},
        ReadRow{"FontCutTo255", "[Font]\nFont=" + kLong300 + "\n", "Font", "Font", 256,
                std::string(255, 'p')},
        ReadRow{"ZeroBuffer", "[Window]\nTopMost=1\n", "Window", "TopMost", 0, ""},
        ReadRow{"LineWithoutEquals", "[Window]\nTopMost\n", "Window", "TopMost", 32, "DEFAULT"},
        ReadRow{"BracketLineWithoutClose", "[Window]\n[Port\nTopMost=1\n", "Window", "TopMost", 32,
                "1"},
        ReadRow{"UnclosedHeaderIsNoSection", "[Window\nTopMost=1\n", "Window", "TopMost", 32,
                "DEFAULT"},
        ReadRow{"FirstDuplicateKeyWins", "[Window]\nTopMost=1\nTopMost=2\n", "Window", "TopMost",
                32, "1"},
        ReadRow{"FirstDuplicateSectionWins", "[Window]\nTopMost=1\n[Window]\nTopMost=2\n", "Window",
                "TopMost", 32, "1"},
        ReadRow{"OnlyFirstSectionSearched", "[Window]\n[Window]\nTopMost=1\n", "Window", "TopMost",
                32, "DEFAULT"},
        ReadRow{"KeyBeforeAnySection", "TopMost=1\n[Window]\n", "Window", "TopMost", 32, "DEFAULT"},
        ReadRow{"KeyOfNextSection", "[Window]\n[Port]\nTopMost=1\n", "Window", "TopMost", 32,
                "DEFAULT"},
        ReadRow{"CrLf", "[Window]\r\nTopMost=1\r\n", "Window", "TopMost", 32, "1"},
        ReadRow{"CrLfEmptyValue", "[Window]\r\nTopMost=\r\n", "Window", "TopMost", 32, ""},
        ReadRow{"CommentedKeyIsOtherKey", "[Window]\n;TopMost=1\n", "Window", "TopMost", 32,
                "DEFAULT"},
        ReadRow{"EqualsInValue", "[Font]\nFont=a=b\n", "Font", "Font", 256, "a=b"},
        ReadRow{"ByteOrderMark", "\xEF\xBB\xBF[Window]\nTopMost=1\n", "Window", "TopMost", 32, "1"},
        ReadRow{"NotUtf8Kept", "[Font]\nFont=\xFF\xFE.bmp\n", "Font", "Font", 256, "\xFF\xFE.bmp"},
        ReadRow{"Utf8Kept", "[Font]\nFont=/フォント/a.bmp\n", "Font", "Font", 256, "/フォント/a.bmp"},
        ReadRow{"ZeroByteEndsValue", std::string("[Font]\nFont=a\0b\n", 15), "Font", "Font", 256,
                "a"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ProfileReadDefaultTest, DefaultComesBackWhole)
{
    const std::string longDefault(400, 'd');
    EXPECT_EQ(GetProfileStringFromText("", "Font", "Font", longDefault, 256), longDefault);
}

} // namespace
