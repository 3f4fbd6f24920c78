// Tests of CbVariant::GetAs, the export of a variant's value as an OLE VARIANT.
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/OleVariant.h>

#include "base/values/CbVariantTestSupport.h"

#include <string>

namespace {

using variant_test::Make;

// The number a VARIANT of one of the exported scalar types holds.
long double numberIn(const VARIANT& value)
{
    switch (value.vt) {
    case VT_BOOL:
        return value.boolVal;
    case VT_INT:
        return value.intVal;
    case VT_UINT:
        return value.uintVal;
    case VT_R4:
        return value.fltVal;
    case VT_R8:
        return value.dblVal;
    case VT_I1:
        return static_cast<signed char>(value.cVal);
    case VT_UI1:
        return value.bVal;
    case VT_I2:
        return value.iVal;
    case VT_UI2:
        return value.uiVal;
    default:
        ADD_FAILURE() << "not a number: VARIANT type " << value.vt;
        return 0;
    }
}

TEST(CbVariantGetAs, EveryScalarTypeBecomesItsOleTypeWithItsValue)
{
    const struct
    {
        CbVariant value;
        VARTYPE type;
        long double number;
    } cases[] = {
        {Make(true), VT_BOOL, -1},
        {Make(false), VT_BOOL, 0},
        {Make(-7), VT_INT, -7},
        {Make(4000000000u), VT_UINT, 4000000000.0L},
        {Make(1.5f), VT_R4, 1.5},
        {Make(-2.25), VT_R8, -2.25},
        {Make('x'), VT_I1, 'x'},
        {Make(static_cast<char>(-3)), VT_I1, -3},
        {Make(static_cast<signed char>(-5)), VT_INT, -5},
        {Make(static_cast<unsigned char>(200)), VT_UI1, 200},
        {Make(static_cast<short>(-300)), VT_I2, -300},
        {Make(static_cast<unsigned short>(65000)), VT_UI2, 65000},
    };
    for (const auto& [value, type, number] : cases) {
        const _variant_t result = value.GetAs(CbTypeToType<_variant_t>());
        EXPECT_EQ(result.vt, type) << "variant type " << value.GetType();
        EXPECT_EQ(numberIn(result), number) << "variant type " << value.GetType();
    }
}

TEST(CbVariantGetAs, WideTextBecomesANewOleStringOfItsWholeText)
{
    const std::wstring texts[] = {L"", L"C:\\Daten\\Gr\u00FC\u00DFe \U0001F600", {L'a', L'\0', L'b'}};
    for (const std::wstring& text : texts) {
        const CbVariant value = Make(CStringW(text.data(), static_cast<int>(text.size())));
        const _variant_t result = value.GetAs(CbTypeToType<_variant_t>());
        ASSERT_EQ(result.vt, VT_BSTR);
        ASSERT_NE(result.bstrVal, nullptr);
        const CStringW back = CbWideFromOleString(result.bstrVal);
        EXPECT_EQ(std::wstring(back.GetString(), back.GetLength()), text);
        // The result owns a copy: the variant's own text is untouched.
        EXPECT_EQ(static_cast<const CStringW&>(value).GetLength(), static_cast<int>(text.size()));
    }
}

TEST(CbVariantGetAs, TypesWithoutAnOleFormThrowLine459WithoutHistory)
{
    CbVariant::ByteArray bytes = variant_test::Bytes({1, 2});
    const CbVariant cases[] = {
        CbVariant(),
        Make(static_cast<__int64>(1)),
        Make(static_cast<unsigned __int64>(1)),
        Make("narrow"),
        Make(bytes),
        Make(CbDateTime(L"2024-02-29 13:05:09")),
        Make(variant_test::Shape()),
    };
    for (const CbVariant& value : cases) {
        try {
            value.GetAs(CbTypeToType<_variant_t>());
            ADD_FAILURE() << "no exception for variant type " << value.GetType();
        } catch (const CbVariant::CbExceptionConversion& e) {
            EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
            EXPECT_EQ(e.GetCodeLine(), 459u);
            EXPECT_FALSE(e.GetHistory());
        }
    }
}

} // namespace
