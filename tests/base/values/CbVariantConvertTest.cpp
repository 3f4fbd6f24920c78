// Tests of CbVariant::ConvertTo (every pair of source and target type, the failures and their
// history, NaN and out-of-range values, the locale of the text conversions) and of GetAs.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/Environment.h>
#include <cbfoundation/platform/OleVariant.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace variant_test;

namespace {

using Type = CbVariant::EVariantType;
using V = CbVariant;
using SChar = signed char;
using UChar = unsigned char;
using UShort = unsigned short;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr unsigned __int64 kTwoTo63 = 1ull << 63;

CbVariant date(const wchar_t* text)
{
    return Make(CbDateTime(text));
}

std::string describe(const CbVariant& v, Type target)
{
    return "from type " + std::to_string(v.GetType()) + " to type " + std::to_string(target);
}

// The variant's own bytes: its tag and its inline value or the address of
// the object it holds, which a failed conversion must keep.
std::array<unsigned char, sizeof(CbVariant)> bytesOf(const CbVariant& v)
{
    std::array<unsigned char, sizeof(CbVariant)> bytes;
    std::memcpy(bytes.data(), static_cast<const void*>(&v), sizeof v);
    return bytes;
}

// Converts a copy of `source`, expecting the conversion exception with line
// 627 whose history is at `historyLine`, and the copy unchanged.
void expectRefused(const CbVariant& source, Type target, unsigned historyLine,
                   const char* historyFile = "CbVariant.cpp")
{
    CbVariant v = source;
    const auto before = bytesOf(v);
    try {
        v.ConvertTo(target);
        ADD_FAILURE() << describe(source, target);
    } catch (const CbVariant::CbExceptionConversion& e) {
        const CbSmartPointer<const CbException> history = e.GetHistory();
        EXPECT_TRUE(std::string(e.GetFilename()) == "CbVariant.cpp" && e.GetCodeLine() == 627 && history &&
                    history->GetCodeLine() == historyLine && std::string(history->GetFilename()) == historyFile)
            << describe(source, target);
    }
    EXPECT_TRUE(bytesOf(v) == before && v == source) << describe(source, target);
}

// Each source with the values it converts to, in place; a value's type is
// the target.
struct Conversions
{
    CbVariant source;
    std::vector<CbVariant> results;
};

void expectConversion(const CbVariant& source, const CbVariant& expected)
{
    CbVariant v = source;
    const Type target = expected.GetType();
    EXPECT_TRUE(&v.ConvertTo(target) == &v && v.GetType() == target && v == expected) << describe(source, target);
}

void expectConversions(std::span<const Conversions> table)
{
    for (const auto& [source, results] : table)
        for (const CbVariant& expected : results)
            expectConversion(source, expected);
}

TEST(CbVariantConvertTest, ToItsOwnTypeNothingHappensAndToNullAlwaysSucceeds)
{
    for (CbVariant& v : VariantsOf(-2.5, L"wide", Bytes({1}), static_cast<const IObject&>(Shape(5)))) {
        const auto before = bytesOf(v);
        EXPECT_EQ(&v.ConvertTo(v.GetType()), &v);
        EXPECT_EQ(bytesOf(v), before) << "type " << v.GetType();
        EXPECT_TRUE(v.ConvertTo(V::eVariantTypeNull).IsNull());
    }
}

// Each target has a line of its own for the sources it does not take.
TEST(CbVariantConvertTest, SourcesAConversionDoesNotTakeAreRefusedWithItsLine)
{
    const std::pair<Type, unsigned> targets[] = {
        {V::eVariantTypeBool, 899},     {V::eVariantTypeInt, 1082},     {V::eVariantTypeShort, 1014},
        {V::eVariantTypeSChar, 933},    {V::eVariantTypeInt64, 1150},   {V::eVariantTypeUInt, 1116},
        {V::eVariantTypeUShort, 1048},  {V::eVariantTypeUChar, 980},    {V::eVariantTypeChar, 980},
        {V::eVariantTypeUInt64, 1184},  {V::eVariantTypeFloat, 1218},   {V::eVariantTypeDouble, 1252},
        {V::eVariantTypeStringW, 1288}, {V::eVariantTypeStringA, 1288}, {static_cast<Type>(19), 622},
        {V::eVariantTypeDateTime, 617}};
    for (const auto& [target, line] : targets)
        expectRefused(Make(Bytes({7})), target, line);
    expectRefused(V(), V::eVariantTypeInt, 1082);
    expectRefused(date(L"2024-02-29 13:05:09"), V::eVariantTypeDouble, 1252);
}

TEST(CbVariantConvertTest, TextThatHoldsNoNumberOrDateIsRefused)
{
    const std::tuple<CbVariant, Type, unsigned> cases[] = {
        {Make(" \t"), V::eVariantTypeShort, 782},    {Make(L"-"), V::eVariantTypeInt64, 800},
        {Make("abc"), V::eVariantTypeUInt, 818},     {Make(L"x1"), V::eVariantTypeUChar, 836},
        {Make("12abc"), V::eVariantTypeDouble, 764}, {Make(CStringW(L"1.5\0007", 5)), V::eVariantTypeDouble, 764}};
    for (const auto& [source, target, line] : cases)
        expectRefused(source, target, line);

    // The date parser's own exception is the history.
    expectRefused(Make(L"2024-02-29T13:05:09"), V::eVariantTypeDateTime, 292, "CbDateTime");
    expectRefused(Make("29.02.2024"), V::eVariantTypeDateTime, 235, "CbDateTime");
}

TEST(CbVariantConvertTest, ToBoolTestsForZeroAndForTheTextZero)
{
    for (const CbVariant& zero : {Make<short>(0), Make(-0.0f), Make(L"0"), Make("0")})
        expectConversion(zero, Make(false));
    for (const CbVariant& other :
         {Make<UShort>(0x100), Make(0x10000000000ull), Make(0.001), Make(kNaN), Make(""), Make(L"00")})
        expectConversion(other, Make(true));
}

TEST(CbVariantConvertTest, IntegersKeepTheirBitsZeroExtendedOrCutAndBecomeFloatingPointAndTextByValue)
{
    const Conversions cases[] = {
        {Make(true), {Make<short>(1), Make(1.0), Make(L"1")}},
        {Make('A'), {Make(L"A")}},
        {Make('\xFF'), {Make(255), Make(-1.0f)}},
        {Make<SChar>(-1), {Make(255ull), Make(L"-1")}},
        {Make<short>(-1), {Make(65535), Make(-1.0), Make(L"-1")}},
        {Make<UShort>(65535), {Make<short>(-1), Make(65535.0f), Make(L"65535")}},
        {Make(-1), {Make(4294967295ll), Make(-1.0), Make("-1")}},
        {Make(4294967295u), {Make(-1), Make(4294967295.0), Make(L"-1")}},
        {Make(4294967301ll), {Make(5), Make<short>(5), Make(L"4294967301")}},

        {Make(LLONG_MIN), {Make(-9223372036854775808.0), Make(L"-9223372036854775808")}},
        {Make(ULLONG_MAX), {Make<SChar>(-1), Make(18446744073709551616.0), Make("18446744073709551615")}}};
    expectConversions(cases);
}

TEST(CbVariantConvertTest, FloatingPointIsRoundedHalfUpThenConvertedThroughItsIntermediate)
{
    const Conversions cases[] = {
        {Make(2.5f), {Make(3), Make(L"2.500000")}},
        {Make(-2.5f), {Make(-2)}},

        {Make(0.49999997f), {Make(1)}}, // x + 0.5 rounds up in single precision
        {Make(0.49999997), {Make(0)}},

        {Make(-1.0f), {Make(ULLONG_MAX)}},
        {Make(300.0f), {Make<SChar>(44)}},
        {Make(4294967296.0), {Make(0u)}}, // through 64 bits, then cut
        {Make(9223372036854777856.0), {Make(kTwoTo63 + 2048)}},
        // NaN and values beyond the intermediate integer: its smallest value, cut.
        {Make(kNaN), {Make(INT_MIN), Make<SChar>(0), Make(LLONG_MIN), Make(kTwoTo63)}},
        {Make(1e19), {Make(LLONG_MIN)}},
        {Make(kInf), {Make(0ull)}},
    };
    expectConversions(cases);
}

TEST(CbVariantConvertTest, TextIsScannedAsScanfReadsItAndDatesBecomeTextToTheSecond)
{
    const CbVariant withMilliseconds = Make(CbDateTime(SYSTEMTIME{1999, 12, 5, 31, 23, 59, 59, 789}));
    const Conversions cases[] = {{Make("0x1F"), {Make(31), Make(0u)}},
                                 {Make(L" \t-0X10"), {Make(-16)}},
                                 {Make(L"017"), {Make<short>(15), Make<UShort>(17)}},

                                 {Make("+12abc"), {Make(12)}},
                                 {Make("-1"), {Make(ULLONG_MAX)}},
                                 {Make(L"99999999999999999999"), {Make(7766279631452241919ull)}}, // wraps
                                 {Make("300"), {Make(',')}},
                                 {Make(L"Gr\u00FC\u00DFe"), {Make(CStringA(L"Gr\u00FC\u00DFe"))}},
                                 {Make("plain"), {Make(L"plain")}},
                                 {Make(L"2024-02-29 13:05:09"), {date(L"2024-02-29 13:05:09")}},
                                 {Make("2024-02-29 13:05:09 and more"), {date(L"2024-02-29 13:05:09")}},
                                 {withMilliseconds, {Make(L"1999-12-31 23:59:59"), Make("1999-12-31 23:59:59")}}};
    expectConversions(cases);
}

// Makes a locale with a decimal comma the numeric locale while it lives: an
// installed one, or else one that localedef generates into a temporary folder.
struct CommaLocale
{
    CommaLocale() { active = trySet() || (generate() && trySet()); }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous.c_str()); }

    bool trySet() const
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "fr_FR.UTF-8"})
            if (std::setlocale(LC_NUMERIC, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0)
                return true;
        std::setlocale(LC_NUMERIC, previous.c_str());
        return false;
    }

    // Made beside and renamed, so that concurrent runs never see half a locale.
    static bool generate()
    {
        std::error_code ignored;
        const auto folder = std::filesystem::temp_directory_path() / "cbfoundation-test-locales";
        const auto made = folder / std::to_string(std::random_device()());
        std::filesystem::create_directories(folder, ignored);
        const std::string command = "localedef -i de_DE -f UTF-8 '" + made.string() + "' >/dev/null 2>&1";
        if (!std::filesystem::exists(folder / "de_DE.UTF-8" / "LC_NUMERIC") && std::system(command.c_str()) == 0)
            std::filesystem::rename(made, folder / "de_DE.UTF-8", ignored);
        std::filesystem::remove_all(made, ignored);
        return cbf::platform::WriteEnvironmentVariable(L"LOCPATH", folder.wstring().c_str());
    }

    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool active = false;
};

