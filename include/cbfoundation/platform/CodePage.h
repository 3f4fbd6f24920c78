// Conversion between narrow text in the process code page and wide text.
#pragma once

#include <cbfoundation/Export.h>

#include <cstddef>
#include <string>

namespace cbf::platform {

/// Converts `length` bytes of narrow text, read in the process code page, to
/// wide text. Embedded NUL bytes are converted like any other character.
///
/// The process code page is the ANSI code page on Windows. Elsewhere it is the
/// code set of the current LC_CTYPE locale, with one twist: the plain "C" or
/// POSIX locale, which every program is in until it calls setlocale, is read
/// as UTF-8 rather than as ASCII, because that is what file names and
/// configuration texts hold in practice. UTF-8 is decoded by a built-in codec;
/// other code sets go through the C library.
///
/// Bytes that do not form a valid character never fail the conversion. Outside
/// Windows each such byte becomes one U+FFFD REPLACEMENT CHARACTER: in UTF-8
/// a stray continuation byte, every byte of an overlong or truncated sequence,
/// of an encoded surrogate or of a value above U+10FFFF. On Windows the
/// system's conversion decides. ASCII text is returned unchanged.
///
/// On Windows a text longer than INT_MAX bytes throws std::length_error.
CB_API std::wstring NarrowToWide(const char* text, std::size_t length);

/// Converts `length` wide characters to narrow text in the process code page.
///
/// Characters the code page cannot represent become '?' (in UTF-8 every
/// character can be represented). When the text is written as UTF-8, a lone
/// surrogate and a value above U+10FFFF become U+FFFD, and a high surrogate
/// directly followed by a low one is written as the single character the pair
/// stands for. ASCII text is returned unchanged.
///
/// On Windows a text longer than INT_MAX characters throws std::length_error.
CB_API std::string WideToNarrow(const wchar_t* text, std::size_t length);

} // namespace cbf::platform
