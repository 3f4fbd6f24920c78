// CbVariantLines: the source name and lines of the exceptions the variant's implementation raises.
#pragma once

namespace cbf::detail::variant {

inline constexpr const char* kSource = "CbVariant.cpp";
inline constexpr const wchar_t* kSourceW = L"CbVariant.cpp";

// The typed accessors report "CbVariant.h" and lines of their own, and the
// 32-bit range checks of `long` lines that callers can name; both are kept
// in the class.
enum Line : unsigned
{
    kLineCreate = 146,
    kLineCopyUnknownType = 218,
    kLineCloneObject = 416,
    kLineGetAsUnknownType = 459,
    kLineEqual = 500,
    kLineLess = 534,
    kLineGreater = 568,
    kLineReadUnknownType = 701,
    kLineWriteObject = 743,
};

} // namespace cbf::detail::variant
