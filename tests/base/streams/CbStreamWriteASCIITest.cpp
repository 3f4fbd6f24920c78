// Tests of the text writers: rendering of every value, truncation, localization, string and trace writers.
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <functional>
#include <string>
#include <tuple>

namespace {

using Narrow = CbStreamWriteASCIIStringT<CStringA>;
using Insert = std::function<void(CbStreamWriteASCII&)>;

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
         [](auto& s) { s << static_cast<signed char>(-128) << 'A' << true << false << L"w" << CStringA("n"); },
         "-128Atruefalsewn"},
        {'.', 0, false, false,
         [](auto& s) { s << INT_MIN << ' ' << static_cast<__int64>(LLONG_MIN) << 5UL << 1.5 << ' ' << -0.0000004f; },
         "-2147483648 -922337203685477580851.500000 -0.000000"},
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
        // A separator but no other decimal point.
        {'.', ',', true, true, [](auto& s) { s << 1234567.25 << ' ' << 12345678; }, "1,234,567.25 12,345,678"},
    };
    for (const auto& [point, separator, localize, truncate, insert, expected] : cases) {
        CbStreamWriteASCII::SetLocaleItems(point, separator);
        EXPECT_EQ(render(insert, localize, truncate), expected);
    }
    CbStreamWriteASCII::CaptureLocale();
    EXPECT_EQ(render([](auto& s) { s << DBL_MAX; }).size(), 309u + 7u);
    // The system's trace takes texts of any length, cut into messages.
    CbStreamWriteASCIITrace() << std::string(5000, 'n').c_str() << std::wstring(5000, L'w').c_str() << 1.5;
}

} // namespace
