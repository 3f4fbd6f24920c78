// UTF-16 at the wire boundary.
//
// Every stored form of wide text (binary streams, registry texts, OLE strings)
// is UTF-16, little-endian, whatever the width of wchar_t. These functions
// convert between wchar_t text and UTF-16 code units. They allocate nothing:
// the caller asks Utf16Length for the size and passes a buffer of its own.
//
// With a 16-bit wchar_t (Windows) wchar_t text already is UTF-16 and the
// functions are plain copies. With a 32-bit wchar_t (Linux) a code point above
// U+FFFF takes two code units, a surrogate pair. A wchar_t that holds a
// surrogate value on its own, as decoding an unpaired surrogate produces, is
// kept as that one unit both ways, so any sequence of code units survives a
// decode followed by an encode unchanged. Text is converted in blocks: a block
// without supplementary characters or surrogates, nearly all text, is one
// narrowing or widening copy that the compiler vectorises.
#pragma once

#include <cbfoundation/Export.h>

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the wire format copies UTF-16 code units as little-endian bytes");

namespace cbf::platform {

/// The number of UTF-16 code units that ToUtf16 writes for these `length`
/// wide characters.
CB_API std::uint64_t Utf16Length(const wchar_t* text, std::size_t length);

/// Writes the UTF-16 form of `length` wide characters to `out`, exactly
/// Utf16Length(text, length) code units.
///
/// A wchar_t value above U+10FFFF (or negative) is not a character; it is
/// written as U+FFFD REPLACEMENT CHARACTER, one unit.
CB_API void ToUtf16(const wchar_t* text, std::size_t length, char16_t* out);

/// Decodes `count` UTF-16 code units into `out`, which must have room for
/// `count` wide characters, and returns how many it wrote (at most `count`).
///
/// A high surrogate directly followed by a low surrogate becomes the one code
/// point they encode; every other unit, an unpaired surrogate included, is
/// copied as it is.
CB_API std::size_t FromUtf16(const char16_t* units, std::size_t count, wchar_t* out);

/// ToUtf16 into bytes at any alignment: writes the 2 * Utf16Length(text,
/// length) bytes of the little-endian code units to `out`.
CB_API void ToUtf16Le(const wchar_t* text, std::size_t length, unsigned char* out);

/// The common case of ToUtf16Le in one pass: when none of the `length`
/// characters is NUL or above U+FFFF, writes their 2 * length bytes to `out`
/// and returns true. Otherwise returns false, having written part of them.
CB_API bool ToUtf16LeSimple(const wchar_t* text, std::size_t length, unsigned char* out);

/// FromUtf16 from bytes at any alignment: decodes the `count` little-endian
/// code units at `bytes` (2 * count bytes).
CB_API std::size_t FromUtf16Le(const unsigned char* bytes, std::size_t count, wchar_t* out);

} // namespace cbf::platform