// strtod and printf follow the current numeric locale: "C", then one with a
// decimal comma.
TEST(CbVariantConvertTest, FloatingPointTextUsesTheDecimalSeparatorOfTheCurrentLocale)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ".");
    const Conversions cases[] = {
        {Make(L"1.5"), {Make(1.5)}}, {Make("  -2.25e2"), {Make(-225.0)}}, {Make(L""), {Make(0.0f)}}};
    expectConversions(cases);
    expectRefused(Make(L"1,5"), V::eVariantTypeDouble, 764);
    const CommaLocale comma;
    if (!comma.active)
        GTEST_SKIP() << "no locale with a decimal comma could be set or generated";
    const Conversions commaCases[] = {{Make(L"1,5"), {Make(1.5)}},
                                      {Make(" -0,125"), {Make(-0.125f)}},
                                      {Make(2.25), {Make(L"2,250000"), Make("2,250000")}}};
    expectConversions(commaCases);
    expectRefused(Make(L"1.5"), V::eVariantTypeDouble, 764);
}

TEST(CbVariantGetAs, EveryScalarTypeBecomesItsOleTypeWithItsValue)
{
    const std::tuple<CbVariant, VARTYPE, double> cases[] = {
        {Make(true), VT_BOOL, -1},        {Make(-7), VT_INT, -7},           {Make(1.5f), VT_R4, 1.5},
        {Make(-2.25), VT_R8, -2.25},      {Make<char>(-3), VT_I1, -3},      {Make<SChar>(-5), VT_INT, -5},
        {Make<UChar>(200), VT_UI1, 200},  {Make<short>(-300), VT_I2, -300}, {Make<UShort>(65000), VT_UI2, 65000},
        {Make(4000000000u), VT_UINT, 4e9}};
    for (const auto& [value, type, number] : cases) {
        _variant_t result = value.GetAs(CbTypeToType<_variant_t>());
        EXPECT_EQ(result.vt, type) << "variant type " << value.GetType();
        result.ChangeType(VT_R8); // reads the member that belongs to the type
        EXPECT_EQ(result.dblVal, number) << "variant type " << value.GetType();
    }
}

TEST(CbVariantGetAs, WideTextBecomesANewOleStringOfItsWholeText)
{
    const std::wstring text = std::wstring(L"C:\\Gr\u00FC\u00DFe \U0001F600") + L'\0' + L"x";
    const CbVariant value = Make(CStringW(text.data(), static_cast<int>(text.size())));
    const _variant_t result = value.GetAs(CbTypeToType<_variant_t>());
    ASSERT_EQ(result.vt, VT_BSTR);
    ASSERT_NE(result.bstrVal, nullptr);
    const CStringW back = CbWideFromOleString(result.bstrVal);
    EXPECT_EQ(std::wstring(back.GetString(), back.GetLength()), text);
}

TEST(CbVariantGetAs, TypesWithoutAnOleFormThrowLine459)
{
    for (const CbVariant& value : {CbVariant(), Make(1ll), Make("narrow"), Make(CbDateTime(0ULL))})
        ExpectThrowsAt([&] { static_cast<void>(value.GetAs(CbTypeToType<_variant_t>())); }, "CbVariant.cpp", 459,
                       nullptr, &CbVariant::CbExceptionConversion::RTTI);
}

} // namespace
