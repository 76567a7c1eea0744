#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"
#include "tests/support/RecordBuffer.h"

namespace {

// The window program adopts the user's locale, which may write a decimal comma.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = std::setlocale(LC_ALL, nullptr);
        if (SelectCommaLocale())
            return;
#ifdef PELMORA_TEST_LOCALE_DIR
        // The build compiles one into its own folder when the system has none.
        setenv("LOCPATH", PELMORA_TEST_LOCALE_DIR, 1);
        if (SelectCommaLocale())
            return;
#endif
        std::setlocale(LC_ALL, saved_.c_str());
        GTEST_SKIP() << "no locale with a decimal comma available";
    }

    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    static bool SelectCommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name) != nullptr && PrintfWritesComma())
                return true;
        }
        return false;
    }

    static bool PrintfWritesComma()
    {
        char probe[8];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        return std::string(probe) == "1,5";
    }

    std::string saved_;
};

TEST_F(DecimalCommaLocale, InductanceLineKeepsThePoint)
{
    struct Row {
        double inductance;
        const char* line;
    };
    const Row rows[] = {{0.0, "L=               0.000uH"},
                        {5066.0591821, "L=           5,066.059uH"},
                        {9999999.0, "L=       9,999,999.000uH"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        ReadoutText text;
        FormatInductanceLine(text, row.inductance);
        EXPECT_EQ(WholeLine(text.Inductance), Padded(row.line));
    }
}

TEST_F(DecimalCommaLocale, RecordLinesAreUnchanged)
{
    const ReadoutText text = FormatAcceptedRecord(MakeRecord("001", "01", '5', "0001000000"));

    EXPECT_EQ(WholeLine(text.Frequency), Padded("  1,000,000Hz -"));
    EXPECT_EQ(WholeLine(text.Status), Padded("P.S:[  1] G.T:[ 1.50sec]"));
    EXPECT_EQ(WholeLine(text.Inductance), Padded("L=               0.507uH"));
}

}  // namespace
