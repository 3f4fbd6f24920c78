// Tests of CbVariant::GetAs, the export of a variant's value as an OLE VARIANT.
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/OleVariant.h>

#include "base/values/CbVariantTestSupport.h"

#include <string>
#include <tuple>

namespace {

using variant_test::Make;

TEST(CbVariantGetAs, EveryScalarTypeBecomesItsOleTypeWithItsValue)
{
    const std::tuple<CbVariant, VARTYPE, double> cases[] = {{Make(true), VT_BOOL, -1},
                                                            {Make(-7), VT_INT, -7},
                                                            {Make(1.5f), VT_R4, 1.5},
                                                            {Make(-2.25), VT_R8, -2.25},
                                                            {Make<char>(-3), VT_I1, -3},
                                                            {Make<signed char>(-5), VT_INT, -5},
                                                            {Make<unsigned char>(200), VT_UI1, 200},
                                                            {Make<short>(-300), VT_I2, -300},
                                                            {Make<unsigned short>(65000), VT_UI2, 65000},
                                                            {Make(4000000000u), VT_UINT, 4000000000.0}};
    for (const auto& [value, type, number] : cases) {
        _variant_t result = value.GetAs(CbTypeToType<_variant_t>());
        EXPECT_EQ(result.vt, type) << "variant type " << value.GetType();
        result.ChangeType(VT_R8); // reads the member that belongs to the type
        EXPECT_EQ(result.dblVal, number) << "variant type " << value.GetType();
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
    for (const CbVariant& value : {CbVariant(), Make(1ll), Make("narrow"), Make(CbDateTime(0ULL))}) {
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
