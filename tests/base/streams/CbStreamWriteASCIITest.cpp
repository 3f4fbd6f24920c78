// Tests of the text writers: rendering of every value, truncation, localization, string and trace writers.
#include <cbfoundation/base/streams/CbFormat.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Narrow = CbStreamWriteASCIIStringT<CStringA>;
using Wide = CbStreamWriteASCIIStringT<CStringW>;
using Insert = std::function<void(CbStreamWriteASCII&)>;

// Sets the locale items for one test and puts back those of the process.
class LocaleItems
{
public:
    LocaleItems(char point, char separator) { CbStreamWriteASCII::SetLocaleItems(point, separator); }
    ~LocaleItems() { CbStreamWriteASCII::CaptureLocale(); }
};

std::string render(const Insert& insert, bool localize = false, bool truncate = false)
{
    Narrow out(localize);
    out.SetTruncateFloats(truncate);
    insert(out);
    return static_cast<const char*>(out);
}

// Plain text of every value, then truncation of trailing zeros and the
// locale's decimal point and thousands separator applied to numbers only.
TEST(CbStreamWriteASCIITest, NumbersHaveTheirPlainTextTruncatedAndLocalized)
{
    // The decimal point and separator, whether to localize and truncate, the insertion and its text.
    const std::tuple<char, char, bool, bool, Insert, const char*> cases[] = {
        {'.', 0, false, false, [](auto& s) { s << static_cast<signed char>(-128); }, "-128"},
        {'.', 0, false, false, [](auto& s) { s << static_cast<unsigned char>(200) << 'A'; }, "200A"},
        {'.', 0, false, false, [](auto& s) { s << static_cast<short>(-32768); }, "-32768"},
        {'.', 0, false, false, [](auto& s) { s << static_cast<unsigned short>(65535); }, "65535"},
        {'.', 0, false, false, [](auto& s) { s << INT_MIN << ' ' << 4294967295u; }, "-2147483648 4294967295"},
        {'.', 0, false, false, [](auto& s) { s.WriteVersion(7); }, "7"},
        {'.', 0, false, false, [](auto& s) { s << -5L << 5UL; }, "-55"},
        {'.', 0, false, false, [](auto& s) { s << static_cast<__int64>(LLONG_MIN); }, "-9223372036854775808"},
        {'.', 0, false, false, [](auto& s) { s << ULLONG_MAX; }, "18446744073709551615"},
        {'.', 0, false, false, [](auto& s) { s << 1.5 << ' ' << 2.0f; }, "1.500000 2.000000"},
        {'.', 0, false, false, [](auto& s) { s << -0.0000004 << ' ' << 0.1f; }, "-0.000000 0.100000"},
        {'.', 0, false, false, [](auto& s) { s << 1e20; }, "100000000000000000000.000000"},
        {'.', 0, false, false, [](auto& s) { s << true << false; }, "truefalse"},
        {'.', 0, false, false, [](auto& s) { s << "narrow" << L"wide" << CStringA("A") << CStringW(L"W"); },
         "narrowwideAW"},
        {'.', 0, false, false, [](auto& s) { s << CbFormatA("%d-%s", 3, "x"); }, "3-x"},
        {'.', 0, false, false, [](auto& s) { s.WriteAddress(nullptr); }, "0x0000000000000000"},
        {'.', 0, false, false, [](auto& s) { s.WriteAddress(reinterpret_cast<const void*>(0xABCDEF12)); },
         "0x00000000ABCDEF12"},
        {'.', 0, false, true, [](auto& s) { s << 1.5 << ' ' << 100.0 << ' ' << 0.0; }, "1.5 100 0"},
        {'.', 0, false, true, [](auto& s) { s << -0.5f << ' ' << 100; }, "-0.5 100"},
        // Localizing with the C locale changes nothing.
        {'.', 0, true, false, [](auto& s) { s << 1234567.5 << ' ' << -1000; }, "1234567.500000 -1000"},
        {',', '.', true, true, [](auto& s) { s << 1234567.5 << ' ' << 2.0 << ' ' << 0.25; }, "1.234.567,5 2 0,25"},
        {',', '.', true, true, [](auto& s) { s << 1000 << ' ' << static_cast<unsigned char>(200); }, "1.000 200"},
        {',', '.', true, false, [](auto& s) { s << 999 << ' ' << -123456 << ' ' << -12345.5; },
         "999 -123.456 -12.345,500000"},
        {',', '.', true, false, [](auto& s) { s << ULLONG_MAX; }, "18.446.744.073.709.551.615"},
        {',', '.', true, false, [](auto& s) { s << static_cast<signed char>(-100) << 1234L << 'x'; }, "-1001.234x"},
        {',', '.', true, false, [](auto& s) { s.WriteAddress(reinterpret_cast<const void*>(0x1234)); },
         "0x0000000000001234"},
        {',', '.', false, false, [](auto& s) { s << 1234.5; }, "1234.500000"},
        // A separator but no other decimal point.
        {'.', ',', true, true, [](auto& s) { s << 1234567.25 << ' ' << 12345678; }, "1,234,567.25 12,345,678"},
    };
    for (const auto& [point, separator, localize, truncate, insert, expected] : cases) {
        const LocaleItems items(point, separator);
        EXPECT_EQ(render(insert, localize, truncate), expected);
    }
    EXPECT_EQ(render([](auto& s) { s << DBL_MAX; }).size(), 309u + 7u);
}

TEST(CbStreamWriteASCIITest, StringWritersAccumulateEitherWidth)
{
    Narrow narrow;
    narrow << 42 << " apples" << false;
    EXPECT_STREQ(narrow, "42 applesfalse");

    Wide wide(CStringW(L"x="));
    wide << "cafe" << L"!" << narrow;
    EXPECT_EQ(static_cast<const CStringW&>(wide), L"x=cafe!42 applesfalse");
    narrow << wide;
    EXPECT_STREQ(narrow, "42 applesfalsex=cafe!42 applesfalse");

    Wide copy(wide);
    copy.SetTruncateFloats(true);
    wide = copy;
    wide << 1.0;
    EXPECT_EQ(static_cast<const CStringW&>(wide), L"x=cafe!42 applesfalse1");
    wide.Empty();
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_FALSE(copy.IsEmpty());

    // One registry entry answers for both widths.
    EXPECT_EQ(&narrow.GetRTTI(), &wide.GetRTTI());
    EXPECT_STREQ(narrow.GetClassNameW(), L"CbStreamWriteASCIIStringT");
}

// Keeps the length of every message instead of discarding it.
class RecordingTrace : public CbStreamWriteASCIITrace
{
public:
    std::vector<std::size_t> lengths;

protected:
    void message(const wchar_t*, std::size_t length) override { lengths.push_back(length); }
    void message(const char*, std::size_t length) override { lengths.push_back(length); }
};

TEST(CbStreamWriteASCIITest, TraceCutsTextIntoMessagesOfAtMost1023Characters)
{
    const std::vector<std::size_t> expected = {1023, 1023, 1023, 1023, 908};
    RecordingTrace trace;
    trace << std::string(5000, 'n').c_str();
    EXPECT_EQ(trace.lengths, expected);
    trace.lengths.clear();
    trace << std::wstring(5000, L'w').c_str() << L"" << 1023 << std::string(1023, 'x').c_str();
    EXPECT_EQ(trace.lengths, (std::vector<std::size_t>{1023, 1023, 1023, 1023, 908, 4, 1023}));
    CbStreamWriteASCIITrace() << std::wstring(5000, L'w').c_str() << 1.5; // the system's trace takes it
}

} // namespace
