// The narrow-text converters that the DLL supplies to MinGW's COM support classes.
#include <cbfoundation/platform/CodePage.h>
#include <cbfoundation/platform/OleVariant.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ComSupport, NarrowTextCrossesToOleStringsAndBackInTheProcessCodePage)
{
    const std::wstring wide = L"Gr\u00FC\u00DFe";
    const std::string narrow = cbf::platform::WideToNarrow(wide.data(), wide.size());

    const _bstr_t text(narrow.c_str());
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)), wide);
    EXPECT_EQ(std::string(static_cast<const char*>(text)), narrow);

    const _variant_t value(narrow.c_str());
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(value.bstrVal), wide.size());
}

} // namespace
