// CbVariant::ConvertTo to the integer and floating-point types.
#include "CbVariantConversion.h"

#include "CbVariantLines.h"
#include "platform/DoubleText.h"

#include <cmath>
#include <limits>
#include <type_traits>

using namespace cbf::detail::variant;

namespace {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "double to float rounds as IEEE 754 does, to infinity beyond the range");

// Rounding of floating-point values to integers: a whole value stays, any
// other becomes floor(x + 0.5), so halves go up. A float is rounded in
// single precision.
template <class Real>
Real roundHalfUp(Real x)
{
    const Real down = std::floor(x);
    return down == x ? x : std::floor(x + Real(0.5));
}

// A whole value (or a NaN or an infinity) as the signed integer Int. What has
// no value there gives Int's smallest value, as the x86-64 conversion
// instruction does, instead of the undefined behaviour of a plain cast.
template <class Int, class Real>
Int truncateToSigned(Real whole)
{
    constexpr Real limit = -static_cast<Real>(std::numeric_limits<Int>::min()); // 2^(bits - 1), exact
    if (whole >= -limit && whole < limit)
        return static_cast<Int>(whole);
    return std::numeric_limits<Int>::min();
}

// Values from 2^63 up are reduced by 2^63 for the signed conversion, and 2^63
// is added back.
template <class Real>
unsigned __int64 truncateToUnsigned64(Real whole)
{
    constexpr Real half = static_cast<Real>(1ull << 63);
    if (whole >= half)
        return static_cast<unsigned __int64>(truncateToSigned<__int64>(whole - half)) + (1ull << 63);
    return static_cast<unsigned __int64>(truncateToSigned<__int64>(whole));
}

// A float or double as the integer Target: rounded, converted through the
// intermediate integer that the target's type chooses, cut to its width.
template <class Target, class Real>
Target integerOf(Real x)
{
    const Real whole = roundHalfUp(x);
    if constexpr (std::is_same_v<Target, unsigned __int64>)
        return truncateToUnsigned64(whole);
    else if constexpr (std::is_signed_v<Target> && sizeof(Target) <= sizeof(int))
        return static_cast<Target>(truncateToSigned<int>(whole));
    else
        return static_cast<Target>(truncateToSigned<__int64>(whole));
}

