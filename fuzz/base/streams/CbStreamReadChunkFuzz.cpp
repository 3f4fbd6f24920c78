// Reads arbitrary bytes as a sequence of chunks, with a few classes registered
// the ways a program registers them: with a create function, without one,
// with one that throws.
//
// Only the stream's own exceptions may end the reading; anything else, a
// crash, a hang, a leak or a sanitizer report is a finding. Every object that
// comes back is written as a chunk again and must read back to the same
// bytes (its form and the chunk layout are canonical).

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/streams/ISerializable.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// A versioned form of numbers and texts, like most client classes.
class Record : public ISerializable
{
    CB_DECLARE_RTTI(Record)

public:
    static IObject* Create() { return new Record; }
    void Serialize(CbStreamWriteBinary& out) const override
    {
        out.WriteVersion(2);
        out << m_number << m_wide << m_narrow << m_flag;
    }
    void Serialize(CbStreamReadBinary& in) override
    {
        in.ReadAndCompareVersion(2);
        in >> m_number >> m_wide >> m_narrow >> m_flag;
    }

private:
    __int64 m_number = 0;
    CStringW m_wide;
    CStringA m_narrow;
    bool m_flag = false;
};

// An object that holds another chunk inside its form.
class Envelope : public ISerializable
{
    CB_DECLARE_RTTI(Envelope)

public:
    static IObject* Create() { return new Envelope; }
    void Serialize(CbStreamWriteBinary& out) const override
    {
        out << static_cast<bool>(m_inner);
        if (m_inner)
            out.WriteChunk(*m_inner);
    }
    void Serialize(CbStreamReadBinary& in) override
    {
        bool present = false;
        in >> present;
        // Bounded nesting, as a real format would have.
        const Depth depth;
        if (present && s_depth < 8)
            m_inner.reset(in.ReadChunk());
    }

private:
    struct Depth
    {
        Depth() { ++s_depth; }
        ~Depth() { --s_depth; }
    };

    std::unique_ptr<ISerializable> m_inner;
    static inline int s_depth = 0;
};

class Unmakeable : public Record
{
    CB_DECLARE_RTTI(Unmakeable)

public:
    static IObject* Create() { throw std::runtime_error("not here"); }
};

class Uncreatable : public Record
{
    CB_DECLARE_RTTI(Uncreatable)
};

const CbRTTI Record::RTTI(L"R", &Record::Create, nullptr);
const CbRTTI Envelope::RTTI(L"E", &Envelope::Create, nullptr);
const CbRTTI Unmakeable::RTTI(L"M", Record::RTTI, &Unmakeable::Create, nullptr);
const CbRTTI Uncreatable::RTTI(L"U", Record::RTTI, nullptr, nullptr);

void checkCanonical(const ISerializable& object)
{
    CbStreamWriteBinaryMemory first;
    first.WriteChunk(object);
    CbStreamReadBinaryMemory in(first.GetData(), first.GetSize());
    const std::unique_ptr<ISerializable> again(in.ReadChunk());
    if (!again || in.GetRemaining() != 0)
        __builtin_trap();
    CbStreamWriteBinaryMemory second;
    second.WriteChunk(*again);
    if (first.GetSize() != second.GetSize() || std::memcmp(first.GetData(), second.GetData(), first.GetSize()) != 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CbStreamReadBinaryMemory in(data, size);
    try {
        while (in.GetRemaining() != 0) {
            const std::unique_ptr<ISerializable> object(in.ReadChunk());
            if (object)
                checkCanonical(*object);
        }
    } catch (const CbExceptionStream&) {
    } catch (const CbExceptionWrongFileVersion&) {
    }
    return 0;
}
