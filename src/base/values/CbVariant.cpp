// CbVariant: construction, assignment, typed access and comparison.
#include <cbfoundation/base/values/CbVariant.h>

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include "CbVariantLines.h"

#include <climits>
#include <cstring>

namespace {

using namespace cbf::detail::variant;

// Strings, byte arrays and dates live in blocks of the small-object heap:
// copying and releasing variants is what allocates and frees them most.
using Heap = cbf::platform::SmallObjectHeap;

// Calls a registered create or clone function. Whatever it throws means the
// same to the variant as a missing function: no object.
template <class Function, class... Arguments>
IObject* callFactory(Function function, const Arguments&... arguments)
{
    if (!function)
        return nullptr;
    try {
        return function(arguments...);
    } catch (...) {
        return nullptr;
    }
}

} // namespace

// CbVariant::CbExceptionConversion

CbVariant::CbExceptionConversion::CbExceptionConversion(unsigned line)
    : CbException(kSourceW, line, RTTI)
{}

CbVariant::CbExceptionConversion::CbExceptionConversion(unsigned line, const CbException& cause)
    : CbException(kSourceW, line, cause, RTTI)
{}

CbVariant::CbExceptionConversion::CbExceptionConversion(const CbExceptionConversion& other) = default;

CbVariant::CbExceptionConversion&
CbVariant::CbExceptionConversion::operator=(const CbExceptionConversion& other) = default;

CbVariant::CbExceptionConversion::~CbExceptionConversion() = default;

// Construction

CbVariant::CbVariant(const CbRTTI& type)
{
    IObject* object = callFactory(CbRTTI::getCreate(type.GetName()));
    if (!object)
        throw CbException(kSource, kLineCreate, "CbVariant::CbVariant");
    m_value.object = object;
    m_type = eVariantTypeObject;
}

void* CbVariant::destroyKeepingBlock() noexcept
{
    static_assert(sizeof(CStringW) <= kValueBlockSize && sizeof(CStringA) <= kValueBlockSize &&
                  sizeof(CbVariant::ByteArray) <= kValueBlockSize && sizeof(CbDateTime) <= kValueBlockSize);
    static_assert(Heap::BlockSize(1) == kValueBlockSize);
    switch (m_type) {
    case eVariantTypeStringW:
        m_value.stringW->~CStringW();
        return m_value.stringW;
    case eVariantTypeStringA:
        m_value.stringA->~CStringA();
        return m_value.stringA;
    case eVariantTypeByteArray:
        m_value.byteArray->~ByteArray();
        return m_value.byteArray;
    case eVariantTypeDateTime:
        m_value.dateTime->~CbDateTime();
        return m_value.dateTime;
    default:
        return nullptr;
    }
}

void CbVariant::destroyObject() noexcept
{
    if (m_type == eVariantTypeObject)
        delete m_value.object;
    else
        Heap::Deallocate(destroyKeepingBlock(), kValueBlockSize);
}

// Copying: the owned types and the rejection of unknown tags; null and the
// scalars are copied inline.
void CbVariant::copyObject(const CbVariant& other)
{
    switch (other.m_type) {
    case eVariantTypeStringW:
        *this = *other.m_value.stringW;
        break;
    case eVariantTypeStringA:
        *this = *other.m_value.stringA;
        break;
    case eVariantTypeByteArray:
        *this = *other.m_value.byteArray;
        break;
    case eVariantTypeDateTime:
        *this = *other.m_value.dateTime;
        break;
    case eVariantTypeObject:
        *this = *other.m_value.object;
        break;
    default:
        throw CbExceptionConversion(kLineCopyUnknownType);
    }
}

// Assignment of values

CbVariant& CbVariant::operator=(long value)
{
    if constexpr (!cbf::platform::kLongIs32Bit) {
        if (value < INT_MIN || value > INT_MAX)
            throw CbExceptionConversion(kLongOutOfRangeLine);
    }
    return *this = static_cast<int>(value);
}

CbVariant& CbVariant::operator=(unsigned long value)
{
    if constexpr (!cbf::platform::kLongIs32Bit) {
        if (value > UINT_MAX)
            throw CbExceptionConversion(kUnsignedLongOutOfRangeLine);
    }
    return *this = static_cast<unsigned int>(value);
}

// Same type: the held object takes the value in place, so references to it
// stay valid. Otherwise the copy is made before the old object goes, because
// `value` may live inside it (a member of a held IObject, say); a failed copy
// still leaves the variant null, as if the old value had been released first.
template <class Copy>
auto CbVariant::copyOrRelease(Copy copy)
{
    try {
        return copy();
    } catch (...) {
        SetNull();
        throw;
    }
}

