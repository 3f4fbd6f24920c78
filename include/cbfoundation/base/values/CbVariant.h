// CbVariant: a strictly typed tagged value.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/LongModel.h>
#include <cbfoundation/platform/Types.h>

#include <concepts>
#include <cstddef>
#include <utility>

class CbDateTime;
class CbRTTI;
class CbStreamReadBinary;
class CbStreamWriteBinary;
class IObject;
class _variant_t;

/// An empty tag whose type selects an overload by the type it produces, as
/// in `variant.GetAs(CbTypeToType<_variant_t>())`.
template <class T>
struct CbTypeToType
{};

/// Nothing, or one value of one of seventeen types.
///
/// A variant is strictly typed: every typed accessor demands exactly the
/// type the variant holds and throws otherwise, even where a conversion
/// would be lossless (a variant holding a `short` does not answer
/// `operator int`). Nothing converts implicitly.
///
///     CbVariant value;
///     value = 42;                       // holds an int
///     int n = value;                    // 42
///     value = L"text";                  // now a wide string; the int is gone
///     CStringW& text = value;           // the held string, changeable in place
///     short s = std::as_const(value);   // throws: the variant holds no short
///
/// Scalars are stored inline. Strings, byte arrays, dates and objects are
/// heap objects that the variant owns alone: copies are deep, moves hand the
/// object over and leave the source null. Assigning a value of the type the
/// variant already holds changes the held object in place, so references
/// obtained through the reference accessors stay valid; any other assignment
/// first destroys the held object.
///
/// `long` and `unsigned long` are 32-bit types here as on every stored form:
/// they share the tags of `int` and `unsigned int`. Where `long` is 64 bits
/// wide, assigning a value outside the 32-bit range throws
/// CbVariant::CbExceptionConversion (line kLongOutOfRangeLine for `long`,
/// kUnsignedLongOutOfRangeLine for `unsigned long`) and leaves the variant
/// unchanged, and `operator long&` and `operator unsigned long&` are not
/// offered (a 32-bit value cannot be referenced as a 64-bit `long`).
///
/// A typed accessor that finds another type throws a CbException whose file
/// name is "CbVariant.h" and whose line and function name identify the
/// accessor (for instance line 233, "CbVariant::operator int"). Note that on
/// a non-const variant `int n = value;` calls the reference accessor
/// (line 235, "CbVariant::operator int &").
///
/// Not thread-safe: a variant is used by one thread at a time.
class CB_API CbVariant
{
public:
    /// The type tags. The numbers are stored in the binary form; 11 is a gap
    /// that no variant ever holds.
    enum EVariantType : unsigned
    {
        eVariantTypeNull = 0,
        eVariantTypeBool = 1,
        eVariantTypeInt = 2,
        eVariantTypeInt64 = 3,
        eVariantTypeUInt = 4,
        eVariantTypeFloat = 5,
        eVariantTypeDouble = 6,
        eVariantTypeChar = 7,
        eVariantTypeStringW = 8,
        eVariantTypeByteArray = 9,
        eVariantTypeDateTime = 10,
        eVariantTypeSChar = 12,
        eVariantTypeUChar = 13,
        eVariantTypeShort = 14,
        eVariantTypeUShort = 15,
        eVariantTypeUInt64 = 16,
        eVariantTypeObject = 17,
        eVariantTypeStringA = 18,
    };

    /// The byte array a variant of tag eVariantTypeByteArray holds.
    using ByteArray = CbArray<unsigned char, 0, CbArrayPolicyConstructDefault>;

    /// A variant value that cannot be converted or copied (an unknown type).
    /// Its file name is "CbVariant.cpp".
    class CB_API CbExceptionConversion : public CbException
    {
        CB_DECLARE_RTTI(CbExceptionConversion)
        CB_DECLARE_CLONE(CbExceptionConversion)

    public:
        /// Made with the line of the failed conversion, and with the exception
        /// that caused it.
        /// @{
        explicit CbExceptionConversion(unsigned line);
        CbExceptionConversion(unsigned line, const CbException& cause);
        /// @}
        /// Copies the line, the thread and the history.
        /// @{
        CbExceptionConversion(const CbExceptionConversion& other);
        CbExceptionConversion& operator=(const CbExceptionConversion& other);
        /// @}
        ~CbExceptionConversion() override;
    };

