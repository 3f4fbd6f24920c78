#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <limits>

using namespace variant_test;

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(CbVariantCompareTest, EqualityNeedsTheSameTypeAndValue)
{
    struct Case
    {
        const char* name;
        CbVariant left;
        CbVariant right;
        bool equal;
    };
    const Case cases[] = {
        {"null, null", CbVariant(), CbVariant(), true},
        {"int 1, int 1", Make(1), Make(1), true},
        {"int 1, unsigned int 1", Make(1), Make(1u), false},
        {"int 1, long 1", Make(1), Make(1l), true},
        {"short, unsigned short", Make<short>(-1), Make<unsigned short>(0xFFFF), false},
        {"__int64", Make<__int64>(-1), Make<__int64>(-1), true},
        {"bool", Make(true), Make(false), false},
        {"char", Make('a'), Make('a'), true},
        {"NaN is not itself", Make(nan), Make(nan), false},
        {"+0 is -0", Make(0.0f), Make(-0.0f), true},
        {"case matters", Make(L"abc"), Make(L"ABC"), false},
        {"wide strings", Make(L"abc"), Make(CStringW(L"abc")), true},
        {"narrow and wide", Make("abc"), Make(L"abc"), false},
        {"embedded NUL counts", Make(CStringA("a\0b", 3)), Make("a"), false},
        {"arrays by content", Make(Bytes({1, 2})), Make(Bytes({1, 2})), true},
        {"arrays of different length", Make(Bytes({1, 2})), Make(Bytes({1})), false},
        {"empty arrays", Make(Bytes({})), Make(Bytes({})), true},
        {"dates", Make(CbDateTime(L"2024-01-01 10:00:00")), Make(CbDateTime(L"2024-01-01 10:00:00")), true},
        {"object and null", Make(Shape()), CbVariant(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.left == c.right, c.equal);
        EXPECT_EQ(c.left != c.right, !c.equal);
        EXPECT_EQ(c.right == c.left, c.equal);
    }
    ExpectThrowsAt([] { static_cast<void>(Make(Shape()) == Make(Shape())); }, "CbVariant.cpp", 500,
                   "CbVariant::operator ==");
}

TEST(CbVariantCompareTest, OrderingByTypeWithNullBelowEverything)
{
    struct Case
    {
        const char* name;
        CbVariant left;
        CbVariant right;
        bool less;
        bool greater;
    };
    const Case cases[] = {
        {"null, null", CbVariant(), CbVariant(), false, false},
        {"int over null", Make(1), CbVariant(), false, true},
        {"array over null", Make(Bytes({})), CbVariant(), false, true},
        {"object over null", Make(Shape()), CbVariant(), false, true},
        {"null under int", CbVariant(), Make(-5), true, false},
        {"signed char", Make<signed char>(-1), Make<signed char>(1), true, false},
        {"char is signed", Make('\x80'), Make('\x7F'), true, false},
        {"unsigned char", Make<unsigned char>(0x80), Make<unsigned char>(0x7F), false, true},
        {"bool", Make(false), Make(true), true, false},
        {"short", Make<short>(-2), Make<short>(1), true, false},
        {"unsigned short", Make<unsigned short>(0xFFFF), Make<unsigned short>(1), false, true},
        {"int", Make(-2), Make(1), true, false},
        {"unsigned int", Make(0xFFFFFFFFu), Make(1u), false, true},
        {"__int64", Make<__int64>(-2), Make<__int64>(1), true, false},
        {"unsigned __int64", Make(~0ull), Make(1ull), false, true},
        {"float", Make(1.5f), Make(2.5f), true, false},
        {"NaN orders nowhere", Make(nan), Make(1.0), false, false},
        {"lower case follows upper case", Make(L"a"), Make(L"B"), false, true},
        {"narrow strings", Make("abc"), Make("abd"), true, false},
        {"dates", Make(CbDateTime(L"2024-01-01 10:00:00")), Make(CbDateTime(L"2024-01-01 10:00:01")), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.left < c.right, c.less);
        EXPECT_EQ(c.left > c.right, c.greater);
    }
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