template <class T>
void CbVariant::assignOwned(EVariantType type, T* Payload::*member, const T& value)
{
    if (m_type == type) {
        *(m_value.*member) = value;
        return;
    }
    if constexpr (std::is_nothrow_move_constructible_v<T>) {
        if (holdsObject() && m_type != eVariantTypeObject) {
            // The copy takes over the block of the string, array or date it
            // replaces.
            T copy = copyOrRelease([&] { return T(value); });
            m_value.*member = ::new (destroyKeepingBlock()) T(std::move(copy));
            m_type = type;
            return;
        }
    }
    T* copy = copyOrRelease([&] { return Heap::NewSized<T>(kValueBlockSize, value); });
    SetNull();
    m_value.*member = copy;
    m_type = type;
}

CbVariant& CbVariant::operator=(const wchar_t* value)
{
    assignOwned(eVariantTypeStringW, &Payload::stringW, CStringW(value));
    return *this;
}

CbVariant& CbVariant::operator=(const CStringW& value)
{
    assignOwned(eVariantTypeStringW, &Payload::stringW, value);
    return *this;
}

CbVariant& CbVariant::operator=(const char* value)
{
    assignOwned(eVariantTypeStringA, &Payload::stringA, CStringA(value));
    return *this;
}

CbVariant& CbVariant::operator=(const CStringA& value)
{
    assignOwned(eVariantTypeStringA, &Payload::stringA, value);
    return *this;
}

CbVariant& CbVariant::operator=(const ByteArray& value)
{
    assignOwned(eVariantTypeByteArray, &Payload::byteArray, value);
    return *this;
}

CbVariant& CbVariant::operator=(const CbDateTime& value)
{
    assignOwned(eVariantTypeDateTime, &Payload::dateTime, value);
    return *this;
}

CbVariant& CbVariant::operator=(const IObject& object)
{
    // Clone first: `object` may be the object this variant holds.
    IObject* clone = callFactory(CbRTTI::getClone(object.GetRTTI().GetName()), object);
    SetNull();
    if (!clone)
        throw CbException(kSource, kLineCloneObject, "CbVariant::operator =");
    m_value.object = clone;
    m_type = eVariantTypeObject;
    return *this;
}

// Typed access

void CbVariant::throwWrongType(unsigned line, const char* function)
{
    throw CbException(kAccessorSource, line, function);
}

CbVariant::operator const CStringA&() const
{
    requireType(eVariantTypeStringA, kLineStringA,
                "CbVariant::operator const class ATL::CStringT<char,class StrTraitMFC_DLL<char,class "
                "ATL::ChTraitsCRT<char> > > &");
    return *m_value.stringA;
}

CbVariant::operator CStringA&()
{
    requireType(eVariantTypeStringA, kLineStringARef,
                "CbVariant::operator class ATL::CStringT<char,class StrTraitMFC_DLL<char,class "
                "ATL::ChTraitsCRT<char> > > &");
    return *m_value.stringA;
}

CbVariant::operator const char*() const
{
    requireType(eVariantTypeStringA, kLineStringAPointer, "CbVariant::operator const char *");
    return m_value.stringA->GetString();
}

CbVariant::operator const CStringW&() const
{
    requireType(eVariantTypeStringW, kLineStringW,
                "CbVariant::operator const class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
                "ATL::ChTraitsCRT<wchar_t> > > &");
    return *m_value.stringW;
}

CbVariant::operator CStringW&()
{
    requireType(eVariantTypeStringW, kLineStringWRef,
                "CbVariant::operator class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
                "ATL::ChTraitsCRT<wchar_t> > > &");
    return *m_value.stringW;
}

CbVariant::operator const wchar_t*() const
{
    requireType(eVariantTypeStringW, kLineStringWPointer, "CbVariant::operator const wchar_t *");
    return m_value.stringW->GetString();
}

CbVariant::operator const ByteArray&() const
{
    requireType(eVariantTypeByteArray, kLineByteArray,
                "CbVariant::operator const class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &");
    return *m_value.byteArray;
}

CbVariant::operator ByteArray&()
{
    requireType(eVariantTypeByteArray, kLineByteArrayRef,
                "CbVariant::operator class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &");
    return *m_value.byteArray;
}

