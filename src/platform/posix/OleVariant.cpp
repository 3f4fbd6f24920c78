// OLE variants on POSIX: clearing, copying and converting the types held here.
#include <cbfoundation/platform/OleVariant.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr VARTYPE kTypeMask = 0x0FFF;

// The types a variant can hold here; with VT_BYREF a variant only points
// to a value it does not own.
bool isHeldType(VARTYPE type)
{
    switch (type & kTypeMask) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_ERROR:
    case VT_BOOL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return (type & ~(kTypeMask | VT_BYREF)) == 0 && (type != VT_BYREF);
    default:
        return false;
    }
}

bool isFloating(VARTYPE type)
{
    return type == VT_R4 || type == VT_R8;
}

// The numbers and the boolean, read as one type wide enough for all of them:
// long double carries every 64-bit integer exactly on x86-64 and AArch64.
bool readNumber(const VARIANT& source, long double& value)
{
    switch (source.vt) {
    case VT_BOOL:
        value = source.boolVal;
        return true;
    case VT_I1:
        value = static_cast<signed char>(source.cVal);
        return true;
    case VT_UI1:
        value = source.bVal;
        return true;
    case VT_I2:
        value = source.iVal;
        return true;
    case VT_UI2:
        value = source.uiVal;
        return true;
    case VT_I4:
        value = source.lVal;
        return true;
    case VT_UI4:
        value = source.ulVal;
        return true;
    case VT_INT:
        value = source.intVal;
        return true;
    case VT_UINT:
        value = source.uintVal;
        return true;
    case VT_I8:
        value = source.llVal;
        return true;
    case VT_UI8:
        value = source.ullVal;
        return true;
    case VT_R4:
        value = source.fltVal;
        return true;
    case VT_R8:
        value = source.dblVal;
        return true;
    default:
        return false;
    }
}

template <class T>
bool fits(long double value)
{
    return value >= static_cast<long double>(std::numeric_limits<T>::lowest()) &&
           value <= static_cast<long double>(std::numeric_limits<T>::max());
}

template <class T>
HRESULT storeInteger(long double value, T VARIANT::*member, VARIANT& target)
{
    if (!fits<T>(value))
        return DISP_E_OVERFLOW;
    target.*member = static_cast<T>(value);
    return S_OK;
}

HRESULT writeNumber(long double value, bool fromFloating, VARTYPE type, VARIANT& target)
{
    // Rounding to nearest, ties to even, as OLE rounds; a NaN fits nowhere.
    const long double integral = fromFloating ? std::nearbyint(value) : value;
    if (std::isnan(value) && type != VT_R4 && type != VT_R8 && type != VT_BOOL)
        return DISP_E_OVERFLOW;
    switch (type) {
    case VT_BOOL:
        target.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case VT_I1: // signed, whatever the signedness of char
        if (!fits<signed char>(integral))
            return DISP_E_OVERFLOW;
        target.cVal = static_cast<char>(static_cast<signed char>(integral));
        return S_OK;
    case VT_UI1:
        return storeInteger(integral, &VARIANT::bVal, target);
    case VT_I2:
        return storeInteger(integral, &VARIANT::iVal, target);
    case VT_UI2:
        return storeInteger(integral, &VARIANT::uiVal, target);
    case VT_I4:
        return storeInteger(integral, &VARIANT::lVal, target);
    case VT_UI4:
        return storeInteger(integral, &VARIANT::ulVal, target);
    case VT_INT:
        return storeInteger(integral, &VARIANT::intVal, target);
    case VT_UINT:
        return storeInteger(integral, &VARIANT::uintVal, target);
    case VT_I8:
        return storeInteger(integral, &VARIANT::llVal, target);
    case VT_UI8:
        return storeInteger(integral, &VARIANT::ullVal, target);
    case VT_R4:
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX)
            return DISP_E_OVERFLOW;
        target.fltVal = static_cast<float>(value);
        return S_OK;
    case VT_R8:
        target.dblVal = static_cast<double>(value);
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT convert(const VARIANT& source, VARTYPE type, VARIANT& converted)
{
    if (source.vt == type)
        return cbf::platform::CopyVariant(&converted, &source);
    if (type == VT_EMPTY)
        return S_OK;
    long double value = 0;
    if (!readNumber(source, value))
        return DISP_E_TYPEMISMATCH;
    const HRESULT status = writeNumber(value, isFloating(source.vt), type, converted);
    if (status == S_OK)
        converted.vt = type;
    return status;
}

} // namespace

namespace cbf::platform {

HRESULT ClearVariant(VARIANT* variant) noexcept
{
    if (!isHeldType(variant->vt))
        return DISP_E_BADVARTYPE;
    if (variant->vt == VT_BSTR)
        ::SysFreeString(variant->bstrVal);
    ::VariantInit(variant);
    return S_OK;
}

HRESULT CopyVariant(VARIANT* target, const VARIANT* source) noexcept
{
    if (target == source)
        return S_OK;
    if (!isHeldType(source->vt))
        return DISP_E_BADVARTYPE;
    if (const HRESULT status = ClearVariant(target); status != S_OK)
        return status;
    if (source->vt != VT_BSTR || source->bstrVal == nullptr) {
        *target = *source;
        return S_OK;
    }
    const BSTR copy = ::SysAllocStringLen(source->bstrVal, ::SysStringLen(source->bstrVal));
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    target->bstrVal = copy;
    target->vt = VT_BSTR;
    return S_OK;
}

HRESULT ChangeVariantType(VARIANT* target, const VARIANT* source, unsigned short, VARTYPE type) noexcept
{
    if (!isHeldType(source->vt) || !isHeldType(type) || (type & VT_BYREF) != 0)
        return DISP_E_BADVARTYPE;
    VARIANT converted;
    ::VariantInit(&converted);
    if (const HRESULT status = convert(*source, type, converted); status != S_OK)
        return status;
    if (const HRESULT status = ClearVariant(target); status != S_OK) {
        ClearVariant(&converted);
        return status;
    }
    *target = converted;
    return S_OK;
}

} // namespace cbf::platform

_com_error::_com_error(HRESULT status) noexcept
    : m_status(status)
{}

_com_error::_com_error(const _com_error& other) noexcept = default;

_com_error& _com_error::operator=(const _com_error& other) noexcept = default;

_com_error::~_com_error() = default;

HRESULT _com_error::Error() const noexcept
{
    return m_status;
}