    /// Lines of the CbExceptionConversion thrown where `long` is 64 bits wide
    /// and an assigned `long` or `unsigned long` does not fit in 32 bits.
    /// @{
    static constexpr unsigned kLongOutOfRangeLine = 424;
    static constexpr unsigned kUnsignedLongOutOfRangeLine = 425;
    /// @}

    // Construction

    /// A null variant.
    CbVariant() noexcept = default;

    /// A deep copy; throws CbExceptionConversion (line 218) for an unknown type.
    CbVariant(const CbVariant& other)
    {
        if (isInlineType(other.m_type))
            takeCopy(other);
        else
            copyObject(other);
    }

    /// Takes the other's value (the held object itself); the other becomes null.
    CbVariant(CbVariant&& other) noexcept { takeValue(other); }

    /// Holds a new default instance of the class `type` describes, made by the
    /// create function registered under its name. Without a create function,
    /// or when it returns null or throws, throws CbException
    /// ("CbVariant.cpp", 146, "CbVariant::CbVariant").
    explicit CbVariant(const CbRTTI& type);

    ~CbVariant() { SetNull(); }

    // State

    /// The type of the held value.
    EVariantType GetType() const { return m_type; }
    /// Whether the variant holds nothing (eVariantTypeNull).
    bool IsNull() const { return m_type == eVariantTypeNull; }

    /// Destroys the held object, if any, and makes the variant null.
    void SetNull() noexcept
    {
        destroyHeldObject();
        m_type = eVariantTypeNull;
    }

    /// Makes the variant null, as SetNull.
    CbVariant& operator=(std::nullptr_t)
    {
        SetNull();
        return *this;
    }

    /// Converts the value in place into a value of `type` and returns *this.
    /// Nothing happens when the variant holds `type` already (whatever it is).
    ///
    /// - eVariantTypeNull: SetNull(); never fails.
    /// - eVariantTypeBool: numbers and characters give true when not zero (a
    ///   NaN gives true); text gives false exactly for the one-character text
    ///   "0" and true for any other (the empty text, "00" and "false" too).
    /// - The integer types, and eVariantTypeChar, which is converted as
    ///   `unsigned char` and keeps that byte:
    ///   - bool gives 0 or 1;
    ///   - another integer or character type gives its bits, zero-extended
    ///     when it is narrower, signed or not (a `short` -1 gives the `int`
    ///     65535, an `int` -1 the `__int64` 4294967295), and cut to the
    ///     target's width when it is wider (an `__int64` 65537 gives the
    ///     `short` 1);
    ///   - `float` and `double` are rounded with halves up (a value that is
    ///     not whole becomes floor(x + 0.5): 2.5 gives 3, -2.5 gives -2; a
    ///     `float` in single precision), then converted through a 32-bit
    ///     signed integer for `int`, `short` and `signed char`, a 64-bit signed
    ///     one for `__int64`, `unsigned int`, `unsigned short` and `unsigned
    ///     char`, or a 64-bit unsigned one for `unsigned __int64`, and cut to
    ///     the target's width (-1.0 gives the `unsigned short` 65535). A NaN,
    ///     and a value outside the range of that intermediate integer, give
    ///     its smallest value, as the x86-64 conversion instruction does, cut
    ///     to the target's width: INT_MIN for `int`, 0 for `short`, `signed
    ///     char`, `unsigned int`, `unsigned short`, `unsigned char` and
    ///     `char`, INT64_MIN for `__int64`; for `unsigned __int64` 2^63 (a NaN,
    ///     or below -2^63) or 0 (2^64 and above). None of this is undefined
    ///     behaviour.
    ///   - text is scanned as the C library's scanf reads "%I64i" for the
    ///     signed targets (a sign, then 0x or 0X for hexadecimal or a leading
    ///     0 for octal) and "%I64u" for the unsigned ones and `char` (decimal
    ///     digits; a leading minus gives the two's complement), after leading
    ///     blanks, ignoring the text after the number ("12abc" gives 12,
    ///     "0x1F" gives the `int` 31 and the `unsigned int` 0). Digits beyond
    ///     64 bits wrap around; the value is then cut to the target's width.
    /// - eVariantTypeFloat, eVariantTypeDouble: bool gives 0.0 or 1.0;
    ///   integers and characters their value (the signed types and `char`
    ///   sign-extended), rounded once to the target's precision; `double` to
    ///   `float` is rounded to single precision, `float` to `double` exact.
    ///   Text is parsed by the C library (strtod) with the decimal separator
    ///   of its current locale, after leading blanks, and must be a number to
    ///   its last character ("1.5 " and "12abc" fail); the empty text gives
    ///   0.0. A `float` takes the parsed `double` rounded.
    /// - eVariantTypeStringW, eVariantTypeStringA: bool as 0 or 1, `char` as
    ///   the character itself, the other integers in decimal ("%d", "%I64i",
    ///   "%I64u"), where an `unsigned int` above 2147483647 is written as its
    ///   signed reading (4294967295 gives "-1", which converts back to
    ///   4294967295); `float` and `double` as "%f" (six decimals, the current
    ///   locale's separator: 1.5 gives "1.500000"); a date as its UTC text
    ///   "YYYY-MM-DD hh:mm:ss" (ToString with "Y-m-d H:i:s"). Narrow and wide
    ///   text convert into each other through the process code page, and
    ///   every narrow result is the wide one so converted.
    /// - eVariantTypeDateTime: a wide or narrow text "YYYY-MM-DD hh:mm:ss",
    ///   taken as UTC, as the CbDateTime text constructors read it.
    ///
    /// Failure: the variant keeps its value, and the exception is always a
    /// CbExceptionConversion ("CbVariant.cpp"), line 627, whose history holds
    /// the cause: a CbExceptionConversion with line 622 for the targets
    /// eVariantTypeByteArray, eVariantTypeObject and any unknown value, 617
    /// for a date from a value that is not text; for a source the conversion
    /// does not take (null, a byte array, an object, a date where not listed)
    /// the conversion's line: 899 to bool, 1082 to `int`, 1014 `short`, 933
    /// `signed char`, 1150 `__int64`, 1116 `unsigned int`, 1048 `unsigned
    /// short`, 980 `unsigned char` and `char`, 1184 `unsigned __int64`, 1218
    /// `float`, 1252 `double`, 1288 text; for text that holds no number 764
    /// (to `float` or `double`), 782 and 800 (narrow and wide text, signed
    /// targets), 818 and 836 (unsigned targets); for text that holds no date
    /// the CbDateTime constructor's CbException. Any other exception (a
    /// failed allocation, say) becomes line 631 with no history.
    CbVariant& ConvertTo(EVariantType type);