CbVariant::operator const CbDateTime&() const
{
    requireType(eVariantTypeDateTime, kLineDateTime, "CbVariant::operator const class CbDateTime &");
    return *m_value.dateTime;
}

CbVariant::operator CbDateTime&()
{
    requireType(eVariantTypeDateTime, kLineDateTimeRef, "CbVariant::operator class CbDateTime &");
    return *m_value.dateTime;
}

CbVariant::operator const IObject&() const
{
    requireType(eVariantTypeObject, kLineObject, "CbVariant::operator const class IObject &");
    return *m_value.object;
}

CbVariant::operator IObject&()
{
    requireType(eVariantTypeObject, kLineObjectRef, "CbVariant::operator class IObject &");
    return *m_value.object;
}

// Comparison

namespace {

bool equalBytes(const CbVariant::ByteArray& left, const CbVariant::ByteArray& right)
{
    return left.GetCount() == right.GetCount() &&
           (left.GetCount() == 0 || std::memcmp(left.GetData(), right.GetData(), left.GetCount()) == 0);
}

} // namespace

bool CbVariant::operator==(const CbVariant& other) const
{
    if (m_type != other.m_type)
        return false;
    const Payload& a = m_value;
    const Payload& b = other.m_value;
    switch (m_type) {
    case eVariantTypeNull:
        return true;
    case eVariantTypeBool:
    case eVariantTypeChar:
    case eVariantTypeSChar:
    case eVariantTypeUChar:
        return a.asUChar == b.asUChar;
    case eVariantTypeShort:
    case eVariantTypeUShort:
        return a.asUShort == b.asUShort;
    case eVariantTypeInt:
    case eVariantTypeUInt:
        return a.asUInt == b.asUInt;
    case eVariantTypeInt64:
    case eVariantTypeUInt64:
        return a.asUInt64 == b.asUInt64;
    case eVariantTypeFloat:
        return a.asFloat == b.asFloat;
    case eVariantTypeDouble:
        return a.asDouble == b.asDouble;
    case eVariantTypeStringW:
        return *a.stringW == *b.stringW;
    case eVariantTypeStringA:
        return *a.stringA == *b.stringA;
    case eVariantTypeByteArray:
        return equalBytes(*a.byteArray, *b.byteArray);
    case eVariantTypeDateTime:
        return *a.dateTime == *b.dateTime;
    default:
        throw CbException(kSource, kLineEqual, "CbVariant::operator ==");
    }
}

bool CbVariant::operator<(const CbVariant& other) const
{
    other.requireOrdered(kLineLess, "CbVariant::operator <");
    return lessThan(*this, other);
}

bool CbVariant::operator>(const CbVariant& other) const
{
    other.requireOrdered(kLineGreater, "CbVariant::operator >");
    return lessThan(other, *this);
}

// The right operand's type decides whether two variants can be ordered:
// byte arrays and objects have no order.
void CbVariant::requireOrdered(unsigned line, const char* function) const
{
    if (!isKnownType(m_type) || m_type == eVariantTypeByteArray || m_type == eVariantTypeObject)
        throw CbException(kSource, line, function);
}

bool CbVariant::lessThan(const CbVariant& left, const CbVariant& right)
{
    if (left.m_type != right.m_type)
        return left.m_type < right.m_type;

    const Payload& a = left.m_value;
    const Payload& b = right.m_value;
    switch (left.m_type) {
    case eVariantTypeBool:
    case eVariantTypeUChar:
        return a.asUChar < b.asUChar;
    case eVariantTypeChar:
    case eVariantTypeSChar:
        return a.asSChar < b.asSChar;
    case eVariantTypeShort:
        return a.asShort < b.asShort;
    case eVariantTypeUShort:
        return a.asUShort < b.asUShort;
    case eVariantTypeInt:
        return a.asInt < b.asInt;
    case eVariantTypeUInt:
        return a.asUInt < b.asUInt;
    case eVariantTypeInt64:
        return a.asInt64 < b.asInt64;
    case eVariantTypeUInt64:
        return a.asUInt64 < b.asUInt64;
    case eVariantTypeFloat:
        return a.asFloat < b.asFloat;
    case eVariantTypeDouble:
        return a.asDouble < b.asDouble;
    case eVariantTypeStringW:
        return *a.stringW < *b.stringW;
    case eVariantTypeStringA:
        return *a.stringA < *b.stringA;
    case eVariantTypeDateTime:
        return *a.dateTime < *b.dateTime;
    default:
        return false;
    }
}
