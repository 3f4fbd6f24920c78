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

TEST(OleString, WideTextBecomesUtf16AndComesBackWhole)
{
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""},
        {L"ExternalDataPath", u"ExternalDataPath"},
        {L"C:\\Daten\\Gr\u00FC\u00DFe \u20AC", u"C:\\Daten\\Gr\u00FC\u00DFe \u20AC"},
        {L"\U0001F600/\U0010FFFF", {0xD83D, 0xDE00, u'/', 0xDBFF, 0xDFFF}},
        {{L'a', wchar_t(0xD800), L'b', wchar_t(0xDC00)}, {u'a', 0xD800, u'b', 0xDC00}},
        {{L'x', L'\0', L'y'}, {u'x', u'\0', u'y'}},
    };
    bool freeWithExport = false;
    for (const auto& [wide, units] : cases) {
        const BSTR text = CbOleStringFromWide(wide.data(), wide.size());
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(contents(text), oleText(units));
        EXPECT_EQ(CbSysStringLen(text), units.size());
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
    const BSTR system = SysAllocString(text.c_str());
    ASSERT_NE(exported, nullptr);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(contents(exported), text);
    EXPECT_EQ(contents(system), text);
    EXPECT_EQ(CbSysStringLen(system), SysStringLen(exported));
    SysFreeString(exported);
    CbSysFreeString(system);

    const BSTR empty = CbSysAllocString(oleText(u"").c_str());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], OLECHAR(0));
    CbSysFreeString(empty);

    // Counted allocation keeps NULs inside the text; without a text it only
    // reserves the units, still terminated.
    const OleText withNul = oleText(std::u16string(u"a\0b\0c", 5));
    const BSTR counted = SysAllocStringLen(withNul.c_str(), 5);
    EXPECT_EQ(contents(counted), withNul);
    EXPECT_EQ(CbSysStringLen(counted), 5u);
    SysFreeString(counted);
    const BSTR reserved = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(reserved, nullptr);
    EXPECT_EQ(SysStringLen(reserved), 4u);
    EXPECT_EQ(reserved[4], OLECHAR(0));
    SysFreeString(reserved);

    // Null is the empty OLE string everywhere.
    EXPECT_EQ(CbSysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(CbSysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    CbSysFreeString(nullptr);
    SysFreeString(nullptr);
    EXPECT_TRUE(CbWideFromOleString(nullptr).IsEmpty());
}

} // namespace