    // Copying and moving

    /// Deep copy, reusing the held object when both hold the same type of
    /// string, array or date. Throws CbExceptionConversion (line 218) for an
    /// unknown type and leaves this variant unchanged then.
    CbVariant& operator=(const CbVariant& other)
    {
        if (m_type == other.m_type && isInlineType(m_type)) {
            m_value = other.m_value;
        } else if (isInlineType(other.m_type)) {
            const Payload value = other.m_value;
            const EVariantType type = other.m_type;
            destroyHeldObject();
            m_value = value;
            m_type = type;
        } else if (m_type == other.m_type && m_type == eVariantTypeStringW) {
            *m_value.stringW = *other.m_value.stringW;
        } else if (m_type == other.m_type && m_type == eVariantTypeByteArray) {
            *m_value.byteArray = *other.m_value.byteArray;
        } else if (this != &other) {
            copyObject(other);
        }
        return *this;
    }

    /// Takes the other's value (the held object itself); the other becomes
    /// null.
    CbVariant& operator=(CbVariant&& other) noexcept
    {
        if (this != &other) {
            SetNull();
            takeValue(other);
        }
        return *this;
    }

    // Assignment of values

    /// Holds `value` with the tag of its type.
    /// @{
    CbVariant& operator=(bool value) { return storeScalar(eVariantTypeBool, &Payload::asBool, value); }
    CbVariant& operator=(char value) { return storeScalar(eVariantTypeChar, &Payload::asChar, value); }
    CbVariant& operator=(signed char value) { return storeScalar(eVariantTypeSChar, &Payload::asSChar, value); }
    CbVariant& operator=(unsigned char value) { return storeScalar(eVariantTypeUChar, &Payload::asUChar, value); }
    CbVariant& operator=(short value) { return storeScalar(eVariantTypeShort, &Payload::asShort, value); }
    CbVariant& operator=(unsigned short value) { return storeScalar(eVariantTypeUShort, &Payload::asUShort, value); }
    CbVariant& operator=(int value) { return storeScalar(eVariantTypeInt, &Payload::asInt, value); }
    CbVariant& operator=(unsigned int value) { return storeScalar(eVariantTypeUInt, &Payload::asUInt, value); }
    CbVariant& operator=(__int64 value) { return storeScalar(eVariantTypeInt64, &Payload::asInt64, value); }
    CbVariant& operator=(unsigned __int64 value) { return storeScalar(eVariantTypeUInt64, &Payload::asUInt64, value); }
    CbVariant& operator=(float value) { return storeScalar(eVariantTypeFloat, &Payload::asFloat, value); }
    CbVariant& operator=(double value) { return storeScalar(eVariantTypeDouble, &Payload::asDouble, value); }
    /// @}

