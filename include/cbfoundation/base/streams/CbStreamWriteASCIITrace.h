// CbStreamWriteASCIITrace: the text writer of the diagnostic trace channel.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteASCII.h>

#include <cstddef>

/// The writer that dumped objects go to when no other writer is given
/// (CbIDumpable<1>::Dump()). Every text it receives is cut into consecutive
/// messages of at most 1023 characters, each handed to `message`.
///
/// The library writes no log: its own `message` discards what it gets, so a
/// trace writer accepts everything and produces no output. A program that
/// wants the messages derives from this class and sends them where it likes.
class CB_API CbStreamWriteASCIITrace : public CbStreamWriteASCII
{
public:
    /// The longest message, in characters.
    static constexpr std::size_t kMessageLength = 1023;

    CbStreamWriteASCIITrace() = default;
    /// Copies; a trace writer holds no text between messages.
    /// @{
    CbStreamWriteASCIITrace(const CbStreamWriteASCIITrace&) = default;
    CbStreamWriteASCIITrace& operator=(const CbStreamWriteASCIITrace&) = default;
    /// @}

    CB_DECLARE_RTTI(CbStreamWriteASCIITrace)

protected:
    /// Cuts the text into messages of at most kMessageLength characters and
    /// passes each to `message`.
    /// @{
    CbStreamWrite& write(const wchar_t* text) override;
    CbStreamWrite& write(const char* text) override;
    /// @}

    /// One message of `length` characters (not NUL-terminated); discarded.
    /// @{
    virtual void message(const wchar_t* text, std::size_t length);
    virtual void message(const char* text, std::size_t length);
    /// @}
};
