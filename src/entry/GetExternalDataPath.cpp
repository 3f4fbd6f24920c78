// GetExternalDataPath and its exported status words.
#include <cbfoundation/entry/GetExternalDataPath.h>

#include "entry/ExternalDataPathSearch.h"

#include <cstdint>

CB_EXTERN_C CB_API const uint32_t OK = cbf::entry::kStatusOk;
CB_EXTERN_C CB_API const uint32_t ERROR_UNKNOWN = cbf::entry::kStatusUnknown;
CB_EXTERN_C CB_API const uint32_t ERROR_FILENOTFOUND = cbf::entry::kStatusFileNotFound;

CB_EXTERN_C CB_API BSTR GetExternalDataPath(const char* path, uint32_t* status)
{
    std::uint32_t result = cbf::entry::kStatusUnknown;
    *status = result;
    const CStringW text = cbf::entry::FindExternalDataPath(path, result);
    *status = result;
    try {
        return CbOleStringFromWide(text.GetString(), static_cast<size_t>(text.GetLength()));
    } catch (...) {
        return nullptr;
    }
}
