// OLE Automation variants (VARIANT) and the COM support classes _variant_t
// and _com_error.
//
// On Windows these are the system's (oleaut32) and the compiler's COM support
// headers. Elsewhere this header supplies a stand-in with the Windows layout
// and type codes, holding the scalar types and OLE strings (OleString.h); it
// has no COM objects, arrays, records or decimals. As with the OLE strings,
// the Windows function names are inline functions here, which the library
// does not export.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/OleString.h>
#include <cbfoundation/platform/Types.h>

#if defined(_WIN32)
#include <comdef.h>
#else
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

/// The type code of a VARIANT, one of VARENUM, with VT_BYREF possibly added.
using VARTYPE = unsigned short;

/// The boolean of a VARIANT: VARIANT_TRUE (-1) or VARIANT_FALSE (0).
using VARIANT_BOOL = short;

/// A 32-bit OLE status code: negative for a failure.
using HRESULT = std::int32_t;

/// An error code held by a VARIANT of type VT_ERROR.
using SCODE = std::int32_t;

/// An OLE date: days since 1899-12-30, the time of day as the fraction.
using DATE = double;

/// The type codes of a VARIANT, with their Windows values.
enum VARENUM : VARTYPE
{
    VT_EMPTY = 0,      ///< no value
    VT_NULL = 1,       ///< the SQL-style null
    VT_I2 = 2,         ///< short
    VT_I4 = 3,         ///< 32-bit signed integer
    VT_R4 = 4,         ///< float
    VT_R8 = 5,         ///< double
    VT_CY = 6,         ///< currency, a 64-bit integer of 1/10000 units
    VT_DATE = 7,       ///< DATE
    VT_BSTR = 8,       ///< OLE string
    VT_DISPATCH = 9,   ///< automation object (never held here)
    VT_ERROR = 10,     ///< SCODE
    VT_BOOL = 11,      ///< VARIANT_BOOL
    VT_VARIANT = 12,   ///< a VARIANT, by reference only (never held here)
    VT_UNKNOWN = 13,   ///< COM object (never held here)
    VT_DECIMAL = 14,   ///< 96-bit decimal (never held here)
    VT_I1 = 16,        ///< char
    VT_UI1 = 17,       ///< unsigned char
    VT_UI2 = 18,       ///< unsigned short
    VT_UI4 = 19,       ///< 32-bit unsigned integer
    VT_I8 = 20,        ///< 64-bit signed integer
    VT_UI8 = 21,       ///< 64-bit unsigned integer
    VT_INT = 22,       ///< int
    VT_UINT = 23,      ///< unsigned int
    VT_RECORD = 36,    ///< user-defined record (never held here)
    VT_ARRAY = 0x2000, ///< flag: a safe array of the type (never held here)
    VT_BYREF = 0x4000, ///< flag: a pointer to a value of the type, not owned
};

/// The true of VARIANT_BOOL.
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
/// The false of VARIANT_BOOL.
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

/// Success.
inline constexpr HRESULT S_OK = 0;
/// A pointer argument was null.
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
/// Memory ran out.
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
/// An argument was not valid.
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
/// The value cannot be converted to the requested type.
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
/// The type code is not one a VARIANT can hold here.
inline constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
/// The value does not fit the requested type.
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);

/// The two pointers of a record value; here it only gives the value part of
/// a VARIANT its Windows size of 16 bytes.
struct tagBRECORD
{
    void* pvRecord; ///< the record's data
    void* pRecInfo; ///< the record's type information
};

/// A value of one of the OLE Automation types, named by `vt`, with the
/// Windows layout: the type code, three reserved words, 16 bytes of value.
/// A VARIANT of type VT_BSTR owns its OLE string; VariantClear frees it.
struct tagVARIANT
{
    VARTYPE vt;                ///< the type of the value, a VARENUM
    unsigned short wReserved1; ///< unused
    unsigned short wReserved2; ///< unused
    unsigned short wReserved3; ///< unused
    /// The value, read as the member that `vt` names.
    union
    {
        long long llVal;           ///< VT_I8
        std::int32_t lVal;         ///< VT_I4
        unsigned char bVal;        ///< VT_UI1
        short iVal;                ///< VT_I2
        float fltVal;              ///< VT_R4
        double dblVal;             ///< VT_R8
        VARIANT_BOOL boolVal;      ///< VT_BOOL
        SCODE scode;               ///< VT_ERROR
        long long cyVal;           ///< VT_CY, in units of 1/10000
        DATE date;                 ///< VT_DATE
        BSTR bstrVal;              ///< VT_BSTR
        void* byref;               ///< any type with VT_BYREF
        char cVal;                 ///< VT_I1
        unsigned short uiVal;      ///< VT_UI2
        std::uint32_t ulVal;       ///< VT_UI4
        unsigned long long ullVal; ///< VT_UI8
        int intVal;                ///< VT_INT
        unsigned int uintVal;      ///< VT_UINT
        tagBRECORD brecVal;        ///< VT_RECORD (never held here)
    };
};

