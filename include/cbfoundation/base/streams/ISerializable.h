// ISerializable: objects that write and read their own binary form and travel as chunks.
#pragma once

#include <cbfoundation/base/object/IObject.h>

class CbStreamReadBinary;
class CbStreamWriteBinary;

/// An object that writes its own binary form and reads it back, so that it
/// can travel in a self-describing chunk (CbStreamWriteBinary::WriteChunk,
/// CbStreamReadBinary::ReadChunk).
///
/// ISerializable begins with the operations of IObject (destructor, GetRTTI):
/// the reader uses the object that a class's create function hands out as an
/// IObject as an ISerializable at the same address. A class that is to be
/// read back from chunks therefore has ISerializable as its first base, is
/// registered with a create function, and writes the same bytes every time
/// it is asked for its form (the writer asks twice: once to measure it).
///
///     class Point : public ISerializable
///     {
///         CB_DECLARE_RTTI(Point)
///     public:
///         static IObject* Create() { return new Point; }
///         void Serialize(CbStreamWriteBinary& out) const override { out << m_x << m_y; }
///         void Serialize(CbStreamReadBinary& in) override { in >> m_x >> m_y; }
///     private:
///         int m_x = 0, m_y = 0;
///     };
///     const CbRTTI Point::RTTI(L"Point", &Point::Create, nullptr);
///
/// An object that needs a version writes one at the start of its form.
class CB_API ISerializable : public IObject
{
public:
    /// Writes the object's form.
    virtual void Serialize(CbStreamWriteBinary& stream) const = 0;

    /// Reads the object's form into this object.
    virtual void Serialize(CbStreamReadBinary& stream) = 0;
};
