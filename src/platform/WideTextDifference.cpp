// Finding where two long 32-bit wide texts first differ, with the widest vector unit the processor has.
#include <cbfoundation/platform/detail/CStringCharacters.h>

#if WCHAR_MAX > 0xFFFF

#include <bit>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace cbf::platform::detail {

namespace {

std::size_t unitByUnit(const wchar_t* left, const wchar_t* right, std::size_t at, std::size_t count) noexcept
{
    while (at < count && left[at] == right[at])
        ++at;
    return at;
}

// Where no wider unit is known: equal stretches are passed over a block at a
// time, which the compiler turns into the vector compares it has.
std::size_t inBlocks(const wchar_t* left, const wchar_t* right, std::size_t at, std::size_t count) noexcept
{
    constexpr std::size_t kBlock = 8;
    while (at + kBlock <= count && std::memcmp(left + at, right + at, kBlock * sizeof(wchar_t)) == 0)
        at += kBlock;
    return unitByUnit(left, right, at, count);
}

#if defined(__x86_64__) && defined(__GNUC__)

// Which of the eight units at `at` are equal, one lane each.
__attribute__((target("avx2"))) inline __m256i equal8(const wchar_t* left, const wchar_t* right,
                                                      std::size_t at) noexcept
{
    return _mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(left + at)),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(right + at)));
}

// Eight units per 32-byte compare, four compares per step: the pace of the
// C library's own wmemcmp, which the texts' order has to keep up with.
__attribute__((target("avx2"))) std::size_t withAvx2(const wchar_t* left, const wchar_t* right, std::size_t at,
                                                     std::size_t count) noexcept
{
    for (; at + 32 <= count; at += 32) {
        const __m256i equal =
            _mm256_and_si256(_mm256_and_si256(equal8(left, right, at), equal8(left, right, at + 8)),
                             _mm256_and_si256(equal8(left, right, at + 16), equal8(left, right, at + 24)));
        if (_mm256_movemask_epi8(equal) != -1)
            break;
    }
    for (; at + 8 <= count; at += 8) {
        if (const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(equal8(left, right, at))); mask != ~0u)
            return at + static_cast<std::size_t>(std::countr_one(mask)) / sizeof(wchar_t);
    }
    return unitByUnit(left, right, at, count);
}

using Finder = std::size_t (*)(const wchar_t*, const wchar_t*, std::size_t, std::size_t) noexcept;

// Chosen once while the library loads.
const Finder finder = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? withAvx2 : nullptr;
}();

#endif

} // namespace

std::size_t FindDifferenceFrom(const wchar_t* left, const wchar_t* right, std::size_t at, std::size_t count) noexcept
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (finder)
        return finder(left, right, at, count);
#endif
    return inBlocks(left, right, at, count);
}

} // namespace cbf::platform::detail

#endif
