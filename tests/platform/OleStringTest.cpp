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

// Every other string is freed with the system's name, so that each side frees
// what the other allocated.
TEST(OleString, WideTextBecomesUtf16AndComesBackWhole)
{
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""},
        {L"C:\\Gr\u00FC\u00DFe \u20AC", u"C:\\Gr\u00FC\u00DFe \u20AC"},
        {L"\U0001F600/\U0010FFFF", {0xD83D, 0xDE00, u'/', 0xDBFF, 0xDFFF}},
        {{L'a', wchar_t(0xD800), L'\0', wchar_t(0xDC00)}, {u'a', 0xD800, u'\0', 0xDC00}},
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

TEST(OleString, ExportsAgreeWithTheSystemNamesAndFreeEachOthersStrings)
{
    const OleText text = oleText(u"Gr\u00FC\u00DFe \U0001F600");
    const BSTR exported = CbSysAllocString(text.c_str());
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(contents(exported), text);
    EXPECT_EQ(CbSysStringLen(exported), text.size());
    SysFreeString(exported);

    // Without a text the counted allocation only reserves the units, still terminated.
    const BSTR reserved = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(reserved, nullptr);
    EXPECT_EQ(CbSysStringLen(reserved), 4u);
    EXPECT_EQ(reserved[4], OLECHAR(0));
    CbSysFreeString(reserved);

    // Null is the empty OLE string everywhere.
    EXPECT_EQ(CbSysAllocString(nullptr), nullptr);
    EXPECT_EQ(CbSysStringLen(nullptr), 0u);
    CbSysFreeString(nullptr);
    EXPECT_TRUE(CbWideFromOleString(nullptr).IsEmpty());
}

} // namespace
