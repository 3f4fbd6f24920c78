// Tests of variant equality and ordering.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace variant_test;

namespace {

// Each type by its own signedness, wide strings by UTF-16 unit: the left value,
// the relation ('<', '=', '>', or '?' for unordered and unequal) and the right value.
TEST(CbVariantCompareTest, SameTypesCompareByValueAndNullIsBelowEverything)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<CbVariant, char, CbVariant> cases[] = {
        {CbVariant(), '=', CbVariant()},
        {Make(Bytes({})), '>', CbVariant()},
        {Make('\x80'), '<', Make('\x7F')},
        {Make<unsigned char>(0x80), '>', Make<unsigned char>(0x7F)},
        {Make<short>(-2), '<', Make<short>(1)},
        {Make<unsigned short>(0xFFFF), '>', Make<unsigned short>(1)},
        {Make(-2), '<', Make(1)},
        {Make(0xFFFFFFFFu), '>', Make(1u)},
        {Make<__int64>(-2), '<', Make<__int64>(1)},
        {Make(~0ull), '>', Make(1ull)},
        {Make(0.0f), '=', Make(-0.0f)},
        {Make(nan), '?', Make(nan)},
        {Make(L"a"), '>', Make(L"B")},
        {Make(L"\U00010000"), '<', Make(L"\uE000")},
        {Make(CStringA("a\0b", 3)), '>', Make(CStringA("a"))},
        {Make(CbDateTime(0ULL)), '<', Make(CbDateTime(10000ULL))},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const auto& [left, relation, right] = cases[row];
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(left == right, relation == '=');
        EXPECT_EQ(left != right, relation != '=');
        EXPECT_EQ(left < right, relation == '<');
        EXPECT_EQ(left > right, relation == '>');
    }
}

TEST(CbVariantCompareTest, DifferentTypesAreUnequalArraysOnlyEqualAndObjectsNeither)
{
    EXPECT_FALSE(Make(1) == Make(1u) || Make("abc") == Make(L"abc") || Make(Shape()) == CbVariant());
    EXPECT_TRUE(Make(Bytes({1, 2})) == Make(Bytes({1, 2})) && Make(Bytes({})) == Make(Bytes({})));
    EXPECT_FALSE(Make(Bytes({1, 2})) == Make(Bytes({1})));
    ExpectThrowsAt([] { static_cast<void>(Make(Shape()) == Make(Shape())); }, "CbVariant.cpp", 500,
                   "CbVariant::operator ==");
    for (const CbVariant& unordered : {Make(Bytes({1})), Make(Shape())}) {
        ExpectThrowsAt([&] { static_cast<void>(unordered < unordered); }, "CbVariant.cpp", 534,
                       "CbVariant::operator <");
        ExpectThrowsAt([&] { static_cast<void>(Make(1) > unordered); }, "CbVariant.cpp", 568, "CbVariant::operator >");
    }
}

} // namespace
