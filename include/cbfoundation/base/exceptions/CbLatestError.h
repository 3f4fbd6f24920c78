// CbLatestError: an operating-system error number with the system's text for it.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>

/// The calling thread's last operating-system error, or a given one, with
/// the system's message for it, white space trimmed at both ends.
///
/// On Windows the number is the thread's last error (GetLastError) and the
/// text comes from the system's message table (FormatMessageW, the default
/// language); a number without a message gets an empty text.
///
/// Elsewhere the number is the thread's `errno` and the text the C
/// library's (strerror_r), in the process code page; unknown numbers get the
/// C library's text for them ("Unknown error 1004"). The numbers keep their
/// own meaning on each system. The Windows numbers that the library itself
/// names correspond to these:
///
/// | Windows | meaning | POSIX |
/// |---|---|---|
/// | 2 | ERROR_FILE_NOT_FOUND | ENOENT (2) |
/// | 87 | ERROR_INVALID_PARAMETER | EINVAL (22) |
/// | 122 | ERROR_INSUFFICIENT_BUFFER | ERANGE (34) |
/// | 1004 | ERROR_INVALID_FLAGS | EINVAL (22) |
///
/// Capture the error on the thread that failed, before any other call can
/// change it.
class CB_API CbLatestError
{
public:
    /// Captures the calling thread's last error (Update).
    CbLatestError();

    /// Takes `number` and looks up its message; the thread's last error is
    /// not read.
    explicit CbLatestError(unsigned long number);

    /// Copies the number and the message.
    /// @{
    CbLatestError(const CbLatestError& other);
    CbLatestError& operator=(const CbLatestError& other);
    /// @}
    ~CbLatestError();

    /// Reads the calling thread's last error number and its message.
    void Update();

    /// True unless the number is 0.
    bool IsError() const { return m_number != 0; }

    /// The error number, 0 for none.
    unsigned long GetLatestErrorNumber() const { return m_number; }
    /// The system's message text for the number, trimmed.
    const CStringW& GetLatestErrorMessage() const { return m_message; }

private:
    void updateMessage();

    unsigned m_number;
    CStringW m_message;
};
