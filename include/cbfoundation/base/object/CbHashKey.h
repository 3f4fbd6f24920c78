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
    /// The hash of the NUL-terminated name `key`.
    static unsigned Hash(const wchar_t* key)
    {
        // Four characters per round where possible: the part that does not
        // depend on the running hash is computed alongside it, which halves
        // the chain of dependent multiplications. The result is the same as
        // one character at a time.
        unsigned hash = 0;
        for (;; key += 4) {
            const auto c0 = static_cast<unsigned>(key[0]);
            if (!c0)
                return hash;
            const auto c1 = static_cast<unsigned>(key[1]);
            if (!c1)
                return step(hash, c0);
            const auto c2 = static_cast<unsigned>(key[2]);
            if (!c2)
                return step(step(hash, c0), c1);
            const auto c3 = static_cast<unsigned>(key[3]);
            if (!c3)
                return step(step(step(hash, c0), c1), c2);
            if ((c0 | c1 | c2 | c3) > 0xFFFF)
                hash = step(step(step(step(hash, c0), c1), c2), c3);
            else
                hash = hash * (33u * 33 * 33 * 33) + ((c0 * 33 + c1) * 33 + c2) * 33 + c3;
        }
    }

    /// Whether two names are equal, character by character.
    static bool Equal(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

private:
    // One character; beyond U+FFFF (only where wchar_t is 32-bit) its two
    // surrogates, as the text would be stored in UTF-16.
    static unsigned step(unsigned hash, unsigned c)
    {
        if (sizeof(wchar_t) > 2 && c > 0xFFFF && c <= 0x10FFFF) {
            hash = hash * 33 + (0xD800 + ((c - 0x10000) >> 10));
            c = 0xDC00 + (c & 0x3FF);
        }
        return hash * 33 + c;
    }
};
