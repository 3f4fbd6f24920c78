// Tests of CbVariant::ConvertTo: every pair of source and target type, the failures and their
// history, NaN and out-of-range values, and the locale of the text conversions.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/Environment.h>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace variant_test;

namespace {

using Type = CbVariant::EVariantType;
using V = CbVariant;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr unsigned __int64 kTwoTo63 = 1ull << 63;

CbVariant date(const wchar_t* text)
{
    return Make(CbDateTime(text));
}

CbVariant damaged(unsigned tag)
{
    CbVariant variant;
    std::memcpy(static_cast<void*>(&variant), &tag, sizeof tag);
    return variant;
}

std::string describe(const CbVariant& v, Type target)
{
    return "from type " + std::to_string(v.GetType()) + " to type " + std::to_string(target);
}

// The address of the held object, or of the variant for the inline types: a
// failed conversion must keep both the value and the object.
const void* heldObject(CbVariant& v)
{
    switch (v.GetType()) {
    case V::eVariantTypeStringW:
        return &static_cast<CStringW&>(v);
    case V::eVariantTypeStringA:
        return &static_cast<CStringA&>(v);
    case V::eVariantTypeByteArray:
        return &static_cast<V::ByteArray&>(v);
    case V::eVariantTypeDateTime:
        return &static_cast<CbDateTime&>(v);
    case V::eVariantTypeObject:
        return &static_cast<IObject&>(v);
    default:
        return &v;
    }
}

// Converts a copy of `source`, expecting the conversion exception with line
// 627 whose history is at `historyLine`, and the copy unchanged.
void expectRefused(const CbVariant& source, Type target, unsigned historyLine,
                   const char* historyFile = "CbVariant.cpp")
{
    const unsigned type = source.GetType();
    const bool known = type <= V::eVariantTypeStringA && type != 11; // a damaged tag cannot be copied
    CbVariant v = known ? CbVariant(source) : damaged(type);
    const void* object = heldObject(v);
    try {
        v.ConvertTo(target);
        ADD_FAILURE() << "no exception " << describe(source, target);
    } catch (const CbVariant::CbExceptionConversion& e) {
        EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
        EXPECT_EQ(e.GetCodeLine(), 627u) << describe(source, target);
        const CbSmartPointer<const CbException> history = e.GetHistory();
        ASSERT_TRUE(history) << describe(source, target);
        EXPECT_EQ(history->GetCodeLine(), historyLine) << describe(source, target);
        EXPECT_STREQ(history->GetFilename(), historyFile);
    }
    EXPECT_EQ(v.GetType(), type) << describe(source, target);
    EXPECT_EQ(heldObject(v), object);
    if (known && type != V::eVariantTypeObject) {
        EXPECT_TRUE(v == source) << describe(source, target);
    }
}

struct Conversion
{
    CbVariant source;
    Type target;
    CbVariant expected;
};

void expectConversions(const std::vector<Conversion>& table)
{
    for (const auto& [source, target, expected] : table) {
        CbVariant v = source;
        EXPECT_EQ(&v.ConvertTo(target), &v);
        EXPECT_EQ(v.GetType(), target) << describe(source, target);
        EXPECT_TRUE(v == expected) << describe(source, target);
    }
}

std::vector<CbVariant> everyType()
{
    Shape shape(5);
    return {V(),
            Make(true),
            Make('c'),
            Make(static_cast<signed char>(-2)),
            Make(static_cast<unsigned char>(200)),
            Make(static_cast<short>(-300)),
            Make(static_cast<unsigned short>(60000)),
            Make(-70000),
            Make(4000000000u),
            Make(static_cast<__int64>(-5000000000)),
            Make(static_cast<unsigned __int64>(10000000000000000000ull)),
            Make(1.25f),
            Make(-2.5),
            Make(L"wide"),
            Make("narrow"),
            Make(Bytes({1, 2, 3})),
            date(L"2024-02-29 13:05:09"),
            Make(static_cast<const IObject&>(shape))};
}

TEST(CbVariantConvertTest, ToItsOwnTypeNothingHappensAndToNullAlwaysSucceeds)
{
    for (CbVariant& v : everyType()) {
        const void* object = heldObject(v);
        const Type type = v.GetType();
        EXPECT_EQ(&v.ConvertTo(type), &v);
        EXPECT_EQ(v.GetType(), type);
        EXPECT_EQ(heldObject(v), object) << "type " << type;
        v.ConvertTo(V::eVariantTypeNull);
        EXPECT_TRUE(v.IsNull());
    }
    EXPECT_EQ(Shape::live, 0) << "the object was released";
}

TEST(CbVariantConvertTest, SourcesAConversionDoesNotTakeAreRefusedWithItsLine)
{
    const std::pair<Type, unsigned> targets[] = {
        {V::eVariantTypeBool, 899},     {V::eVariantTypeInt, 1082},    {V::eVariantTypeShort, 1014},
        {V::eVariantTypeSChar, 933},    {V::eVariantTypeInt64, 1150},  {V::eVariantTypeUInt, 1116},
        {V::eVariantTypeUShort, 1048},  {V::eVariantTypeUChar, 980},   {V::eVariantTypeChar, 980},
        {V::eVariantTypeUInt64, 1184},  {V::eVariantTypeFloat, 1218},  {V::eVariantTypeDouble, 1252},
        {V::eVariantTypeStringW, 1288}, {V::eVariantTypeStringA, 1288}};
    const Shape shape;
    const CbVariant refused[] = {V(),         Make(Bytes({7})), Make(static_cast<const IObject&>(shape)),
                                 damaged(11), damaged(40),      date(L"2024-02-29 13:05:09")};
    for (const auto& [target, line] : targets) {
        for (const CbVariant& source : refused) {
            const bool textOfDate = source.GetType() == V::eVariantTypeDateTime &&
                                    (target == V::eVariantTypeStringW || target == V::eVariantTypeStringA);
            if (!textOfDate)
                expectRefused(source, target, line);
        }
    }

    // Targets that nothing converts to, and dates from anything but text.
    for (const CbVariant& source : everyType()) {
        for (const unsigned target : {9u, 11u, 17u, 19u, 0xFFFFFFFFu}) {
            if (source.GetType() != target)
                expectRefused(source, static_cast<Type>(target), 622);
        }
        const Type type = source.GetType();
        if (type != V::eVariantTypeDateTime && type != V::eVariantTypeStringW && type != V::eVariantTypeStringA)
            expectRefused(source, V::eVariantTypeDateTime, 617);
    }
}

TEST(CbVariantConvertTest, TextThatHoldsNoNumberOrDateIsRefused)
{
    const struct
    {
        CbVariant source;
        Type target;
        unsigned line;
    } cases[] = {
        {Make(""), V::eVariantTypeInt, 782},         {Make(L""), V::eVariantTypeInt, 800},
        {Make(" \t"), V::eVariantTypeShort, 782},    {Make(L"-"), V::eVariantTypeInt64, 800},
        {Make("abc"), V::eVariantTypeUInt, 818},     {Make(L"abc"), V::eVariantTypeUInt64, 836},
        {Make(""), V::eVariantTypeChar, 818},        {Make(L"x1"), V::eVariantTypeUChar, 836},
        {Make("12abc"), V::eVariantTypeDouble, 764}, {Make(L"12abc"), V::eVariantTypeFloat, 764},
        {Make(L"1.5 "), V::eVariantTypeDouble, 764}, {Make(L" "), V::eVariantTypeDouble, 764},
        {Make("-"), V::eVariantTypeFloat, 764},
    };
    for (const auto& [source, target, line] : cases)
        expectRefused(source, target, line);
    CStringW withNul(L"1.5\0"
                     L"7",
                     5);
    expectRefused(Make(withNul), V::eVariantTypeDouble, 764);

    // The date parser's own exception is the history.
    expectRefused(Make(L"2024-02-29T13:05:09"), V::eVariantTypeDateTime, 292, "CbDateTime");
    expectRefused(Make("29.02.2024"), V::eVariantTypeDateTime, 235, "CbDateTime");
}

TEST(CbVariantConvertTest, ToBoolTestsForZeroAndForTheTextZero)
{
    expectConversions({
        {Make('\0'), V::eVariantTypeBool, Make(false)},
        {Make('0'), V::eVariantTypeBool, Make(true)},
        {Make(static_cast<short>(0)), V::eVariantTypeBool, Make(false)},
        {Make(static_cast<unsigned short>(0x100)), V::eVariantTypeBool, Make(true)},
        {Make(static_cast<unsigned __int64>(1) << 40), V::eVariantTypeBool, Make(true)},
        {Make(-0.0f), V::eVariantTypeBool, Make(false)},
        {Make(0.001), V::eVariantTypeBool, Make(true)},
        {Make(kNaN), V::eVariantTypeBool, Make(true)},
        {Make(L"0"), V::eVariantTypeBool, Make(false)},
        {Make("0"), V::eVariantTypeBool, Make(false)},
        {Make(L""), V::eVariantTypeBool, Make(true)},
        {Make("00"), V::eVariantTypeBool, Make(true)},
        {Make(L"false"), V::eVariantTypeBool, Make(true)},
        {Make(" 0"), V::eVariantTypeBool, Make(true)},
    });
}

TEST(CbVariantConvertTest, IntegersKeepTheirBitsZeroExtendedOrCut)
{
    expectConversions({
        {Make(true), V::eVariantTypeShort, Make(static_cast<short>(1))},
        {Make(true), V::eVariantTypeChar, Make('\1')},
        {Make(static_cast<short>(-1)), V::eVariantTypeInt, Make(65535)},
        {Make(-1), V::eVariantTypeInt64, Make(static_cast<__int64>(4294967295))},
        {Make(static_cast<__int64>(65537)), V::eVariantTypeShort, Make(static_cast<short>(1))},
        {Make(static_cast<__int64>(4294967301)), V::eVariantTypeInt, Make(5)},
        {Make('\xFF'), V::eVariantTypeInt, Make(255)},
        {Make(static_cast<signed char>(-1)), V::eVariantTypeUInt64, Make(static_cast<unsigned __int64>(255))},
        {Make(4294967295u), V::eVariantTypeInt, Make(-1)},
        {Make(static_cast<unsigned short>(65535)), V::eVariantTypeShort, Make(static_cast<short>(-1))},
        {Make(static_cast<__int64>(-1)), V::eVariantTypeUChar, Make(static_cast<unsigned char>(255))},
        {Make(ULLONG_MAX), V::eVariantTypeSChar, Make(static_cast<signed char>(-1))},
        {Make(static_cast<unsigned char>(0x41)), V::eVariantTypeChar, Make('A')},
        {Make('A'), V::eVariantTypeUShort, Make(static_cast<unsigned short>(65))},
    });
}

TEST(CbVariantConvertTest, FloatingPointIsRoundedHalfUpThenConvertedThroughItsIntermediate)
{
    expectConversions({
        {Make(2.5f), V::eVariantTypeInt, Make(3)},
        {Make(-2.5f), V::eVariantTypeInt, Make(-2)},
        {Make(2.4999f), V::eVariantTypeInt, Make(2)},
        {Make(-2.6), V::eVariantTypeInt, Make(-3)},
        {Make(0.49999997f), V::eVariantTypeInt, Make(1)}, // x + 0.5 rounds up in single precision
        {Make(0.49999997), V::eVariantTypeInt, Make(0)},
        {Make(-1.0), V::eVariantTypeUShort, Make(static_cast<unsigned short>(65535))},
        {Make(-1.0f), V::eVariantTypeUInt64, Make(ULLONG_MAX)},
        {Make(3.5), V::eVariantTypeChar, Make('\4')},
        {Make(65537.0), V::eVariantTypeShort, Make(static_cast<short>(1))},
        {Make(300.0f), V::eVariantTypeSChar, Make(static_cast<signed char>(44))},
        {Make(4294967296.0), V::eVariantTypeUInt, Make(0u)}, // through 64 bits, then cut
        {Make(4294967295.0), V::eVariantTypeUInt, Make(4294967295u)},
        {Make(-5000000000.0), V::eVariantTypeInt64, Make(static_cast<__int64>(-5000000000))},
        {Make(9223372036854777856.0), V::eVariantTypeUInt64, Make(kTwoTo63 + 2048)}, // 2^63 and up
        {Make(1e19f), V::eVariantTypeUInt64, Make(static_cast<unsigned __int64>(1e19f))},
        // NaN and values beyond the intermediate integer: its smallest value, cut.
        {Make(kNaN), V::eVariantTypeInt, Make(INT_MIN)},
        {Make(3e9), V::eVariantTypeInt, Make(INT_MIN)},
        {Make(static_cast<float>(kInfinity)), V::eVariantTypeInt, Make(INT_MIN)},
        {Make(-3e9f), V::eVariantTypeShort, Make(static_cast<short>(0))},
        {Make(kNaN), V::eVariantTypeSChar, Make(static_cast<signed char>(0))},
        {Make(kNaN), V::eVariantTypeInt64, Make(LLONG_MIN)},
        {Make(1e19), V::eVariantTypeInt64, Make(LLONG_MIN)},
        {Make(-kInfinity), V::eVariantTypeUInt, Make(0u)},
        {Make(static_cast<float>(kNaN)), V::eVariantTypeChar, Make('\0')},
        {Make(kNaN), V::eVariantTypeUInt64, Make(kTwoTo63)},
        {Make(-1e19), V::eVariantTypeUInt64, Make(kTwoTo63)},
        {Make(2e19f), V::eVariantTypeUInt64, Make(0ull)},
        {Make(kInfinity), V::eVariantTypeUInt64, Make(0ull)},
    });
}

TEST(CbVariantConvertTest, TextIsScannedAsScanfReadsSignedAndUnsignedIntegers)
{
    expectConversions({
        {Make("0x1F"), V::eVariantTypeInt, Make(31)},
        {Make("0x1F"), V::eVariantTypeUInt, Make(0u)},
        {Make(L" \t-0X10"), V::eVariantTypeInt, Make(-16)},
        {Make(L"017"), V::eVariantTypeShort, Make(static_cast<short>(15))},
        {Make(L"017"), V::eVariantTypeUShort, Make(static_cast<unsigned short>(17))},
        {Make("09"), V::eVariantTypeInt, Make(0)},
        {Make("0x"), V::eVariantTypeInt64, Make(static_cast<__int64>(0))},
        {Make("12abc"), V::eVariantTypeInt, Make(12)},
        {Make(L"+7 apples"), V::eVariantTypeSChar, Make(static_cast<signed char>(7))},
        {Make("-1"), V::eVariantTypeUInt64, Make(ULLONG_MAX)},
        {Make(L"-1"), V::eVariantTypeUInt, Make(4294967295u)},
        {Make("4294967301"), V::eVariantTypeInt, Make(5)},
        {Make(L"-9223372036854775808"), V::eVariantTypeInt64, Make(LLONG_MIN)},
        {Make(L"99999999999999999999"), V::eVariantTypeUInt64, Make(7766279631452241919ull)}, // wraps
        {Make("300"), V::eVariantTypeChar, Make(',')},
        {Make(L"255"), V::eVariantTypeUChar, Make(static_cast<unsigned char>(255))},
    });
}

TEST(CbVariantConvertTest, NumbersBecomeFloatingPointByValue)
{
    expectConversions({
        {Make(true), V::eVariantTypeDouble, Make(1.0)},
        {Make(false), V::eVariantTypeFloat, Make(0.0f)},
        {Make('\xFF'), V::eVariantTypeFloat, Make(-1.0f)},
        {Make(static_cast<signed char>(-128)), V::eVariantTypeDouble, Make(-128.0)},
        {Make(static_cast<unsigned char>(255)), V::eVariantTypeDouble, Make(255.0)},
        {Make(static_cast<short>(-1)), V::eVariantTypeDouble, Make(-1.0)},
        {Make(static_cast<unsigned short>(65535)), V::eVariantTypeFloat, Make(65535.0f)},
        {Make(-1), V::eVariantTypeDouble, Make(-1.0)},
        {Make(4294967295u), V::eVariantTypeDouble, Make(4294967295.0)},
        {Make(static_cast<__int64>(16777217)), V::eVariantTypeFloat, Make(16777216.0f)},
        {Make(LLONG_MIN), V::eVariantTypeDouble, Make(-9223372036854775808.0)},
        {Make(ULLONG_MAX), V::eVariantTypeDouble, Make(18446744073709551616.0)},
        {Make(0.1), V::eVariantTypeFloat, Make(0.1f)},
        {Make(0.1f), V::eVariantTypeDouble, Make(static_cast<double>(0.1f))},
        {Make(1e300), V::eVariantTypeFloat, Make(static_cast<float>(kInfinity))},
    });
}

TEST(CbVariantConvertTest, ValuesBecomeTextInTheirPrintfForms)
{
    expectConversions({
        {Make(true), V::eVariantTypeStringW, Make(L"1")},
        {Make(false), V::eVariantTypeStringA, Make("0")},
        {Make('A'), V::eVariantTypeStringW, Make(L"A")},
        {Make(static_cast<signed char>(-5)), V::eVariantTypeStringW, Make(L"-5")},
        {Make(static_cast<unsigned char>(200)), V::eVariantTypeStringA, Make("200")},
        {Make(static_cast<short>(-32768)), V::eVariantTypeStringW, Make(L"-32768")},
        {Make(static_cast<unsigned short>(65535)), V::eVariantTypeStringW, Make(L"65535")},
        {Make(INT_MIN), V::eVariantTypeStringW, Make(L"-2147483648")},
        {Make(0), V::eVariantTypeStringA, Make("0")},
        {Make(4294967295u), V::eVariantTypeStringW, Make(L"-1")},
        {Make(2147483647u), V::eVariantTypeStringA, Make("2147483647")},
        {Make(static_cast<__int64>(4294967301)), V::eVariantTypeStringW, Make(L"4294967301")},
        {Make(LLONG_MIN), V::eVariantTypeStringW, Make(L"-9223372036854775808")},
        {Make(ULLONG_MAX), V::eVariantTypeStringA, Make("18446744073709551615")},
        {Make(1.5f), V::eVariantTypeStringW, Make(L"1.500000")},
        {Make(-0.25), V::eVariantTypeStringA, Make("-0.250000")},
        {Make(1e20), V::eVariantTypeStringW, Make(L"100000000000000000000.000000")},
        {date(L"2024-02-29 13:05:09"), V::eVariantTypeStringW, Make(L"2024-02-29 13:05:09")},
        {date(L"1999-12-31 23:59:59"), V::eVariantTypeStringA, Make("1999-12-31 23:59:59")},
        {Make(L"Gr\u00FC\u00DFe"), V::eVariantTypeStringA, Make(CStringA(L"Gr\u00FC\u00DFe"))},
        {Make("plain"), V::eVariantTypeStringW, Make(L"plain")},
        {Make(L"2024-02-29 13:05:09"), V::eVariantTypeDateTime, date(L"2024-02-29 13:05:09")},
        {Make("2024-02-29 13:05:09 and more"), V::eVariantTypeDateTime, date(L"2024-02-29 13:05:09")},
    });
}

TEST(CbVariantConvertTest, TextRoundTripsRestoreTheValue)
{
    CbVariant v = Make(4294967295u);
    EXPECT_STREQ(static_cast<const wchar_t*>(std::as_const(v.ConvertTo(V::eVariantTypeStringW))), L"-1");
    EXPECT_EQ(static_cast<unsigned>(std::as_const(v.ConvertTo(V::eVariantTypeUInt))), 4294967295u);

    // A date with milliseconds comes back to the same second.
    CbDateTime now;
    now.SetMillisecond(789);
    v = now;
    v.ConvertTo(V::eVariantTypeStringW).ConvertTo(V::eVariantTypeDateTime);
    const CbDateTime& back = v;
    EXPECT_EQ(back.GetYear() * 10000 + back.GetMonth() * 100 + back.GetDay(),
              now.GetYear() * 10000 + now.GetMonth() * 100 + now.GetDay());
    EXPECT_EQ(back.GetHour() * 3600 + back.GetMinute() * 60 + back.GetSecond(),
              now.GetHour() * 3600 + now.GetMinute() * 60 + now.GetSecond());
    EXPECT_EQ(back.GetMillisecond(), 0u);

    for (const __int64 value : {LLONG_MIN, static_cast<__int64>(-1), static_cast<__int64>(0), LLONG_MAX}) {
        v = value;
        v.ConvertTo(V::eVariantTypeStringA).ConvertTo(V::eVariantTypeStringW).ConvertTo(V::eVariantTypeInt64);
        EXPECT_EQ(static_cast<__int64>(std::as_const(v)), value);
    }
}

// Makes a locale whose decimal separator is a comma the current numeric
// locale, for the life of the object, where one can be had: by a name the
// platform knows, or else one generated with localedef where that exists.
class CommaLocale
{
public:
    CommaLocale() { active = tryNames() || (generate() && tryNames()); }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous.c_str()); }

    bool active = false;

