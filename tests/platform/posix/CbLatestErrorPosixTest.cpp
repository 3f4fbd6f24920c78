// Tests of the last-error capture from errno and the C library's texts.
#include <cbfoundation/base/exceptions/CbLatestError.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(CbLatestErrorPosixTest, CapturesErrnoAndItsText)
{
    errno = ENOENT;
    CbLatestError error;
    EXPECT_EQ(error.GetLatestErrorNumber(), static_cast<unsigned long>(ENOENT));
    EXPECT_EQ(CbLatestError(2).GetLatestErrorMessage(), L"No such file or directory");

    errno = EINVAL;
    const CbLatestError before(error);
    error.Update();
    EXPECT_EQ(error.GetLatestErrorMessage(), L"Invalid argument");
    EXPECT_EQ(before.GetLatestErrorNumber(), static_cast<unsigned long>(ENOENT));
    EXPECT_FALSE(CbLatestError(1004).GetLatestErrorMessage().IsEmpty());
}

} // namespace
