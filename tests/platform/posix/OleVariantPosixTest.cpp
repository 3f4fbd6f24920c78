// The limits of the POSIX OLE variant: no text conversions, no COM types.
#include <cbfoundation/platform/OleVariant.h>

#include <gtest/gtest.h>

namespace {

TEST(OleVariantPosix, RefusesWhatItCannotHoldOrConvertAndLeavesTheTargetAlone)
{
    _variant_t text(L"12");
    _variant_t target(7);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_INT), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&target, &target, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_DISPATCH), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_ARRAY | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_BYREF | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(target.vt, VT_INT);
    EXPECT_EQ(target.intVal, 7);

    VARIANT unknown;
    VariantInit(&unknown);
    unknown.vt = VT_UNKNOWN;
    EXPECT_EQ(VariantClear(&unknown), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&target, &unknown), DISP_E_BADVARTYPE);
    EXPECT_EQ(target.intVal, 7);
    EXPECT_THROW(target.ChangeType(VT_I1, &text), _com_error);

    // A signed char range for VT_I1, however char is signed.
    _variant_t small(-128);
    EXPECT_EQ(VariantChangeType(&target, &small, 0, VT_I1), S_OK);
    EXPECT_EQ(static_cast<signed char>(target.cVal), -128);
    _variant_t large(128);
    EXPECT_EQ(VariantChangeType(&target, &large, 0, VT_I1), DISP_E_OVERFLOW);
}

} // namespace
