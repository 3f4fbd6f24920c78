// OLE strings (BSTR): the text that crosses to COM and to managed callers.
//
// An OLE string is a pointer to NUL-terminated UTF-16 code units, preceded in
// the same heap block by its length in bytes. The text may contain NUL units;
// the length, not the first NUL, says where it ends. The null pointer is a
// valid OLE string, read as empty.
//
// On Windows these are the system's own (oleaut32): OLECHAR is wchar_t and
// the Sys* functions are the system's. Elsewhere OLECHAR is char16_t and the
// block has the layout that .NET's runtime frees on 64-bit Unix: it comes from
// malloc, the text starts 8 bytes into it, the 4 bytes just before the text
// hold its length in bytes, and a NUL unit follows the text. The Sys* names
// are inline functions there, so that client code calling them builds
// unchanged, but the library exports them only under the Cb prefix.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>

#include <cstddef>

#if defined(_WIN32)
#include <cbfoundation/platform/detail/WindowsApi.h>

#include <oleauto.h>
#else
/// One UTF-16 code unit of an OLE string.
using OLECHAR = char16_t;

/// An OLE string: the first unit of its text, or null for the empty text.
using BSTR = OLECHAR*;
#endif

/// A new OLE string holding the NUL-terminated `text`, or null when `text` is
/// null or memory runs out. The caller frees it with CbSysFreeString or
/// SysFreeString. Exported under this plain name for callers that cannot
/// allocate or free OLE strings the system's way themselves: a runtime that
/// frees another layout, or ctypes.
CB_EXTERN_C CB_API BSTR CbSysAllocString(const OLECHAR* text);

/// Frees an OLE string, whether made by the library, by CbSysAllocString or
/// by SysAllocString; null is ignored.
CB_EXTERN_C CB_API void CbSysFreeString(BSTR text);

/// The length of an OLE string in code units, NULs inside included, without
/// the terminating NUL; 0 for null.
CB_EXTERN_C CB_API unsigned int CbSysStringLen(BSTR text);

#if !defined(_WIN32)
namespace cbf::platform {

/// The longest OLE string, in code units, that can be allocated: its length
/// in bytes and its whole block must fit in 32 bits.
inline constexpr unsigned int kLongestOleString = (0xFFFFFFFFu - 8u - sizeof(OLECHAR)) / sizeof(OLECHAR);

/// A new OLE string of `length` units copied from `text` (NULs included), or
/// of `length` units left unset when `text` is null. Null when `length` is
/// above kLongestOleString or memory runs out.
CB_API BSTR AllocateOleString(const OLECHAR* text, unsigned int length);

} // namespace cbf::platform

/// A new OLE string holding the NUL-terminated `text`; null when `text` is
/// null or memory runs out.
inline BSTR SysAllocString(const OLECHAR* text)
{
    return CbSysAllocString(text);
}

/// A new OLE string of `length` units copied from `text`, or left unset when
/// `text` is null; null when memory runs out.
inline BSTR SysAllocStringLen(const OLECHAR* text, unsigned int length)
{
    return cbf::platform::AllocateOleString(text, length);
}

/// Frees an OLE string; null is ignored.
inline void SysFreeString(BSTR text)
{
    CbSysFreeString(text);
}

/// The length of an OLE string in code units; 0 for null.
inline unsigned int SysStringLen(BSTR text)
{
    return CbSysStringLen(text);
}
#endif

/// A new OLE string holding the UTF-16 form of `length` wide characters
/// (characters above U+FFFF become surrogate pairs, see Utf16.h). Null only
/// when the string cannot be allocated. The caller owns it.
CB_API BSTR CbOleStringFromWide(const wchar_t* text, std::size_t length);

/// The wide text of an OLE string, all SysStringLen units of it, decoded from
/// UTF-16 (surrogate pairs joined, lone surrogates kept). Null reads as empty.
CB_API CStringW CbWideFromOleString(BSTR text);
