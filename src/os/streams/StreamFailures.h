// What the file streams share about failing: the errno history of a failed
// open, and when a destructor may report a failure by throwing.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionStream.h>

#include "platform/FileStream.h"

#include <exception>
#include <string>
#include <system_error>

namespace cbf::streams {

/// A system error whose text is the runtime library's message for the errno
/// value alone, as the history of a failed open carries it.
class ErrnoError : public std::system_error
{
public:
    explicit ErrnoError(int value)
        : std::system_error(value, std::system_category())
        , m_text(cbf::platform::ErrnoText(value))
    {}

    const char* what() const noexcept override { return m_text.c_str(); }

private:
    std::string m_text;
};

/// Throws the failure of an open: with the errno history at `lineWithErrno`
/// when `error` is set, without one at `lineWithoutErrno`.
[[noreturn]] inline void ThrowOpenFailure(const wchar_t* source, unsigned lineWithErrno, unsigned lineWithoutErrno,
                                          int error)
{
    if (error == 0)
        throw CbExceptionStream(source, lineWithoutErrno);
    const CbException history(source, lineWithErrno, ErrnoError(error));
    throw CbExceptionStream(source, lineWithErrno, history);
}

/// Decides for a destructor whether it may throw: not while the exceptions
/// that were in flight at construction are joined by one now unwinding
/// through it, since throwing then would end the process.
class DestructorFailure
{
public:
    static int Snapshot() { return std::uncaught_exceptions(); }

    /// Rethrows `failure` (if any) unless an exception is unwinding beyond
    /// the `uncaughtAtConstruction` ones; that one then stays the one the
    /// caller sees, and `failure` is dropped.
    static void Report(const std::exception_ptr& failure, int uncaughtAtConstruction)
    {
        if (failure && std::uncaught_exceptions() <= uncaughtAtConstruction)
            std::rethrow_exception(failure);
    }
};

} // namespace cbf::streams
