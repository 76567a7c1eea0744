#include "settings/Profile.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ReadRow {
    const char* Name;
    std::string Content;
    std::string Expected;  // of Window/TopMost with a 32-byte buffer
};

class ProfileReadTest : public testing::TestWithParam<ReadRow> {};

TEST_P(ProfileReadTest, FindsValue)
{
    EXPECT_EQ(GetProfileStringFromText(GetParam().Content, "Window", "TopMost", "DEFAULT", 32),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileReadTest,
    testing::Values(
        ReadRow{"EmptyFile", "", "DEFAULT"},
        ReadRow{"MissingSection", "[Other]\nTopMost=1\n", "DEFAULT"},
        ReadRow{"MissingKey", "[Window]\nOther=1\n", "DEFAULT"},
        ReadRow{"Plain", "[Window]\nTopMost=1\n", "1"},
        ReadRow{"NoFinalLineEnd", "[Window]\nTopMost=1", "1"},
        ReadRow{"EmptyValueStaysEmpty", "[Window]\nTopMost=\n", ""},
        ReadRow{"BlankValueStaysEmpty", "[Window]\nTopMost= \t \n", ""},
        ReadRow{"LowerCaseSection", "[window]\nTopMost=1\n", "1"},
        ReadRow{"UpperCaseKey", "[Window]\nTOPMOST=1\n", "1"},
        ReadRow{"BlanksAroundValue", "[Window]\nTopMost=  1 \t\n", "1"},
        ReadRow{"BlanksAroundKey", "[Window]\n  TopMost\t = 1\n", "1"},
        ReadRow{"BlanksInBrackets", "  [ Window ]  \nTopMost=1\n", "1"},
        ReadRow{"TextAfterBracket", "[Window] ; main\nTopMost=1\n", "1"},
        ReadRow{"DoubleQuotes", "[Window]\nTopMost=\"/a b/c.bmp\"\n", "/a b/c.bmp"},
        ReadRow{"SingleQuotes", "[Window]\nTopMost='x'\n", "x"},
        ReadRow{"BlanksInsideQuotes", "[Window]\nTopMost=\" x \"\n", " x "},
        ReadRow{"OnlyOnePairRemoved", "[Window]\nTopMost=\"\"x\"\"\n", "\"x\""},
        ReadRow{"MismatchedQuotes", "[Window]\nTopMost=\"x'\n", "\"x'"},
        ReadRow{"LoneQuote", "[Window]\nTopMost=\"\n", "\""},
        ReadRow{"EmptyQuotes", "[Window]\nTopMost=''\n", ""},
        ReadRow{"QuoteInside", "[Window]\nTopMost=a\"b\n", "a\"b"},
        ReadRow{"CutTo31", "[Window]\nTopMost=12345678901234567890123456789012345\n",
                "1234567890123456789012345678901"},
        ReadRow{"CutAfterQuotesGo", "[Window]\nTopMost=\"1234567890123456789012345678901\"\n",
                "1234567890123456789012345678901"},
        ReadRow{"LineWithoutEquals", "[Window]\nTopMost\n", "DEFAULT"},
        ReadRow{"BracketLineWithoutClose", "[Window]\n[Port\nTopMost=1\n", "1"},
        ReadRow{"UnclosedHeaderIsNoSection", "[Window\nTopMost=1\n", "DEFAULT"},
        ReadRow{"FirstDuplicateKeyWins", "[Window]\nTopMost=1\nTopMost=2\n", "1"},
        ReadRow{"FirstDuplicateSectionWins", "[Window]\nTopMost=1\n[Window]\nTopMost=2\n", "1"},
        ReadRow{"OnlyFirstSectionSearched", "[Window]\n[Window]\nTopMost=1\n", "DEFAULT"},
        ReadRow{"KeyBeforeAnySection", "TopMost=1\n[Window]\n", "DEFAULT"},
        ReadRow{"KeyOfNextSection", "[Window]\n[Port]\nTopMost=1\n", "DEFAULT"},
        ReadRow{"CrLf", "[Window]\r\nTopMost=1\r\n", "1"},
        ReadRow{"CrLfEmptyValue", "[Window]\r\nTopMost=\r\n", ""},
        ReadRow{"CommentedKeyIsOtherKey", "[Window]\n;TopMost=1\n", "DEFAULT"},
        ReadRow{"EqualsInValue", "[Window]\nTopMost=a=b\n", "a=b"},
        ReadRow{"ByteOrderMark", "\xEF\xBB\xBF[Window]\nTopMost=1\n", "1"},
        ReadRow{"NotUtf8Kept", "[Window]\nTopMost=\xFF\xFE.bmp\n", "\xFF\xFE.bmp"},
        ReadRow{"Utf8Kept", "[Window]\nTopMost=/フォント/a.bmp\n", "/フォント/a.bmp"},
        ReadRow{"ZeroByteEndsValue", std::string("[Window]\nTopMost=a\0b\n", 21), "a"}), kRowName);

TEST(ProfileReadBufferTest, RequestCaseBufferSizeAndDefault)
{
    EXPECT_EQ(GetProfileStringFromText("[Window]\nTopMost=1\n", "WINDOW", "topmost", "D", 32), "1");
    EXPECT_EQ(GetProfileStringFromText("[Window]\nTopMost=1\n", "Window", "TopMost", "D", 0), "");
    const std::string long300(300, 'p');
    EXPECT_EQ(GetProfileStringFromText("[Font]\nFont=" + long300 + "\n", "Font", "Font", "D", 256),
              long300.substr(0, 255));
    // Only text from the file is cut: the default is the program's own.
    const std::string longDefault(400, 'd');
    EXPECT_EQ(GetProfileStringFromText("", "Font", "Font", longDefault, 256), longDefault);
}

} // namespace
