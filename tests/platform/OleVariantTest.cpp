// Tests of OLE variants: ownership of OLE strings, conversion between numbers, _variant_t.
#include <cbfoundation/platform/OleVariant.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring textOf(const VARIANT& value)
{
    const CStringW text = CbWideFromOleString(value.bstrVal);
    return std::wstring(text.GetString(), text.GetLength());
}

TEST(OleVariant, NumbersConvertExactlyRoundHalfToEvenAndReportOverflow)
{
    // Not const: MinGW declares the source argument without it.
    struct
    {
        _variant_t source;
        VARTYPE type;
        HRESULT status;
        double value;
    } cases[] = {
        {_variant_t(300), VT_UI1, DISP_E_OVERFLOW, 0},
        {_variant_t(2.5), VT_INT, S_OK, 2},
        {_variant_t(3.5), VT_INT, S_OK, 4},
        {_variant_t(1e10), VT_INT, DISP_E_OVERFLOW, 0},
        {_variant_t(true), VT_INT, S_OK, -1},
        {_variant_t(7u), VT_BOOL, S_OK, -1},
    };
    // A failed change leaves the target as it was.
    for (auto& [source, type, status, value] : cases) {
        _variant_t result(1.0);
        ASSERT_EQ(VariantChangeType(&result, &source, 0, type), status) << "to type " << type;
        EXPECT_EQ(result.vt, status == S_OK ? type : VARTYPE{VT_R8});
        _variant_t asDouble;
        ASSERT_EQ(VariantChangeType(&asDouble, &result, 0, VT_R8), S_OK);
        EXPECT_EQ(asDouble.dblVal, status == S_OK ? value : 1.0) << "to type " << type;
    }
}

// Copying over a string frees it; changing a string to VT_BSTR in place keeps it.
TEST(OleVariant, CopiesOwnTheirTextAndABadTypeThrowsComErrorWithTheStatus)
{
    const std::wstring text = L"\U0001F600 text";
    _variant_t source(text.c_str());
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_EQ(VariantChangeType(&copy, &copy, 0, VT_BSTR), S_OK);
    EXPECT_TRUE(copy.bstrVal != source.bstrVal && textOf(copy) == text);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(copy.vt, VT_EMPTY);

    VARIANT unknown;
    VariantInit(&unknown);
    unknown.vt = 0x0FFF;
    try {
        const _variant_t bad(unknown);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), DISP_E_BADVARTYPE);
    }
}

} // namespace
