// The block layout of OLE strings on POSIX, which managed runtimes free themselves.
#include <cbfoundation/platform/OleString.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(OleStringLayout, LengthPrecedesTheTextInAMallocBlockThatStartsEightBytesBefore)
{
    const std::u16string text(1000, u'\u20AC');
    for (const unsigned int length : {0u, 1u, 5u, 1000u}) {
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

} // namespace
