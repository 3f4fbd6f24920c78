// Conversion between wide text and UTF-16 code units, surrogate pairs included.
#include <cbfoundation/platform/Utf16.h>

#include <cstring>
#include <cwchar>

#if WCHAR_MAX > 0xFFFF && defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cbf::platform {

bool ToUtf16LeSimple(const wchar_t* text, std::size_t length, unsigned char* out)
{
    // Below U+10000 exactly when the bitwise or of all values is; a NUL
    // sets the top bit of its value minus 1, which nothing below U+10000
    // else does.
    constexpr std::size_t block = 16;
    std::uint32_t any = 0;
    std::uint32_t nul = 0;
    std::size_t i = 0;
#if WCHAR_MAX > 0xFFFF && defined(__SSE2__)
    // Eight characters a time, narrowed with the signed saturating pack:
    // biased by -0x8000, every value below U+10000 fits a signed 16-bit unit
    // exactly, and flipping its top bit takes the bias off again. Larger
    // values pack to garbage, but their high bits show in `anyBits`.
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi32(0x8000);
    const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
    __m128i anyBits = zero;
    __m128i nuls = zero;
    for (; i + 8 <= length; i += 8) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 4));
        anyBits = _mm_or_si128(anyBits, _mm_or_si128(low, high));
        nuls = _mm_or_si128(nuls, _mm_or_si128(_mm_cmpeq_epi32(low, zero), _mm_cmpeq_epi32(high, zero)));
        const __m128i units = _mm_packs_epi32(_mm_sub_epi32(low, bias), _mm_sub_epi32(high, bias));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_xor_si128(units, flip));
    }
    const bool wide = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(anyBits, 16), zero)) != 0xFFFF;
    if (wide || _mm_movemask_epi8(nuls) != 0)
        return false;
#endif
    for (; i + block <= length; i += block) {
        char16_t units[block];
#pragma GCC unroll 1
        for (std::size_t j = 0; j < block; ++j) {
            const auto value = static_cast<std::uint32_t>(text[i + j]);
            any |= value;
            nul |= value - 1;
            units[j] = static_cast<char16_t>(value);
        }
        std::memcpy(out + 2 * i, units, sizeof units);
    }
    for (; i < length; ++i) {
        const auto value = static_cast<std::uint32_t>(text[i]);
        any |= value;
        nul |= value - 1;
        const auto unit = static_cast<char16_t>(value);
        std::memcpy(out + 2 * i, &unit, sizeof unit);
    }
    return any < 0x10000 && nul >> 31 == 0;
}

#if WCHAR_MAX > 0xFFFF

namespace {

constexpr char16_t replacementCharacter = 0xFFFD;
constexpr std::uint32_t firstSupplementary = 0x10000;
constexpr std::uint32_t supplementaryCount = 0x100000;

// Characters converted at once: fixed-size loops over a block are what the
// compiler vectorises (four vectors of wchar_t on x86-64). The loops over a
// block are kept rolled: fully unrolled, their reductions stay scalar.
constexpr std::size_t kBlock = 16;

// Negative wchar_t values wrap to numbers far above U+10FFFF, which is what
// the callers want: they are treated as out of range.
std::uint32_t codeValue(wchar_t character)
{
    return static_cast<std::uint32_t>(character);
}

bool isSupplementary(std::uint32_t value)
{
    return value - firstSupplementary < supplementaryCount;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

unsigned char* storeUnit(unsigned char* out, char16_t unit)
{
    std::memcpy(out, &unit, sizeof unit);
    return out + sizeof unit;
}

char16_t loadUnit(const unsigned char* bytes, std::size_t index)
{
    char16_t unit;
    std::memcpy(&unit, bytes + index * sizeof unit, sizeof unit);
    return unit;
}

unsigned char* encodeEach(const wchar_t* text, std::size_t length, unsigned char* out)
{
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t value = codeValue(text[i]);
        if (value < firstSupplementary) {
            out = storeUnit(out, static_cast<char16_t>(value));
        } else if (isSupplementary(value)) {
            const std::uint32_t offset = value - firstSupplementary;
            out = storeUnit(out, static_cast<char16_t>(0xD800 + (offset >> 10)));
            out = storeUnit(out, static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            out = storeUnit(out, replacementCharacter);
        }
    }
    return out;
}

// Decodes the unit at `i` (and the low surrogate after it, if it pairs)
// and returns the index after what it took.
std::size_t decodeOne(const unsigned char* bytes, std::size_t i, std::size_t count, wchar_t*& out)
{
    const char16_t unit = loadUnit(bytes, i);
    if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(loadUnit(bytes, i + 1))) {
        const std::uint32_t high = unit - 0xD800u;
        const std::uint32_t low = loadUnit(bytes, i + 1) - 0xDC00u;
        *out++ = static_cast<wchar_t>(firstSupplementary + (high << 10) + low);
        return i + 2;
    }
    *out++ = static_cast<wchar_t>(unit);
    return i + 1;
}

} // namespace

