// printf-style formatting with the conversions' Windows meaning, the same on
// every platform.
#pragma once

#include <cbfoundation/Export.h>

#include <cstdarg>
#include <string>

namespace cbf::platform {

/// Appends to `out` the text that `format` gives with `arguments`.
///
/// The conversions follow the Windows runtime, so that a format written for
/// Windows prints the same everywhere:
/// - a string (`s`) or character (`c`) of the format's own width, and one of
///   the other width with the upper-case letter: in a narrow format `%s`/`%c`
///   take `const char*`/`char` and `%S`/`%C` take `const wchar_t*`/`wchar_t`,
///   in a wide format the other way round. `h` forces narrow, `l` and `w`
///   force wide. Text of the other width is converted through the process
///   code page; a null string pointer prints "(null)". Width and precision
///   count code units (a precision limits how many units of the argument are
///   read, so an argument with a precision need not be NUL-terminated);
///   the `0` flag pads with zeros, as on Windows.
/// - integer sizes: `I64` and `ll` take 64-bit values, `I32` 32-bit ones, `I`,
///   `z`, `t` and `j` pointer-sized or widest ones, `l` a `long`, `h` and `hh`
///   a `short` and a `char`.
/// - `d i u o x X e E f F g G a A p` with the flags `- + space # 0`, a width and
///   a precision (either may be `*`), `L` for `long double`, and `%%`.
/// Numbers are rendered by the C library's snprintf, so the decimal point is
/// that of the current LC_NUMERIC locale, and `%p` looks like the platform's.
/// `%n` consumes its pointer and stores nothing.
///
/// A conversion that is not understood, or a `%` that ends the format, ends
/// the formatting: it and the rest of the format are copied to the output as
/// they stand, and no further argument is read (its type would be a guess).
///
/// Results of any length are produced; the only limit is memory, and a single
/// number longer than INT_MAX characters, which throws std::length_error. A
/// null format throws std::invalid_argument.
CB_API void AppendFormat(std::string& out, const char* format, va_list arguments);

/// The wide form of AppendFormat above: `%s` takes `const wchar_t*`, `%S`
/// takes `const char*`, and so on.
CB_API void AppendFormat(std::wstring& out, const wchar_t* format, va_list arguments);

} // namespace cbf::platform