    /// Holds an int; see the class comment for values outside 32 bits.
    CbVariant& operator=(long value);

    /// Holds an unsigned int; see the class comment for values outside 32 bits.
    CbVariant& operator=(unsigned long value);

    /// Holds a wide string (a null pointer gives the empty string).
    /// @{
    CbVariant& operator=(const wchar_t* value);
    CbVariant& operator=(const CStringW& value);
    /// @}

    /// Holds a narrow string (a null pointer gives the empty string).
    /// @{
    CbVariant& operator=(const char* value);
    CbVariant& operator=(const CStringA& value);
    /// @}

    /// Holds a copy of `value` (an eVariantTypeByteArray or
    /// eVariantTypeDateTime value).
    /// @{
    CbVariant& operator=(const ByteArray& value);
    CbVariant& operator=(const CbDateTime& value);
    /// @}

    /// Holds a copy of `object`, made by the clone function registered under
    /// the name of its class (the object may be the one this variant holds).
    /// Without a clone function, or when it returns null or throws, throws
    /// CbException ("CbVariant.cpp", 416, "CbVariant::operator =") and the
    /// variant is left null.
    CbVariant& operator=(const IObject& object);

    // Typed access: each demands exactly its type (see the class comment)

    /// The held value of exactly this type, or a reference to it that the
    /// variant keeps owning. Any other type throws CbExceptionConversion with
    /// the line and the function-name text of the accessor.
    /// @{
    operator bool() const { return read(eVariantTypeBool, &Payload::asBool, kLineBool, "CbVariant::operator bool"); }
    operator bool&() { return refer(eVariantTypeBool, &Payload::asBool, kLineBoolRef, "CbVariant::operator bool &"); }
    operator char() const { return read(eVariantTypeChar, &Payload::asChar, kLineChar, "CbVariant::operator char"); }
    operator char&() { return refer(eVariantTypeChar, &Payload::asChar, kLineCharRef, "CbVariant::operator char &"); }
    operator signed char() const
    {
        return read(eVariantTypeSChar, &Payload::asSChar, kLineSChar, "CbVariant::operator signed char");
    }
    operator signed char&()
    {
        return refer(eVariantTypeSChar, &Payload::asSChar, kLineSCharRef, "CbVariant::operator signed char &");
    }
    operator unsigned char() const
    {
        return read(eVariantTypeUChar, &Payload::asUChar, kLineUChar, "CbVariant::operator unsigned char");
    }
    operator unsigned char&()
    {
        return refer(eVariantTypeUChar, &Payload::asUChar, kLineUCharRef, "CbVariant::operator unsigned char &");
    }
    operator short() const
    {
        return read(eVariantTypeShort, &Payload::asShort, kLineShort, "CbVariant::operator short");
    }
    operator short&()
    {
        return refer(eVariantTypeShort, &Payload::asShort, kLineShortRef, "CbVariant::operator short &");
    }
    operator unsigned short() const
    {
        return read(eVariantTypeUShort, &Payload::asUShort, kLineUShort, "CbVariant::operator unsigned short");
    }
    operator unsigned short&()
    {
        return refer(eVariantTypeUShort, &Payload::asUShort, kLineUShortRef, "CbVariant::operator unsigned short &");
    }
    operator int() const { return read(eVariantTypeInt, &Payload::asInt, kLineInt, "CbVariant::operator int"); }
    operator int&() { return refer(eVariantTypeInt, &Payload::asInt, kLineIntRef, "CbVariant::operator int &"); }
    operator unsigned int() const
    {
        return read(eVariantTypeUInt, &Payload::asUInt, kLineUInt, "CbVariant::operator unsigned int");
    }
    operator unsigned int&()
    {
        return refer(eVariantTypeUInt, &Payload::asUInt, kLineUIntRef, "CbVariant::operator unsigned int &");
    }
    operator __int64() const
    {
        return read(eVariantTypeInt64, &Payload::asInt64, kLineInt64, "CbVariant::operator __int64");
    }
    operator __int64&()
    {
        return refer(eVariantTypeInt64, &Payload::asInt64, kLineInt64Ref, "CbVariant::operator __int64 &");
    }
    operator unsigned __int64() const
    {
        return read(eVariantTypeUInt64, &Payload::asUInt64, kLineUInt64, "CbVariant::operator unsigned __int64");
    }
    operator unsigned __int64&()
    {
        return refer(eVariantTypeUInt64, &Payload::asUInt64, kLineUInt64Ref, "CbVariant::operator unsigned __int64 &");
    }
    /// @}