std::uint64_t Utf16Length(const wchar_t* text, std::size_t length)
{
    std::uint64_t units = length;
    std::size_t i = 0;
    for (; i + kBlock <= length; i += kBlock) {
        std::uint32_t pairs = 0;
#pragma GCC unroll 1
        for (std::size_t j = 0; j < kBlock; ++j)
            pairs += isSupplementary(codeValue(text[i + j])) ? 1 : 0;
        units += pairs;
    }
    for (; i < length; ++i)
        units += isSupplementary(codeValue(text[i])) ? 1 : 0;
    return units;
}

void ToUtf16Le(const wchar_t* text, std::size_t length, unsigned char* out)
{
    std::size_t i = 0;
    for (; i + kBlock <= length; i += kBlock) {
        // All values below U+10000 exactly when their bitwise or is.
        std::uint32_t any = 0;
#pragma GCC unroll 1
        for (std::size_t j = 0; j < kBlock; ++j)
            any |= codeValue(text[i + j]);
        if (any >= firstSupplementary) {
            out = encodeEach(text + i, kBlock, out);
            continue;
        }
        char16_t units[kBlock];
#pragma GCC unroll 1
        for (std::size_t j = 0; j < kBlock; ++j)
            units[j] = static_cast<char16_t>(text[i + j]);
        std::memcpy(out, units, sizeof units);
        out += sizeof units;
    }
    encodeEach(text + i, length - i, out);
}

void ToUtf16(const wchar_t* text, std::size_t length, char16_t* out)
{
    ToUtf16Le(text, length, reinterpret_cast<unsigned char*>(out));
}

std::size_t FromUtf16Le(const unsigned char* bytes, std::size_t count, wchar_t* out)
{
    const wchar_t* const start = out;
    std::size_t i = 0;
    while (i + kBlock <= count) {
        char16_t units[kBlock];
        std::memcpy(units, bytes + i * sizeof(char16_t), sizeof units);
        // The top bit ends up set only by a surrogate, whose bits 11 to 15
        // cancel against 0xD800 and leave less than 0x800 to subtract from.
        std::uint32_t surrogates = 0;
#pragma GCC unroll 1
        for (std::size_t j = 0; j < kBlock; ++j)
            surrogates |= (units[j] ^ 0xD800u) - 0x800u;
        if (surrogates >> 31 == 0) {
#pragma GCC unroll 1
            for (std::size_t j = 0; j < kBlock; ++j)
                out[j] = static_cast<wchar_t>(units[j]);
            out += kBlock;
            i += kBlock;
            continue;
        }
        // A pair may reach one unit past the block; the blocks go on from
        // wherever it ends.
        const std::size_t blockEnd = i + kBlock;
        while (i < blockEnd)
            i = decodeOne(bytes, i, count, out);
    }
    while (i < count)
        i = decodeOne(bytes, i, count, out);
    return static_cast<std::size_t>(out - start);
}

std::size_t FromUtf16(const char16_t* units, std::size_t count, wchar_t* out)
{
    return FromUtf16Le(reinterpret_cast<const unsigned char*>(units), count, out);
}

#else

static_assert(sizeof(wchar_t) == sizeof(char16_t), "a narrow wchar_t must hold UTF-16 code units");

std::uint64_t Utf16Length(const wchar_t*, std::size_t length)
{
    return length;
}

void ToUtf16Le(const wchar_t* text, std::size_t length, unsigned char* out)
{
    if (length != 0)
        std::memcpy(out, text, length * sizeof(char16_t));
}

void ToUtf16(const wchar_t* text, std::size_t length, char16_t* out)
{
    ToUtf16Le(text, length, reinterpret_cast<unsigned char*>(out));
}

std::size_t FromUtf16Le(const unsigned char* bytes, std::size_t count, wchar_t* out)
{
    if (count != 0)
        std::memcpy(out, bytes, count * sizeof(wchar_t));
    return count;
}

std::size_t FromUtf16(const char16_t* units, std::size_t count, wchar_t* out)
{
    return FromUtf16Le(reinterpret_cast<const unsigned char*>(units), count, out);
}

#endif

} // namespace cbf::platform
