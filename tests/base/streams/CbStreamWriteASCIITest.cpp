// Tests of the text writers: rendering of every value, truncation, localization, string and trace writers.
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
        {'.', 0, false, false,
         [](auto& s) { s << static_cast<signed char>(-128) << static_cast<unsigned char>(200) << 'A'; }, "-128200A"},
        {'.', 0, false, false, [](auto& s) { s << INT_MIN << ' ' << 4294967295u << ' ' << -5L << 5UL; },
         "-2147483648 4294967295 -55"},
        {'.', 0, false, false,
         [](auto& s) { s << static_cast<__int64>(LLONG_MIN) << static_cast<unsigned short>(65535); },
         "-922337203685477580865535"},
        {'.', 0, false, false, [](auto& s) { s << 1.5 << ' ' << 2.0f << ' ' << -0.0000004; },
         "1.500000 2.000000 -0.000000"},
        {'.', 0, false, false, [](auto& s) { s << true << false << "n" << L"w" << CStringA("A") << CStringW(L"W"); },
         "truefalsenwAW"},
        {'.', 0, false, true, [](auto& s) { s << 1.5 << ' ' << 100.0 << ' ' << 0.0 << ' ' << -0.5f << ' ' << 100; },
         "1.5 100 0 -0.5 100"},
        // Localizing with the C locale changes nothing.
        {'.', 0, true, false, [](auto& s) { s << 1234567.5 << ' ' << -1000; }, "1234567.500000 -1000"},
        {',', '.', true, true, [](auto& s) { s << 1234567.5 << ' ' << 0.25 << ' ' << static_cast<unsigned char>(200); },
         "1.234.567,5 0,25 200"},
        {',', '.', true, false, [](auto& s) { s << 999 << ' ' << -123456 << ' ' << -12345.5 << ' ' << ULLONG_MAX; },
         "999 -123.456 -12.345,500000 18.446.744.073.709.551.615"},
        {',', '.', true, false, [](auto& s) { s.WriteAddress(reinterpret_cast<const void*>(0xABCDEF12)); },
         "0x00000000ABCDEF12"},
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
    RecordingTrace trace;
    trace << std::string(5000, 'n').c_str() << std::wstring(2046, L'w').c_str() << L"" << 1023
          << std::string(1023, 'x').c_str();
    EXPECT_EQ(trace.lengths, (std::vector<std::size_t>{1023, 1023, 1023, 1023, 908, 1023, 1023, 4, 1023}));
    CbStreamWriteASCIITrace() << std::wstring(5000, L'w').c_str() << 1.5; // the system's trace takes it
}

} // namespace