    /// The held int (tag eVariantTypeInt), widened where `long` is 64 bits.
    operator long() const { return read(eVariantTypeInt, &Payload::asInt, kLineLong, "CbVariant::operator long"); }

    /// The held unsigned int (tag eVariantTypeUInt), widened likewise.
    operator unsigned long() const
    {
        return read(eVariantTypeUInt, &Payload::asUInt, kLineULong, "CbVariant::operator unsigned long");
    }

    /// `long&` and `unsigned long&` to the held 32-bit value; offered only
    /// where `long` is 32 bits wide.
    /// @{
    template <class Long>
    requires cbf::platform::kLongIs32Bit && std::same_as<Long, long>
    operator Long&() { return refer(eVariantTypeInt, &Payload::asLong, kLineLongRef, "CbVariant::operator long &"); }
    template <class Long>
    requires cbf::platform::kLongIs32Bit && std::same_as<Long, unsigned long>
    operator Long&()
    {
        return refer(eVariantTypeUInt, &Payload::asULong, kLineULongRef, "CbVariant::operator unsigned long &");
    }
    /// @}

    /// Where `long` is 64 bits wide, `long n = variant;` on a non-const
    /// variant would otherwise have no best conversion (every reference
    /// accessor converts equally well); this reads through the value accessor.
    template <class Long>
    requires(!cbf::platform::kLongIs32Bit) &&
        (std::same_as<Long, long> || std::same_as<Long, unsigned long>)operator Long()
    {
        return std::as_const(*this).operator Long();
    }

    /// The held float or double, or a reference to it; another type throws
    /// CbExceptionConversion.
    /// @{
    operator float() const
    {
        return read(eVariantTypeFloat, &Payload::asFloat, kLineFloat, "CbVariant::operator float");
    }
    operator float&()
    {
        return refer(eVariantTypeFloat, &Payload::asFloat, kLineFloatRef, "CbVariant::operator float &");
    }
    operator double() const
    {
        return read(eVariantTypeDouble, &Payload::asDouble, kLineDouble, "CbVariant::operator double");
    }
    operator double&()
    {
        return refer(eVariantTypeDouble, &Payload::asDouble, kLineDoubleRef, "CbVariant::operator double &");
    }
    /// @}

    /// The held narrow string, or a reference to it; another type throws
    /// CbExceptionConversion.
    /// @{
    operator const CStringA&() const;
    operator CStringA&();
    /// @}
    /// The narrow string's characters, valid until the variant changes.
    operator const char*() const;

    /// The held wide string, or a reference to it; another type throws
    /// CbExceptionConversion.
    /// @{
    operator const CStringW&() const;
    operator CStringW&();
    /// @}
    /// The wide string's characters, valid until the variant changes.
    operator const wchar_t*() const;

    /// The held byte array, or a reference to it; another type throws
    /// CbExceptionConversion.
    /// @{
    operator const ByteArray&() const;
    operator ByteArray&();
    /// @}

    /// The held date, or a reference to it; another type throws
    /// CbExceptionConversion.
    /// @{
    operator const CbDateTime&() const;
    operator CbDateTime&();
    /// @}

    /// The held object; another type throws CbExceptionConversion.
    /// @{
    operator const IObject&() const;
    operator IObject&();
    /// @}

