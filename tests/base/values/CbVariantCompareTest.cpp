// Tests of variant equality and ordering.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace variant_test;

namespace {

TEST(CbVariantCompareTest, SameTypesCompareByValueAndNullIsBelowEverything)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // What is compared, the left value, the relation ('<', '=', '>', or '?' for
    // unordered and unequal) and the right value.
    const std::tuple<const char*, CbVariant, char, CbVariant> cases[] = {
        {"null, null", CbVariant(), '=', CbVariant()},
        {"int over null", Make(1), '>', CbVariant()},
        {"empty array over null", Make(Bytes({})), '>', CbVariant()},
        {"null under int", CbVariant(), '<', Make(-5)},
        {"int, long", Make(1), '=', Make(1l)},
        {"char is signed", Make('\x80'), '<', Make('\x7F')},
        {"unsigned char", Make<unsigned char>(0x80), '>', Make<unsigned char>(0x7F)},
        {"bool", Make(false), '<', Make(true)},
        {"short", Make<short>(-2), '<', Make<short>(1)},
        {"unsigned short", Make<unsigned short>(0xFFFF), '>', Make<unsigned short>(1)},
        {"int", Make(-2), '<', Make(1)},
        {"unsigned int", Make(0xFFFFFFFFu), '>', Make(1u)},
        {"__int64", Make<__int64>(-2), '<', Make<__int64>(1)},
        {"unsigned __int64", Make(~0ull), '>', Make(1ull)},
        {"+0 equals -0", Make(0.0f), '=', Make(-0.0f)},
        {"NaN equals and orders nothing", Make(nan), '?', Make(nan)},
        {"lower case follows upper case", Make(L"a"), '>', Make(L"B")},
        {"wide strings by UTF-16 unit", Make(L"\U00010000"), '<', Make(L"\uE000")},
        {"narrow strings", Make("abc"), '<', Make("abd")},
        {"embedded NUL counts", Make(CStringA("a\0b", 3)), '>', Make(CStringA("a"))},
        {"dates", Make(CbDateTime(L"2024-01-01 10:00:00")), '<', Make(CbDateTime(L"2024-01-01 10:00:01"))},
    };
    for (const auto& [name, left, relation, right] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(left == right, relation == '=');
        EXPECT_EQ(left != right, relation != '=');
        EXPECT_EQ(left < right, relation == '<');
        EXPECT_EQ(left > right, relation == '>');
    }
}

TEST(CbVariantCompareTest, DifferentTypesAreUnequalArraysOnlyEqualAndObjectsNeither)
{
    EXPECT_FALSE(Make(1) == Make(1u));
    EXPECT_FALSE(Make("abc") == Make(L"abc"));
    EXPECT_FALSE(Make(Shape()) == CbVariant());
    EXPECT_TRUE(Make(Bytes({1, 2})) == Make(Bytes({1, 2})));
    EXPECT_FALSE(Make(Bytes({1, 2})) == Make(Bytes({1})));
    EXPECT_TRUE(Make(Bytes({})) == Make(Bytes({})));
    ExpectThrowsAt([] { static_cast<void>(Make(Shape()) == Make(Shape())); }, "CbVariant.cpp", 500,
                   "CbVariant::operator ==");
    for (const CbVariant& unordered : {Make(Bytes({1})), Make(Shape())}) {
        ExpectThrowsAt([&] { static_cast<void>(unordered < unordered); }, "CbVariant.cpp", 534,
                       "CbVariant::operator <");
        ExpectThrowsAt([&] { static_cast<void>(Make(1) > unordered); }, "CbVariant.cpp", 568, "CbVariant::operator >");
    }
}

} // namespace
