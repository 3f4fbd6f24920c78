// CbVariant::ConvertTo to wide and narrow text.
#include "CbVariantConversion.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include "CbVariantLines.h"

#include <iterator>
#include <string_view>

using namespace cbf::detail::variant;

namespace {

// The decimal digits of a number, as "%d", "%I64i" and "%I64u" write them:
// a minus sign and no leading zeros. Written here rather than through the
// formatter, because numbers are what most conversions to text turn out.
CStringW decimal(unsigned __int64 magnitude, bool negative)
{
    wchar_t digits[24];
    wchar_t* const end = std::end(digits);
    wchar_t* first = end;
    do {
        *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--first = L'-';
    return CStringW(std::wstring_view(first, static_cast<std::size_t>(end - first)));
}

CStringW decimal(__int64 value)
{
    const auto bits = static_cast<unsigned __int64>(value);
    return value < 0 ? decimal(0 - bits, true) : decimal(bits, false);
}

CStringW fixed(double value)
{
    CStringW text;
    text.Format(L"%f", value);
    return text;
}

} // namespace

void CbVariant::Conversion::toText(CbVariant& variant, EVariantType type)
{
    const Payload& source = variant.m_value;
    CStringW text;
    switch (variant.m_type) {
    case eVariantTypeBool:
        text = source.asBool ? L"1" : L"0";
        break;
    case eVariantTypeChar: // the character, through the code page
        text = CStringW(source.asChar);
        break;
    case eVariantTypeSChar:
        text = decimal(source.asSChar);
        break;
    case eVariantTypeUChar:
        text = decimal(source.asUChar);
        break;
    case eVariantTypeShort:
        text = decimal(source.asShort);
        break;
    case eVariantTypeUShort:
        text = decimal(source.asUShort);
        break;
    case eVariantTypeInt:
        text = decimal(source.asInt);
        break;
    case eVariantTypeUInt: // "%d": the signed reading of the bits
        text = decimal(static_cast<int>(source.asUInt));
        break;
    case eVariantTypeInt64:
        text = decimal(source.asInt64);
        break;
    case eVariantTypeUInt64:
        text = decimal(source.asUInt64, false);
        break;
    case eVariantTypeFloat:
        text = fixed(source.asFloat);
        break;
    case eVariantTypeDouble:
        text = fixed(source.asDouble);
        break;
    case eVariantTypeDateTime:
        text = source.dateTime->ToString(L"Y-m-d H:i:s", false);
        break;
    case eVariantTypeStringW: // only to narrow text: the same type was not converted
        return storeNew(variant, type, &Payload::stringA, *source.stringW);
    case eVariantTypeStringA:
        text = *source.stringA;
        break;
    default:
        throw CbExceptionConversion(kLineToText);
    }
    if (type == eVariantTypeStringA)
        storeNew(variant, type, &Payload::stringA, text);
    else
        storeNew(variant, type, &Payload::stringW, std::move(text));
}