/// A VARIANT.
using VARIANT = tagVARIANT;
/// A VARIANT passed as an argument.
using VARIANTARG = tagVARIANT;

static_assert(sizeof(VARIANT) == 24 && offsetof(VARIANT, llVal) == 8, "VARIANT must have the Windows layout");

namespace cbf::platform {

/// VariantClear: frees what `variant` owns and makes it VT_EMPTY;
/// DISP_E_BADVARTYPE, leaving it unchanged, for a type it cannot hold.
CB_API HRESULT ClearVariant(VARIANT* variant) noexcept;

/// VariantCopy: clears `target`, then makes it a deep copy of `source` (a
/// new OLE string for VT_BSTR). E_OUTOFMEMORY leaves `target` VT_EMPTY;
/// DISP_E_BADVARTYPE, for a type not held here, leaves it unchanged.
CB_API HRESULT CopyVariant(VARIANT* target, const VARIANT* source) noexcept;

/// VariantChangeType: converts `source` to type `type` into `target` (which
/// may be `source`), clearing what `target` held before. Supported: any type
/// to itself (a copy) and to VT_EMPTY; between the numbers and VT_BOOL (the
/// integers exactly, floating point rounded half to even, true as -1; a value
/// outside the target's range gives DISP_E_OVERFLOW). Everything else, text
/// included, gives DISP_E_TYPEMISMATCH; `flags` is ignored. `target` is
/// unchanged on failure.
CB_API HRESULT ChangeVariantType(VARIANT* target, const VARIANT* source, unsigned short flags, VARTYPE type) noexcept;

} // namespace cbf::platform

/// Makes `variant` VT_EMPTY without freeing anything it held.
inline void VariantInit(VARIANT* variant)
{
    std::memset(variant, 0, sizeof(VARIANT));
}

/// Frees what `variant` owns and makes it VT_EMPTY.
inline HRESULT VariantClear(VARIANT* variant)
{
    return cbf::platform::ClearVariant(variant);
}

/// Makes `target` a deep copy of `source`, after clearing it.
inline HRESULT VariantCopy(VARIANT* target, const VARIANT* source)
{
    return cbf::platform::CopyVariant(target, source);
}

/// Converts `source` to the type `type` into `target`; see ChangeVariantType.
inline HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, unsigned short flags, VARTYPE type)
{
    return cbf::platform::ChangeVariantType(target, source, flags, type);
}

/// A failed OLE call, carrying its HRESULT. Thrown by _variant_t and by the
/// library's OLE exports; not derived from std::exception, as on Windows.
class CB_API _com_error
{
public:
    /// The failure `status`.
    explicit _com_error(HRESULT status) noexcept;
    /// A copy of `other`.
    _com_error(const _com_error& other) noexcept;
    /// Takes the status of `other`.
    _com_error& operator=(const _com_error& other) noexcept;
    /// Virtual, so that derived errors can be caught as _com_error.
    virtual ~_com_error();

    /// The HRESULT of the failed call.
    HRESULT Error() const noexcept;

private:
    HRESULT m_status;
};

/// Throws _com_error carrying `status`.
[[noreturn]] inline void _com_issue_error(HRESULT status)
{
    throw _com_error(status);
}

/// A VARIANT that owns its value: the destructor clears it, copies are deep
/// (VariantCopy), and a failing OLE call throws _com_error.
class _variant_t : public tagVARIANT
{
public:
    /// VT_EMPTY.
    _variant_t() noexcept { ::VariantInit(this); }

    /// A deep copy of `source`.
    _variant_t(const VARIANT& source)
    {
        ::VariantInit(this);
        check(::VariantCopy(this, &source));
    }

