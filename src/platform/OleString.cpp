// Conversion between wide text and OLE strings, whose text is UTF-16.
#include <cbfoundation/platform/OleString.h>

#include <cbfoundation/platform/Utf16.h>

#include <climits>
#include <cstdint>

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "an OLE string holds UTF-16 code units");

BSTR CbOleStringFromWide(const wchar_t* text, std::size_t length)
{
    const std::uint64_t units = cbf::platform::Utf16Length(text, length);
    if (units > UINT_MAX)
        return nullptr;
    const BSTR result = ::SysAllocStringLen(nullptr, static_cast<unsigned int>(units));
    if (result != nullptr)
        cbf::platform::ToUtf16(text, length, reinterpret_cast<char16_t*>(result));
    return result;
}

CStringW CbWideFromOleString(BSTR text)
{
    const unsigned int units = ::SysStringLen(text);
    CStringW wide;
    if (units == 0)
        return wide;
    wchar_t* const buffer = wide.GetBuffer(static_cast<int>(units));
    const std::size_t length = cbf::platform::FromUtf16(reinterpret_cast<const char16_t*>(text), units, buffer);
    wide.ReleaseBuffer(static_cast<int>(length));
    return wide;
}
