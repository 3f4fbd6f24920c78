#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <limits>

using namespace variant_test;

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const CbDateTime earlier(L"2024-01-01 10:00:00");
const CbDateTime later(L"2024-01-01 10:00:01");

struct Case
{
    const char* name;
    CbVariant left;
    CbVariant right;
    bool equal;
    bool less;
    bool greater;
};

TEST(CbVariantCompareTest, SameTypesCompareByValueAndNullIsBelowEverything)
{
    const Case cases[] = {
        {"null, null", CbVariant(), CbVariant(), true, false, false},
        {"int over null", Make(1), CbVariant(), false, false, true},
        {"null under int", CbVariant(), Make(-5), false, true, false},
        {"int, long", Make(1), Make(1l), true, false, false},
        {"char is signed", Make('\x80'), Make('\x7F'), false, true, false},
        {"unsigned char", Make<unsigned char>(0x80), Make<unsigned char>(0x7F), false, false, true},
        {"bool", Make(false), Make(true), false, true, false},
        {"short", Make<short>(-2), Make<short>(1), false, true, false},
        {"unsigned short", Make<unsigned short>(0xFFFF), Make<unsigned short>(1), false, false, true},
        {"int", Make(-2), Make(1), false, true, false},
        {"unsigned int", Make(0xFFFFFFFFu), Make(1u), false, false, true},
        {"__int64", Make<__int64>(-2), Make<__int64>(1), false, true, false},
        {"unsigned __int64", Make(~0ull), Make(1ull), false, false, true},
        {"+0 equals -0", Make(0.0f), Make(-0.0f), true, false, false},
        {"NaN equals and orders nothing", Make(nan), Make(nan), false, false, false},
        {"lower case follows upper case", Make(L"a"), Make(L"B"), false, false, true},
        {"narrow strings", Make("abc"), Make("abd"), false, true, false},
        {"embedded NUL counts", Make(CStringA("a\0b", 3)), Make(CStringA("a")), false, false, true},
        {"dates", Make(earlier), Make(later), false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.left == c.right, c.equal);
        EXPECT_EQ(c.left != c.right, !c.equal);
        EXPECT_EQ(c.left < c.right, c.less);
        EXPECT_EQ(c.left > c.right, c.greater);
    }
}

TEST(CbVariantCompareTest, DifferentTypesAreUnequalAndArraysCompareByContent)
{
    EXPECT_FALSE(Make(1) == Make(1u));
    EXPECT_FALSE(Make("abc") == Make(L"abc"));
    EXPECT_FALSE(Make(Shape()) == CbVariant());
    EXPECT_TRUE(Make(Bytes({1, 2})) == Make(Bytes({1, 2})));
    EXPECT_FALSE(Make(Bytes({1, 2})) == Make(Bytes({1})));
    EXPECT_TRUE(Make(Bytes({})) == Make(Bytes({})));
    EXPECT_TRUE(Make(Bytes({})) > CbVariant());
    ExpectThrowsAt([] { static_cast<void>(Make(Shape()) == Make(Shape())); }, "CbVariant.cpp", 500,
                   "CbVariant::operator ==");
}

TEST(CbVariantCompareTest, ArraysAndObjectsHaveNoOrder)
{
    for (const CbVariant& unordered : {Make(Bytes({1})), Make(Shape())}) {
        ExpectThrowsAt([&] { static_cast<void>(unordered < unordered); }, "CbVariant.cpp", 534,
                       "CbVariant::operator <");
        ExpectThrowsAt([&] { static_cast<void>(Make(1) > unordered); }, "CbVariant.cpp", 568,
                       "CbVariant::operator >");
    }
}

} // namespace
