// OsStreamFilter: the base of streams that transform the bytes of another binary stream.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

#include <memory>
#include <utility>

/// Holds the stream a filter reads from or writes to, either borrowed (the
/// caller keeps it alive for the filter's lifetime) or owned (destroyed with
/// the filter, exactly once). Subclasses supply the primitive and reach the
/// wrapped stream only through its ReadBuffer or WriteBuffer.
///
/// Instantiated for readers (`OsStreamFilter<CbStreamReadBinary,
/// CbStreamReadBinary>`, a CbStreamReadBinary over a CbStreamReadBinary) and
/// for writers (the same with CbStreamWriteBinary). The filter has no entry of
/// its own in the type registry and is not copyable.
template <class Base, class Wrapped>
class OsStreamFilter : public Base
{
public:
    /// Borrows `stream`.
    explicit OsStreamFilter(Wrapped& stream)
        : m_stream(&stream)
    {}

    /// Takes ownership of `stream`. An empty pointer throws
    /// CbExceptionPreconditionViolation (source "OsStreamFilter", line 95).
    explicit OsStreamFilter(std::unique_ptr<Wrapped> stream)
        : m_stream(checked(stream.get()))
        , m_owned(std::move(stream))
    {}

    OsStreamFilter(const OsStreamFilter&) = delete;
    OsStreamFilter& operator=(const OsStreamFilter&) = delete;

    /// Destroys an owned stream; a borrowed one is left alone. A writer that
    /// fails to finish its output on destruction passes its exception on.
    ~OsStreamFilter() override
    {
        // Released by hand: unique_ptr's destructor would end the process
        // if the owned writer's destructor threw.
        delete m_owned.release();
    }

protected:
    /// The wrapped stream, for the derived filter's reads or writes.
    Wrapped& getStream() const { return *m_stream; }

private:
    static Wrapped* checked(Wrapped* stream)
    {
        if (stream == nullptr)
            throw CbExceptionPreconditionViolation(L"OsStreamFilter", 95);
        return stream;
    }

    Wrapped* m_stream;
    std::unique_ptr<Wrapped> m_owned;
};

extern template class CB_API OsStreamFilter<CbStreamReadBinary, CbStreamReadBinary>;
extern template class CB_API OsStreamFilter<CbStreamWriteBinary, CbStreamWriteBinary>;
