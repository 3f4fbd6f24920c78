// The narrow-text converters of the COM support classes, which MinGW's
// headers declare but no MinGW library defines.
#include <cbfoundation/platform/OleVariant.h>

#include <cbfoundation/platform/CodePage.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

// Exported, so that MinGW clients whose _bstr_t or _variant_t takes narrow
// text link against the DLL too. Both report a failed allocation as
// _com_error E_OUTOFMEMORY, as the COM support classes expect.
namespace _com_util {

__declspec(dllexport) BSTR WINAPI ConvertStringToBSTR(const char* text)
{
    if (text == nullptr)
        return nullptr;
    try {
        const std::wstring wide = cbf::platform::NarrowToWide(text, std::strlen(text));
        const BSTR result = CbOleStringFromWide(wide.data(), wide.size());
        if (result == nullptr)
            _com_issue_error(E_OUTOFMEMORY);
        return result;
    } catch (const std::bad_alloc&) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return nullptr;
}

__declspec(dllexport) char* WINAPI ConvertBSTRToString(BSTR text)
{
    if (text == nullptr)
        return nullptr;
    try {
        // _bstr_t frees the result with delete[].
        const std::string narrow = cbf::platform::WideToNarrow(text, ::SysStringLen(text));
        char* const result = new char[narrow.size() + 1];
        std::memcpy(result, narrow.c_str(), narrow.size() + 1);
        return result;
    } catch (const std::bad_alloc&) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return nullptr;
}

} // namespace _com_util
