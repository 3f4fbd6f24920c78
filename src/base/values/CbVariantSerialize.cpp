// The binary form of CbVariant: the variant record.

#include <cbfoundation/base/values/CbVariant.h>

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/base/values/CbArraySerializer.h>
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include "CbVariantLines.h"

namespace {

using namespace cbf::detail::variant;

const unsigned int kRecordVersion = 0;

// Dates travel as local-time text in the one layout the text constructor
// parses; milliseconds are not stored.
const wchar_t* const kDateFormat = L"Y-m-d H:i:s";
const bool kLocalTime = true;

using Heap = cbf::platform::SmallObjectHeap;

} // namespace

void CbVariant::Serialize(CbStreamWriteBinary& stream) const
{
    stream.WriteVersion(kRecordVersion);
    stream << static_cast<unsigned int>(m_type);
    switch (m_type) {
    case eVariantTypeNull:
        break;
    case eVariantTypeBool:
        stream << m_value.asBool;
        break;
    case eVariantTypeChar:
        stream << m_value.asChar;
        break;
    case eVariantTypeSChar:
        stream << m_value.asSChar;
        break;
    case eVariantTypeUChar:
        stream << m_value.asUChar;
        break;
    case eVariantTypeShort:
        stream << m_value.asShort;
        break;
    case eVariantTypeUShort:
        stream << m_value.asUShort;
        break;
    case eVariantTypeInt:
        stream << m_value.asInt;
        break;
    case eVariantTypeUInt:
        stream << m_value.asUInt;
        break;
    case eVariantTypeInt64:
        stream << m_value.asInt64;
        break;
    case eVariantTypeUInt64:
        stream << m_value.asUInt64;
        break;
    case eVariantTypeFloat:
        stream << m_value.asFloat;
        break;
    case eVariantTypeDouble:
        stream << m_value.asDouble;
        break;
    case eVariantTypeStringW:
        stream << *m_value.stringW;
        break;
    case eVariantTypeStringA:
        stream << *m_value.stringA;
        break;
    case eVariantTypeByteArray:
        CbArraySerializer<const ByteArray>(*m_value.byteArray).Serialize(stream);
        break;
    case eVariantTypeDateTime:
        stream << m_value.dateTime->ToString(kDateFormat, kLocalTime);
        break;
    default:
        throw CbException(kSource, kLineWriteObject, "CbVariant::Serialize");
    }
}

void CbVariant::Serialize(CbStreamReadBinary& stream)
{
    const EVariantType type = readType(stream);
    if (type == eVariantTypeDateTime) {
        SetNull();
        readDateTime(stream);
        return;
    }
    prepareFor(type);
    readValue(stream, type);
}

// The stamp and the tag of a record; whatever fails here leaves the variant null.
CbVariant::EVariantType CbVariant::readType(CbStreamReadBinary& stream)
{
    unsigned int tag = eVariantTypeNull;
    try {
        stream.ReadAndCompareVersion(kRecordVersion);
        stream >> tag;
    } catch (...) {
        SetNull();
        throw;
    }
    if (!isKnownType(tag) || tag == eVariantTypeObject) {
        SetNull();
        throw CbException(kSource, kLineReadUnknownType, "CbVariant::Serialize");
    }
    return static_cast<EVariantType>(tag);
}

// Gives the variant the type of the record and an empty value of it: a held
// string or byte array of that type is emptied and kept with its memory
// (saving allocations, and references to it stay valid), anything else is
// released and an empty object made. The tag is set before the value is read, so a
// stream that fails inside the value leaves the variant holding that type
// with what arrived of the value.
void CbVariant::prepareFor(EVariantType type)
{
    if (type == m_type) {
        switch (type) {
        case eVariantTypeStringW:
            m_value.stringW->GetBufferSetLength(0);
            return;
        case eVariantTypeStringA:
            m_value.stringA->GetBufferSetLength(0);
            return;
        case eVariantTypeByteArray:
            m_value.byteArray->SetSize(0);
            return;
        default:
            break;
        }
    }
    SetNull();
    m_value.asUInt64 = 0;
    switch (type) {
    case eVariantTypeStringW:
        m_value.stringW = Heap::NewSized<CStringW>(kValueBlockSize);
        break;
    case eVariantTypeStringA:
        m_value.stringA = Heap::NewSized<CStringA>(kValueBlockSize);
        break;
    case eVariantTypeByteArray:
        m_value.byteArray = Heap::NewSized<ByteArray>(kValueBlockSize);
        break;
    default:
        break;
    }
    m_type = type;
}

void CbVariant::readValue(CbStreamReadBinary& stream, EVariantType type)
{
    switch (type) {
    case eVariantTypeBool:
        stream >> m_value.asBool;
        break;
    case eVariantTypeChar:
        stream >> m_value.asChar;
        break;
    case eVariantTypeSChar:
        stream >> m_value.asSChar;
        break;
    case eVariantTypeUChar:
        stream >> m_value.asUChar;
        break;
    case eVariantTypeShort:
        stream >> m_value.asShort;
        break;
    case eVariantTypeUShort:
        stream >> m_value.asUShort;
        break;
    case eVariantTypeInt:
        stream >> m_value.asInt;
        break;
    case eVariantTypeUInt:
        stream >> m_value.asUInt;
        break;
    case eVariantTypeInt64:
        stream >> m_value.asInt64;
        break;
    case eVariantTypeUInt64:
        stream >> m_value.asUInt64;
        break;
    case eVariantTypeFloat:
        stream >> m_value.asFloat;
        break;
    case eVariantTypeDouble:
        stream >> m_value.asDouble;
        break;
    case eVariantTypeStringW:
        stream >> *m_value.stringW;
        break;
    case eVariantTypeStringA:
        stream >> *m_value.stringA;
        break;
    case eVariantTypeByteArray:
        CbArraySerializer<ByteArray>(*m_value.byteArray).Serialize(stream);
        break;
    default:
        break;
    }
}

// A date text that does not parse is no error: the record then reads as null.
void CbVariant::readDateTime(CbStreamReadBinary& stream)
{
    CStringW text;
    stream >> text;
    CbDateTime* date;
    try {
        date = Heap::NewSized<CbDateTime>(kValueBlockSize, text, kLocalTime);
    } catch (...) {
        return;
    }
    m_value.dateTime = date;
    m_type = eVariantTypeDateTime;
}