template <class CharT>
bool isBlank(CharT c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

template <class CharT>
int digitValue(CharT c, unsigned base)
{
    int value = base;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < static_cast<int>(base) ? value : -1;
}

// Scans a 64-bit integer as scanf's "%I64i" (withBase: 0x or 0X for
// hexadecimal, a leading 0 for octal) or "%I64u" (decimal) does: leading
// blanks, a sign, the digits; what follows is ignored. Digits beyond 64 bits
// wrap around, and a minus sign gives the two's complement. False when there
// is no digit.
template <class CharT>
bool scanInteger(const CharT* text, bool withBase, unsigned __int64& value)
{
    while (isBlank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    unsigned base = 10;
    if (withBase && *text == '0') {
        // "0x" not followed by a hexadecimal digit is the number 0.
        const bool hexadecimal = (text[1] == 'x' || text[1] == 'X') && digitValue(text[2], 16) >= 0;
        base = hexadecimal ? 16 : 8;
        text += hexadecimal ? 2 : 0;
    }
    unsigned __int64 number = 0;
    const CharT* const first = text;
    for (int digit; (digit = digitValue(*text, base)) >= 0; ++text)
        number = number * base + static_cast<unsigned>(digit);
    if (text == first)
        return false;
    value = negative ? 0 - number : number;
    return true;
}

template <class CharT>
unsigned __int64 scanText(const CStringT<CharT>& text, bool signedTarget)
{
    unsigned __int64 value = 0;
    if (!scanInteger(text.GetString(), signedTarget, value)) {
        constexpr bool kWide = sizeof(CharT) > 1;
        throw CbVariant::CbExceptionConversion(signedTarget ? (kWide ? kLineScanSignedW : kLineScanSignedA)
                                                            : (kWide ? kLineScanUnsignedW : kLineScanUnsignedA));
    }
    return value;
}

template <class CharT>
double parseText(const CStringT<CharT>& text)
{
    double value = 0.0;
    if (!text.IsEmpty() &&
        !cbf::platform::ParseWholeDouble(text.GetString(), static_cast<std::size_t>(text.GetLength()), value))
        throw CbVariant::CbExceptionConversion(kLineParseReal);
    return value;
}

} // namespace

void CbVariant::Conversion::toInteger(CbVariant& variant, EVariantType type)
{
    // `member` is where the target's value goes; its type is the target's.
    const auto convert = [&variant, type](auto member, unsigned line) {
        using T = std::remove_cvref_t<decltype(variant.m_value.*member)>;
        unsigned __int64 bits = 0;
        T value{};
        if (integerBits(variant, bits))
            value = static_cast<T>(bits);
        else if (variant.m_type == eVariantTypeFloat)
            value = integerOf<T>(variant.m_value.asFloat);
        else if (variant.m_type == eVariantTypeDouble)
            value = integerOf<T>(variant.m_value.asDouble);
        else if (variant.m_type == eVariantTypeStringW)
            value = static_cast<T>(scanText(*variant.m_value.stringW, std::is_signed_v<T>));
        else if (variant.m_type == eVariantTypeStringA)
            value = static_cast<T>(scanText(*variant.m_value.stringA, std::is_signed_v<T>));
        else
            throw CbExceptionConversion(line);
        storeScalar(variant, type, member, value);
    };
    switch (type) {
    case eVariantTypeSChar:
        return convert(&Payload::asSChar, kLineToSChar);
    case eVariantTypeUChar:
    case eVariantTypeChar: // the byte of the unsigned char, kept as a char
        return convert(&Payload::asUChar, kLineToUChar);
    case eVariantTypeShort:
        return convert(&Payload::asShort, kLineToShort);
    case eVariantTypeUShort:
        return convert(&Payload::asUShort, kLineToUShort);
    case eVariantTypeInt:
        return convert(&Payload::asInt, kLineToInt);
    case eVariantTypeUInt:
        return convert(&Payload::asUInt, kLineToUInt);
    case eVariantTypeInt64:
        return convert(&Payload::asInt64, kLineToInt64);
    default:
        return convert(&Payload::asUInt64, kLineToUInt64);
    }
}

void CbVariant::Conversion::toReal(CbVariant& variant, EVariantType type)
{
    const auto convert = [&variant, type](auto member, unsigned line) {
        using Real = std::remove_cvref_t<decltype(variant.m_value.*member)>;
        const Payload& source = variant.m_value;
        Real value = 0;
        switch (variant.m_type) {
        case eVariantTypeBool:
            value = source.asBool ? Real(1) : Real(0);
            break;
        case eVariantTypeChar:
        case eVariantTypeSChar:
            value = static_cast<Real>(source.asSChar);
            break;
        case eVariantTypeUChar:
            value = static_cast<Real>(source.asUChar);
            break;
        case eVariantTypeShort:
            value = static_cast<Real>(source.asShort);
            break;
        case eVariantTypeUShort:
            value = static_cast<Real>(source.asUShort);
            break;
        case eVariantTypeInt:
            value = static_cast<Real>(source.asInt);
            break;
        case eVariantTypeUInt:
            value = static_cast<Real>(source.asUInt);
            break;
        case eVariantTypeInt64:
            value = static_cast<Real>(source.asInt64);
            break;
        case eVariantTypeUInt64:
            value = static_cast<Real>(source.asUInt64);
            break;
        case eVariantTypeFloat:
            value = static_cast<Real>(source.asFloat);
            break;
        case eVariantTypeDouble:
            value = static_cast<Real>(source.asDouble);
            break;
        case eVariantTypeStringW:
            value = static_cast<Real>(parseText(*source.stringW));
            break;
        case eVariantTypeStringA:
            value = static_cast<Real>(parseText(*source.stringA));
            break;
        default:
            throw CbExceptionConversion(line);
        }
        storeScalar(variant, type, member, value);
    };
    if (type == eVariantTypeFloat)
        convert(&Payload::asFloat, kLineToFloat);
    else
        convert(&Payload::asDouble, kLineToDouble);
}
