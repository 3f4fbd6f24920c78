// Tests of the last-error capture from errno and the C library's texts.
#include <cbfoundation/base/exceptions/CbLatestError.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(CbLatestErrorPosixTest, CapturesErrnoAndItsText)
{
    errno = ENOENT;
    CbLatestError error;
    const CbLatestError before(error);
    errno = EINVAL;
    error.Update();
    EXPECT_EQ(before.GetLatestErrorNumber(), static_cast<unsigned long>(ENOENT));
    EXPECT_EQ(error.GetLatestErrorMessage(), L"Invalid argument");
}

} // namespace
