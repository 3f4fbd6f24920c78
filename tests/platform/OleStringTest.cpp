// Tests of OLE strings: allocation, the Cb exports and the wide-text conversion.
#include <cbfoundation/platform/OleString.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using OleText = std::basic_string<OLECHAR>;

OleText oleText(const std::u16string& units)
{
    return OleText(units.begin(), units.end());
}

OleText contents(BSTR text)
{
    return OleText(text, SysStringLen(text));
}

// The conversion itself is tested in Utf16Test. Every other string is freed
// with the system's name, so that each side frees what the other allocated.
TEST(OleString, WideTextBecomesUtf16AndComesBackWhole)
{
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""},
        {std::wstring{L'a', wchar_t(0xD800), L'\0'} + L"\U0001F600", {u'a', 0xD800, u'\0', 0xD83D, 0xDE00}},
    };
    bool freeWithExport = false;
    for (const auto& [wide, units] : cases) {
        const BSTR text = CbOleStringFromWide(wide.data(), wide.size());
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(contents(text), oleText(units));
        EXPECT_EQ(text[units.size()], OLECHAR(0));
        const CStringW back = CbWideFromOleString(text);
        EXPECT_EQ(std::wstring(back.GetString(), back.GetLength()), wide);
        freeWithExport = !freeWithExport;
        freeWithExport ? CbSysFreeString(text) : SysFreeString(text);
    }
}

TEST(OleString, ACountedAllocationWithoutTextReservesAndNullIsTheEmptyString)
{
    const BSTR reserved = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(reserved, nullptr);
    EXPECT_TRUE(CbSysStringLen(reserved) == 4 && reserved[4] == OLECHAR(0));
    CbSysFreeString(reserved);

    EXPECT_TRUE(CbSysAllocString(nullptr) == nullptr && CbSysStringLen(nullptr) == 0);
    EXPECT_TRUE(CbWideFromOleString(nullptr).IsEmpty());
    CbSysFreeString(nullptr);
}

} // namespace
