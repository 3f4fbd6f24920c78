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
    kLineConvertToDateTime = 617,
    kLineConvertToUnknownType = 622,
    kLineConvert = 627,
    kLineConvertOther = 631,
    kLineReadUnknownType = 701,
    kLineWriteObject = 743,
    kLineParseReal = 764,
    kLineScanSignedA = 782,
    kLineScanSignedW = 800,
    kLineScanUnsignedA = 818,
    kLineScanUnsignedW = 836,
    kLineToBool = 899,
    kLineToSChar = 933,
    kLineToUChar = 980,
    kLineToShort = 1014,
    kLineToUShort = 1048,
    kLineToInt = 1082,
    kLineToUInt = 1116,
    kLineToInt64 = 1150,
    kLineToUInt64 = 1184,
    kLineToFloat = 1218,
    kLineToDouble = 1252,
    kLineToText = 1288,
};

} // namespace cbf::detail::variant