    // Comparison

    /// Same type and equal value. Floating-point values compare as IEEE
    /// numbers (a NaN equals nothing, +0 equals -0), strings code unit by
    /// code unit, byte arrays by content. Two objects (or an unknown type)
    /// throw CbException ("CbVariant.cpp", 500, "CbVariant::operator ==").
    bool operator==(const CbVariant& other) const;
    /// The opposite of operator==.
    bool operator!=(const CbVariant& other) const { return !(*this == other); }

    /// Ordering of two variants of one type: numbers by value (IEEE for
    /// floating point: false with a NaN), strings case-sensitively code unit
    /// by code unit, dates by time. Every non-null variant is greater than a
    /// null one; variants of different types order by their type tags.
    /// A right operand holding a byte array, an object or an unknown type
    /// throws CbException ("CbVariant.cpp", 534, "CbVariant::operator <").
    bool operator<(const CbVariant& other) const;

    /// As operator<, mirrored; throws with line 568 and "CbVariant::operator >".
    bool operator>(const CbVariant& other) const;

    // Binary form

    /// Writes the variant record: version stamp 0, the tag as 32 bits, the
    /// value. A date is written as its local-time text "YYYY-MM-DD hh:mm:ss"
    /// (seconds precision). An object cannot be written: after the stamp and
    /// the tag, throws CbException ("CbVariant.cpp", 743, "CbVariant::Serialize").
    void Serialize(CbStreamWriteBinary& stream) const;

    /// Replaces the value with the record read from `stream`. An unknown tag
    /// (11, 17, above 18) throws CbException ("CbVariant.cpp", 701,
    /// "CbVariant::Serialize") and leaves the variant null; a date text that
    /// does not parse gives a null variant. When the stream fails inside the
    /// record its exception passes through and the variant holds the record's
    /// type with the part of the value that arrived (or is null). A string or
    /// byte array the variant holds takes a record of its own type in place,
    /// as an assignment would.
    void Serialize(CbStreamReadBinary& stream);

    // OLE export

    /// The value as a new OLE VARIANT (include <cbfoundation/platform/OleVariant.h>
    /// to call it): bool as VT_BOOL (VARIANT_TRUE or VARIANT_FALSE), int as
    /// VT_INT, unsigned int as VT_UINT, float as VT_R4, double as VT_R8, char
    /// as VT_I1, signed char as VT_INT (sign-extended), unsigned char as
    /// VT_UI1, short as VT_I2, unsigned short as VT_UI2, and the wide string
    /// as VT_BSTR holding a new OLE string of its whole text (UTF-16). The
    /// variant is not changed. The other types (null, 64-bit integers, the
    /// narrow string, byte arrays, dates, objects) have no OLE form and throw
    /// CbExceptionConversion with line 459. A failing OLE call throws
    /// _com_error with its HRESULT.
    _variant_t GetAs(CbTypeToType<_variant_t>) const;

private:
    union Payload
    {
        unsigned __int64 asUInt64;
        bool asBool;
        char asChar;
        signed char asSChar;
        unsigned char asUChar;
        short asShort;
        unsigned short asUShort;
        int asInt;
        unsigned int asUInt;
        long asLong;
        unsigned long asULong;
        __int64 asInt64;
        float asFloat;
        double asDouble;
        CStringW* stringW;
        CStringA* stringA;
        ByteArray* byteArray;
        CbDateTime* dateTime;
        IObject* object;
    };
    static_assert(sizeof(Payload) == 8, "the payload slot is 8 bytes");

    // Where a typed accessor that finds another type says it failed: this
    // file's name and one line per accessor.
    static constexpr const char* kAccessorSource = "CbVariant.h";
    static constexpr unsigned kLineBool = 203, kLineBoolRef = 205, kLineChar = 208, kLineCharRef = 210,
                              kLineSChar = 213, kLineSCharRef = 215, kLineUChar = 218, kLineUCharRef = 220,
                              kLineShort = 223, kLineShortRef = 225, kLineUShort = 228, kLineUShortRef = 230,
                              kLineInt = 233, kLineIntRef = 235, kLineUInt = 238, kLineUIntRef = 240, kLineInt64 = 243,
                              kLineInt64Ref = 245, kLineUInt64 = 248, kLineUInt64Ref = 250, kLineLong = 253,
                              kLineLongRef = 255, kLineULong = 258, kLineULongRef = 260, kLineFloat = 263,
                              kLineFloatRef = 265, kLineDouble = 268, kLineDoubleRef = 270, kLineStringA = 273,
                              kLineStringARef = 275, kLineStringAPointer = 277, kLineStringW = 280,
                              kLineStringWRef = 282, kLineStringWPointer = 284, kLineByteArray = 287,
                              kLineByteArrayRef = 289, kLineDateTime = 292, kLineDateTimeRef = 294, kLineObject = 297,
                              kLineObjectRef = 299;

