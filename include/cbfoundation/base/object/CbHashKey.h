// CbHashKey: hashing and equality of map keys.
#pragma once

#include <cbfoundation/platform/Types.h>

#include <cwchar>

template <class Key>
struct CbHashKey;

/// Wide-text keys, compared case-sensitively code unit by code unit.
///
/// The hash is h = h * 33 + c over the UTF-16 code units of the text, in
/// unsigned 32-bit arithmetic. Where wchar_t is 32-bit, a character beyond
/// U+FFFF contributes its two surrogates, so a name hashes the same on every
/// platform.
template <>
struct CbHashKey<wchar_t*>
{
    static unsigned Hash(const wchar_t* key)
    {
        unsigned hash = 0;
        for (; *key; ++key) {
            const auto c = static_cast<unsigned>(*key);
            if (sizeof(wchar_t) > 2 && c > 0xFFFF && c <= 0x10FFFF) {
                hash = hash * 33 + (0xD800 + ((c - 0x10000) >> 10));
                hash = hash * 33 + (0xDC00 + (c & 0x3FF));
            } else {
                hash = hash * 33 + c;
            }
        }
        return hash;
    }

    static bool Equal(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
};