    /// A deep copy of `*source`; E_POINTER for null.
    _variant_t(const VARIANT* source)
    {
        ::VariantInit(this);
        if (source == nullptr)
            _com_issue_error(E_POINTER);
        check(::VariantCopy(this, source));
    }

    /// A deep copy of `source`.
    _variant_t(const _variant_t& source)
        : _variant_t(static_cast<const VARIANT&>(source))
    {}

    /// A deep copy of `source` (`copy` true) or its value taken over, leaving
    /// `source` VT_EMPTY without freeing anything (`copy` false).
    _variant_t(VARIANT& source, bool copy)
    {
        ::VariantInit(this);
        if (copy) {
            check(::VariantCopy(this, &source));
        } else {
            static_cast<VARIANT&>(*this) = source;
            ::VariantInit(&source);
        }
    }

    /// VT_BOOL.
    _variant_t(bool value) noexcept { set(VT_BOOL, &VARIANT::boolVal, value ? VARIANT_TRUE : VARIANT_FALSE); }
    /// VT_I1.
    _variant_t(char value) noexcept { set(VT_I1, &VARIANT::cVal, value); }
    /// VT_UI1.
    _variant_t(unsigned char value) noexcept { set(VT_UI1, &VARIANT::bVal, value); }
    /// VT_I2.
    _variant_t(short value) noexcept { set(VT_I2, &VARIANT::iVal, value); }
    /// VT_UI2.
    _variant_t(unsigned short value) noexcept { set(VT_UI2, &VARIANT::uiVal, value); }
    /// VT_INT.
    _variant_t(int value) noexcept { set(VT_INT, &VARIANT::intVal, value); }
    /// VT_UINT.
    _variant_t(unsigned int value) noexcept { set(VT_UINT, &VARIANT::uintVal, value); }
    /// VT_I8.
    _variant_t(__int64 value) noexcept { set(VT_I8, &VARIANT::llVal, value); }
    /// VT_UI8.
    _variant_t(unsigned __int64 value) noexcept { set(VT_UI8, &VARIANT::ullVal, value); }
    /// VT_R4.
    _variant_t(float value) noexcept { set(VT_R4, &VARIANT::fltVal, value); }
    /// VT_R8.
    _variant_t(double value) noexcept { set(VT_R8, &VARIANT::dblVal, value); }

    /// VT_BSTR holding a new OLE string of `text` (null for a null `text`).
    _variant_t(const wchar_t* text)
    {
        ::VariantInit(this);
        if (text != nullptr) {
            bstrVal = CbOleStringFromWide(text, std::wcslen(text));
            if (bstrVal == nullptr)
                _com_issue_error(E_OUTOFMEMORY);
        }
        vt = VT_BSTR;
    }

    /// Frees the value.
    ~_variant_t() { ::VariantClear(this); }

    /// A deep copy of `source`, after freeing the old value.
    _variant_t& operator=(const VARIANT& source)
    {
        if (&source != this)
            check(::VariantCopy(this, &source));
        return *this;
    }

    /// A deep copy of `source`, after freeing the old value.
    _variant_t& operator=(const _variant_t& source) { return *this = static_cast<const VARIANT&>(source); }

    /// Frees the value and makes this VT_EMPTY.
    void Clear() { check(::VariantClear(this)); }

    /// Converts the value of `source` (this variant when null) to `type`, in
    /// this variant; see ChangeVariantType.
    void ChangeType(VARTYPE type, const _variant_t* source = nullptr)
    {
        check(::VariantChangeType(this, source != nullptr ? source : this, 0, type));
    }

    /// Frees the value and takes over that of `source`, which is left
    /// VT_EMPTY without freeing anything.
    void Attach(VARIANT& source)
    {
        Clear();
        static_cast<VARIANT&>(*this) = source;
        ::VariantInit(&source);
    }

    /// Hands the value over to the caller, who then owns it; this becomes
    /// VT_EMPTY.
    VARIANT Detach() noexcept
    {
        const VARIANT value = *this;
        ::VariantInit(this);
        return value;
    }

private:
    template <class T, class Value>
    void set(VARTYPE type, T VARIANT::*member, Value value) noexcept
    {
        ::VariantInit(this);
        this->*member = static_cast<T>(value);
        vt = type;
    }

    static void check(HRESULT status)
    {
        if (status < 0)
            _com_issue_error(status);
    }
};
#endif