    // Sets of tags as bit masks; 11, the gap, belongs to none.
    static constexpr unsigned kKnownTypes = ((1u << (eVariantTypeStringA + 1)) - 1) & ~(1u << 11);
    static constexpr unsigned kObjectTypes = 1u << eVariantTypeStringW | 1u << eVariantTypeByteArray |
                                             1u << eVariantTypeDateTime | 1u << eVariantTypeObject |
                                             1u << eVariantTypeStringA;
    static constexpr unsigned kInlineTypes = kKnownTypes & ~kObjectTypes;

    // Every tag beyond the last enumerator tests bit 31, which no set has:
    // one comparison the compiler makes without a branch, where testing the
    // range first would take one on every copy.
    static constexpr unsigned kBeyondTheTags = 31;
    static_assert(eVariantTypeStringA < kBeyondTheTags);
    static constexpr bool isIn(unsigned types, unsigned tag)
    {
        return types >> (tag < kBeyondTheTags ? tag : kBeyondTheTags) & 1u;
    }

    /// Whether `tag` is one of the enumerators.
    static constexpr bool isKnownType(unsigned tag) { return isIn(kKnownTypes, tag); }

    /// Null or a scalar: copied as the tag and the slot.
    static constexpr bool isInlineType(unsigned tag) { return isIn(kInlineTypes, tag); }

    bool holdsObject() const { return isIn(kObjectTypes, m_type); }

    /// Destroys the held object, if any, leaving the tag to the caller.
    void destroyHeldObject() noexcept
    {
        if (holdsObject())
            destroyObject();
    }
    void destroyObject() noexcept;
    void* destroyKeepingBlock() noexcept;

    // The strings, byte arrays and dates that a variant holds live in blocks
    // of one size: a block that one of them leaves can take any other.
    static constexpr std::size_t kValueBlockSize = 32;

    template <class T>
    CbVariant& storeScalar(EVariantType type, T Payload::*member, T value)
    {
        destroyHeldObject();
        m_value.*member = value;
        m_type = type;
        return *this;
    }

    template <class T>
    T read(EVariantType type, T Payload::*member, unsigned line, const char* function) const
    {
        requireType(type, line, function);
        return m_value.*member;
    }

    template <class T>
    T& refer(EVariantType type, T Payload::*member, unsigned line, const char* function)
    {
        requireType(type, line, function);
        return m_value.*member;
    }

    void requireType(EVariantType type, unsigned line, const char* function) const
    {
        if (m_type != type)
            throwWrongType(line, function);
    }

    [[noreturn]] static void throwWrongType(unsigned line, const char* function);

    // The conversions behind ConvertTo (CbVariantConvert*.cpp).
    struct Conversion;

    template <class T>
    void assignOwned(EVariantType type, T* Payload::*member, const T& value);

    /// The result of `copy()`; when that throws, the variant is made null first.
    template <class Copy>
    auto copyOrRelease(Copy copy);

    void takeCopy(const CbVariant& other) noexcept
    {
        m_value = other.m_value;
        m_type = other.m_type;
    }

    void takeValue(CbVariant& other) noexcept
    {
        takeCopy(other);
        other.m_type = eVariantTypeNull;
    }

    void copyObject(const CbVariant& other);
    void requireOrdered(unsigned line, const char* function) const;
    static bool lessThan(const CbVariant& left, const CbVariant& right);
    EVariantType readType(CbStreamReadBinary& stream);
    void prepareFor(EVariantType type);
    void readValue(CbStreamReadBinary& stream, EVariantType type);
    void readDateTime(CbStreamReadBinary& stream);

    EVariantType m_type = eVariantTypeNull;
    Payload m_value{};
};
