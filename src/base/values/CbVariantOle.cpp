// CbVariant::GetAs: the variant's value as an OLE VARIANT.
#include <cbfoundation/base/values/CbVariant.h>

#include <cbfoundation/platform/OleVariant.h>

#include "CbVariantLines.h"

namespace {

void checkOleCall(HRESULT status)
{
    if (status < 0)
        _com_issue_error(status);
}

template <class T, class Value>
void setValue(VARIANT& variant, VARTYPE type, T VARIANT::*member, Value value)
{
    variant.*member = static_cast<T>(value);
    variant.vt = type;
}

// The text goes into a VARIANT of its own, is made VT_BSTR there and copied
// into the result, so that an OLE failure on the way frees it.
void setText(VARIANT& result, const CStringW& text)
{
    _variant_t owner;
    owner.bstrVal = CbOleStringFromWide(text.GetString(), static_cast<std::size_t>(text.GetLength()));
    if (owner.bstrVal == nullptr)
        _com_issue_error(E_OUTOFMEMORY);
    owner.vt = VT_BSTR;
    checkOleCall(::VariantChangeType(&owner, &owner, 0, VT_BSTR));
    checkOleCall(::VariantCopy(&result, &owner));
}

} // namespace

_variant_t CbVariant::GetAs(CbTypeToType<_variant_t>) const
{
    _variant_t result;
    switch (m_type) {
    case eVariantTypeBool:
        setValue(result, VT_BOOL, &VARIANT::boolVal, m_value.asBool ? VARIANT_TRUE : VARIANT_FALSE);
        break;
    case eVariantTypeInt:
        setValue(result, VT_INT, &VARIANT::intVal, m_value.asInt);
        break;
    case eVariantTypeUInt:
        setValue(result, VT_UINT, &VARIANT::uintVal, m_value.asUInt);
        break;
    case eVariantTypeFloat:
        setValue(result, VT_R4, &VARIANT::fltVal, m_value.asFloat);
        break;
    case eVariantTypeDouble:
        setValue(result, VT_R8, &VARIANT::dblVal, m_value.asDouble);
        break;
    case eVariantTypeChar:
        setValue(result, VT_I1, &VARIANT::cVal, m_value.asChar);
        break;
    case eVariantTypeStringW:
        setText(result, *m_value.stringW);
        break;
    case eVariantTypeSChar:
        setValue(result, VT_INT, &VARIANT::intVal, m_value.asSChar);
        break;
    case eVariantTypeUChar:
        setValue(result, VT_UI1, &VARIANT::bVal, m_value.asUChar);
        break;
    case eVariantTypeShort:
        setValue(result, VT_I2, &VARIANT::iVal, m_value.asShort);
        break;
    case eVariantTypeUShort:
        setValue(result, VT_UI2, &VARIANT::uiVal, m_value.asUShort);
        break;
    default:
        throw CbExceptionConversion(cbf::detail::variant::kLineGetAsUnknownType);
    }
    return result;
}
