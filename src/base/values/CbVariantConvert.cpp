// CbVariant::ConvertTo: the choice of the conversion, the translation of its failures, and the
// conversions to bool and to dates.
#include "CbVariantConversion.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include "CbVariantLines.h"

using namespace cbf::detail::variant;

CbVariant& CbVariant::ConvertTo(EVariantType type)
{
    if (m_type == type)
        return *this;
    // Callers catch one class with one of two lines; the specific cause, with
    // its own line, travels as the history.
    try {
        Conversion::Run(*this, type);
    } catch (const CbException& cause) {
        throw CbExceptionConversion(kLineConvert, cause);
    } catch (...) {
        throw CbExceptionConversion(kLineConvertOther);
    }
    return *this;
}

void CbVariant::Conversion::Run(CbVariant& variant, EVariantType type)
{
    switch (type) {
    case eVariantTypeNull:
        variant.SetNull();
        return;
    case eVariantTypeBool:
        return toBool(variant);
    case eVariantTypeChar:
    case eVariantTypeSChar:
    case eVariantTypeUChar:
    case eVariantTypeShort:
    case eVariantTypeUShort:
    case eVariantTypeInt:
    case eVariantTypeUInt:
    case eVariantTypeInt64:
    case eVariantTypeUInt64:
        return toInteger(variant, type);
    case eVariantTypeFloat:
    case eVariantTypeDouble:
        return toReal(variant, type);
    case eVariantTypeStringW:
    case eVariantTypeStringA:
        return toText(variant, type);
    case eVariantTypeDateTime:
        return toDateTime(variant);
    default:
        throw CbExceptionConversion(kLineConvertToUnknownType);
    }
}

bool CbVariant::Conversion::integerBits(const CbVariant& variant, unsigned __int64& bits) noexcept
{
    const Payload& value = variant.m_value;
    switch (variant.m_type) {
    case eVariantTypeBool:
        bits = value.asBool ? 1 : 0;
        return true;
    case eVariantTypeChar:
    case eVariantTypeSChar:
    case eVariantTypeUChar:
        bits = value.asUChar;
        return true;
    case eVariantTypeShort:
    case eVariantTypeUShort:
        bits = value.asUShort;
        return true;
    case eVariantTypeInt:
    case eVariantTypeUInt:
        bits = value.asUInt;
        return true;
    case eVariantTypeInt64:
    case eVariantTypeUInt64:
        bits = value.asUInt64;
        return true;
    default:
        return false;
    }
}

namespace {

template <class CharT>
bool isZeroText(const CStringT<CharT>& text)
{
    return text.GetLength() == 1 && text[0] == CharT('0');
}

} // namespace

void CbVariant::Conversion::toBool(CbVariant& variant)
{
    bool value = false;
    unsigned __int64 bits = 0;
    if (integerBits(variant, bits))
        value = bits != 0;
    else if (variant.m_type == eVariantTypeFloat)
        value = variant.m_value.asFloat != 0.0f;
    else if (variant.m_type == eVariantTypeDouble)
        value = variant.m_value.asDouble != 0.0;
    else if (variant.m_type == eVariantTypeStringW)
        value = !isZeroText(*variant.m_value.stringW);
    else if (variant.m_type == eVariantTypeStringA)
        value = !isZeroText(*variant.m_value.stringA);
    else
        throw CbExceptionConversion(kLineToBool);
    storeScalar(variant, eVariantTypeBool, &Payload::asBool, value);
}

// The text is taken as UTC, as the text form of dates is written.
void CbVariant::Conversion::toDateTime(CbVariant& variant)
{
    constexpr bool kUtc = false;
    if (variant.m_type == eVariantTypeStringW)
        storeNew(variant, eVariantTypeDateTime, &Payload::dateTime, variant.m_value.stringW->GetString(), kUtc);
    else if (variant.m_type == eVariantTypeStringA)
        storeNew(variant, eVariantTypeDateTime, &Payload::dateTime, variant.m_value.stringA->GetString(), kUtc);
    else
        throw CbExceptionConversion(kLineConvertToDateTime);
}
