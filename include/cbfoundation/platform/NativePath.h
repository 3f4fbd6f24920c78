// The one conversion of wide paths to the operating system's file names and
// back, used by every function of the library that takes or returns a path.
#pragma once

#include <cbfoundation/Export.h>

#include <cstddef>
#include <string>

namespace cbf::platform {

#if defined(_WIN32)
/// A character of the operating system's file names: a UTF-16 unit.
using NativePathChar = wchar_t;
#else
/// A character of the operating system's file names: a byte.
using NativePathChar = char;
#endif

/// A path in the form the operating system's file calls take.
using NativePath = std::basic_string<NativePathChar>;

/// Converts `length` wide characters of a path to the operating system's
/// form. False, leaving `native` unspecified, when the path holds a NUL
/// character (which would end it early, naming another file) or a character
/// that the file-name encoding cannot carry; the conversion never substitutes
/// a character.
///
/// On Windows the path is taken as it is. Elsewhere a backslash becomes a
/// slash, so that `\dir\file.txt` and `/dir/file.txt` name the same file, and
/// the characters are encoded in the code set of the current LC_CTYPE locale
/// (UTF-8 for the "C" locale, as file names hold in practice). A surrogate pair
/// stored as two wchar_t is encoded as the one character it stands for. The
/// values U+DC80 to U+DCFF stand for the single bytes 0x80 to 0xFF that
/// FromNativePath could not decode, and become those bytes again; every other
/// unpaired surrogate, and any value above U+10FFFF, is refused.
CB_API bool ToNativePath(const wchar_t* path, std::size_t length, NativePath& native);

/// The wide form of `length` characters of a path that the operating system
/// gave. On Windows a copy. Elsewhere the bytes are decoded in the locale's
/// code set, and each byte that does not decode becomes U+DC00 plus its value,
/// so that ToNativePath gives back exactly the bytes of any file name.
CB_API std::wstring FromNativePath(const NativePathChar* path, std::size_t length);

} // namespace cbf::platform
