// The lines that CbVariant's typed accessors name when they find another type.
#pragma once

namespace cbf::detail {

// One line per accessor of CbVariant.h; callers read them back from the
// exception, so they never change.
enum CbVariantAccessorLine : unsigned
{
    kLineBool = 203,
    kLineBoolRef = 205,
    kLineChar = 208,
    kLineCharRef = 210,
    kLineSChar = 213,
    kLineSCharRef = 215,
    kLineUChar = 218,
    kLineUCharRef = 220,
    kLineShort = 223,
    kLineShortRef = 225,
    kLineUShort = 228,
    kLineUShortRef = 230,
    kLineInt = 233,
    kLineIntRef = 235,
    kLineUInt = 238,
    kLineUIntRef = 240,
    kLineInt64 = 243,
    kLineInt64Ref = 245,
    kLineUInt64 = 248,
    kLineUInt64Ref = 250,
    kLineLong = 253,
    kLineLongRef = 255,
    kLineULong = 258,
    kLineULongRef = 260,
    kLineFloat = 263,
    kLineFloatRef = 265,
    kLineDouble = 268,
    kLineDoubleRef = 270,
    kLineStringA = 273,
    kLineStringARef = 275,
    kLineStringAPointer = 277,
    kLineStringW = 280,
    kLineStringWRef = 282,
    kLineStringWPointer = 284,
    kLineByteArray = 287,
    kLineByteArrayRef = 289,
    kLineDateTime = 292,
    kLineDateTimeRef = 294,
    kLineObject = 297,
    kLineObjectRef = 299,
};

} // namespace cbf::detail
