// The POSIX OLE layer: the block layout of OLE strings, which managed runtimes
// free themselves, and what the variant stand-in refuses.
#include <cbfoundation/platform/OleVariant.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(OleStringLayout, LengthPrecedesTheTextInAMallocBlockThatStartsEightBytesBefore)
{
    const std::u16string text(1000, u'\u20AC');
    for (const unsigned int length : {0u, 5u, 1000u}) {
        const BSTR string = length == 5 ? CbSysAllocString(u"fives") : SysAllocStringLen(text.data(), length);
        ASSERT_NE(string, nullptr);
        auto* const bytes = reinterpret_cast<unsigned char*>(string);
        std::uint32_t byteLength = 0;
        std::memcpy(&byteLength, bytes - 4, sizeof byteLength);
        EXPECT_EQ(byteLength, 2 * length);
        EXPECT_EQ(string[length], u'\0');
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(string) % 8, 0u);
        // The sanitizer build refuses a free of anything but a block's start.
        std::free(bytes - 8);
    }
}

TEST(OleStringLayout, LengthsBeyondThirtyTwoBitsOfBytesAreRefused)
{
    EXPECT_EQ(SysAllocStringLen(nullptr, cbf::platform::kLongestOleString + 1), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(OleVariantPosix, RefusesWhatItCannotHoldOrConvertAndLeavesTheTargetAlone)
{
    _variant_t text(L"12");
    _variant_t target(7);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_INT), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&target, &target, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&target, &text, 0, VT_ARRAY | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(target.vt, VT_INT);
    EXPECT_EQ(target.intVal, 7);
    EXPECT_THROW(target.ChangeType(VT_I1, &text), _com_error);
    EXPECT_EQ(target.intVal, 7);

    // A signed char range for VT_I1, however char is signed.
    _variant_t small(-128), large(128);
    EXPECT_EQ(VariantChangeType(&target, &small, 0, VT_I1), S_OK);
    EXPECT_EQ(static_cast<signed char>(target.cVal), -128);
    EXPECT_EQ(VariantChangeType(&target, &large, 0, VT_I1), DISP_E_OVERFLOW);
}

} // namespace
