// The check shared by every test of a place that throws a CbException.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

#include <gtest/gtest.h>

#include <functional>

namespace cbf::test {

/// Runs `action`, expecting a CbException from `file` at `line`; `function`
/// and `type` (the exact class) are checked when given.
inline void ExpectThrowsAt(const std::function<void()>& action, const char* file, unsigned line,
                           const char* function = nullptr, const CbRTTI* type = nullptr)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << file << " line " << line;
    } catch (const CbException& e) {
        EXPECT_STREQ(e.GetFilename(), file);
        EXPECT_EQ(e.GetCodeLine(), line);
        if (function) {
            EXPECT_STREQ(e.GetFunctionName(), function);
        }
        if (type) {
            EXPECT_TRUE(e.Is(*type)) << "thrown as " << e.GetRTTI().GetName();
        }
    }
}

} // namespace cbf::test