private:
    bool tryNames()
    {
        for (const char* name :
             {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German", "fr_FR.UTF-8", "French"}) {
            if (std::setlocale(LC_NUMERIC, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0)
                return true;
        }
        std::setlocale(LC_NUMERIC, previous.c_str());
        return false;
    }

    static bool generate()
    {
        if (std::system("localedef --help >/dev/null 2>&1") != 0)
            return false;
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "cbfoundation-test-locales";
        const std::filesystem::path locale = folder / "de_DE.UTF-8";
        if (!std::filesystem::exists(locale / "LC_NUMERIC")) {
            // Made beside and renamed, so that test runs at the same time
            // never see half a locale.
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
            const std::filesystem::path made = folder / std::to_string(std::random_device()());
            const std::string command = "localedef -i de_DE -f UTF-8 '" + made.string() + "' >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0)
                return false;
            std::filesystem::rename(made, locale, ignored);
            std::filesystem::remove_all(made, ignored);
        }
        return cbf::platform::WriteEnvironmentVariable(L"LOCPATH", folder.wstring().c_str());
    }

    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
};

TEST(CbVariantConvertTest, FloatingPointTextUsesTheDecimalSeparatorOfTheCurrentLocale)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ".");
    expectConversions({
        {Make(L"1.5"), V::eVariantTypeDouble, Make(1.5)},
        {Make("  -2.25e2"), V::eVariantTypeDouble, Make(-225.0)},
        {Make(""), V::eVariantTypeDouble, Make(0.0)},
        {Make(L""), V::eVariantTypeFloat, Make(0.0f)},
        {Make("0.1"), V::eVariantTypeFloat, Make(0.1f)},
        {Make(2.25), V::eVariantTypeStringW, Make(L"2.250000")},
    });
    expectRefused(Make(L"1,5"), V::eVariantTypeDouble, 764);

    const CommaLocale comma;
    if (!comma.active)
        GTEST_SKIP() << "no locale with a decimal comma could be set or generated";
    expectConversions({
        {Make(L"1,5"), V::eVariantTypeDouble, Make(1.5)},
        {Make(" -0,125"), V::eVariantTypeFloat, Make(-0.125f)},
        {Make(2.25), V::eVariantTypeStringW, Make(L"2,250000")},
        {Make(-0.5f), V::eVariantTypeStringA, Make("-0,500000")},
    });
    expectRefused(Make(L"1.5"), V::eVariantTypeDouble, 764);
    CbVariant v = Make(1234.5);
    EXPECT_EQ(static_cast<double>(std::as_const(v.ConvertTo(V::eVariantTypeStringW).ConvertTo(V::eVariantTypeDouble))),
              1234.5);
}

} // namespace
