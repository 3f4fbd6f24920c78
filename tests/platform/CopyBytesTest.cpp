// Tests of the short byte copies.
#include <cbfoundation/platform/CopyBytes.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>

namespace {

// Every length up to past the inline limit, at every alignment of source
// and target: the copied bytes match and not a byte around them changes.
TEST(CopyBytesTest, CopiesExactlyTheGivenBytesAtEveryLengthAndAlignment)
{
    constexpr std::size_t kGuard = 16;
    std::array<unsigned char, 160> source{};
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 7 + 1);

    for (std::size_t count = 0; count <= 100; ++count) {
        for (std::size_t alignment = 0; alignment < 8; ++alignment) {
            std::array<unsigned char, 160> target{};
            target.fill(0xEE);
            cbf::platform::CopyBytes(target.data() + kGuard + alignment, source.data() + alignment, count);
            for (std::size_t i = 0; i < target.size(); ++i) {
                const bool copied = i >= kGuard + alignment && i < kGuard + alignment + count;
                const unsigned char expected = copied ? source[i - kGuard] : 0xEE;
                ASSERT_EQ(target[i], expected) << "count " << count << ", alignment " << alignment << ", byte " << i;
            }
        }
    }
}

} // namespace
