// Tests of the short byte copies.
#include <cbfoundation/platform/CopyBytes.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>

namespace {

// The lengths at each edge of the copy's branches, at an aligned and an odd
// address: the copied bytes match and not a byte around them changes.
TEST(CopyBytesTest, CopiesExactlyTheGivenBytesAtEveryLengthAndAlignment)
{
    std::array<unsigned char, 100> source{};
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 7 + 1);
    for (const std::size_t count : {0, 1, 2, 3, 4, 7, 8, 15, 16, 17, 32, 33, 64, 65, 90}) {
        for (const std::size_t at : {0, 3}) {
            std::array<unsigned char, 100> target{};
            target.fill(0xEE);
            cbf::platform::CopyBytes(target.data() + at, source.data(), count);
            for (std::size_t i = 0; i < target.size(); ++i)
                ASSERT_EQ(target[i], i >= at && i < at + count ? source[i - at] : 0xEE) << count << " at " << at;
        }
    }
}

} // namespace
