// CbVariant::Conversion: the conversions behind CbVariant::ConvertTo, one family of targets per unit.
#pragma once

#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <utility>

// Each conversion computes the new value completely, and only then releases
// the old one and stores the new: whatever it throws leaves the variant as it
// was. Throwing the specific exception is theirs; ConvertTo translates it.
struct CbVariant::Conversion
{
    /// The conversion to `type`, chosen by the target (CbVariantConvert.cpp).
    static void Run(CbVariant& variant, EVariantType type);

    static void toBool(CbVariant& variant);
    static void toDateTime(CbVariant& variant);

    /// The integer targets and eVariantTypeChar (CbVariantConvertNumber.cpp).
    static void toInteger(CbVariant& variant, EVariantType type);

    /// eVariantTypeFloat and eVariantTypeDouble (CbVariantConvertNumber.cpp).
    static void toReal(CbVariant& variant, EVariantType type);

    /// eVariantTypeStringW and eVariantTypeStringA (CbVariantConvertText.cpp).
    static void toText(CbVariant& variant, EVariantType type);

    /// The bits of a bool, character or integer, zero-extended to 64; false
    /// for the other types.
    static bool integerBits(const CbVariant& variant, unsigned __int64& bits) noexcept;

    template <class T>
    static void storeScalar(CbVariant& variant, EVariantType type, T Payload::*member, T value) noexcept
    {
        variant.storeScalar(type, member, value);
    }

    /// Releases the old value and holds a new T made from `arguments`; when
    /// making it throws, the old value stays.
    template <class T, class... Arguments>
    static void storeNew(CbVariant& variant, EVariantType type, T* Payload::*member, Arguments&&... arguments)
    {
        T* object = cbf::platform::SmallObjectHeap::NewSized<T>(kValueBlockSize, std::forward<Arguments>(arguments)...);
        variant.SetNull();
        variant.m_value.*member = object;
        variant.m_type = type;
    }
};
