#include "system/SysResult.h"
#include "system/UniqueFd.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

TEST(SysResult, CarriesEitherTheValueOrTheCallsError)
{
    SysResult<std::string> made(std::string("ttyUSB0"));
    SysResult<std::string> refused(SysError{ENOENT});

    ASSERT_TRUE(made.Ok());
    EXPECT_EQ(made.Value(), "ttyUSB0");
    EXPECT_EQ(made.Error(), SysError{});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().Code, ENOENT);
    EXPECT_EQ(refused.Error().Text(), "No such file or directory");
}

TEST(SysResult, LastErrorIsNeverZero)
{
    errno = 0;
    EXPECT_EQ(LastSysError().Code, EIO);
    errno = EACCES;
    EXPECT_EQ(LastSysError().Code, EACCES);
}

TEST(UniqueFd, ClosesWhatItHoldsOnce)
{
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    UniqueFd held(dup(fileno(file)));
    std::fclose(file);
    ASSERT_TRUE(held.Valid());
    EXPECT_TRUE(held.Close());
    EXPECT_FALSE(held.Valid());
    EXPECT_FALSE(held.Close());
}
