// The UTF-8 codec and the code-set test shared by the narrow-text and the
// file-name conversions of the POSIX backend.
#pragma once

#include <cstddef>
#include <string>

namespace cbf::platform::utf8 {

/// True when narrow text of the current LC_CTYPE locale is UTF-8: UTF-8
/// locales, and the "C"/POSIX locale that programs run in until they call
/// setlocale. Asked once per conversion, as setlocale may change the answer
/// at any time.
bool LocaleUsesUtf8();

/// Decodes the sequence that starts with the non-ASCII lead byte at `p`.
/// Returns its length in bytes and stores the code point, or returns 0 when
/// the bytes are not well-formed UTF-8 (overlong forms, surrogates and values
/// above U+10FFFF included).
std::size_t DecodeSequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint);

/// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendEncoded(char32_t codePoint, std::string& out);

} // namespace cbf::platform::utf8
