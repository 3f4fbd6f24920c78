// CbStreamRead: the common base of the library's readers.
#pragma once

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/IStreamRead.h>

/// Base of every reader; implements the version check on top of the
/// extraction of `unsigned int`.
///
/// Stored forms that may change begin with a 32-bit version stamp. A reader
/// accepts its own version and every older one, and learns which it has:
///
///     const unsigned version = stream.ReadAndCompareVersion(4);
///     stream >> name;
///     if (version >= 3)
///         stream >> comment;
class CB_API CbStreamRead : public IStreamRead
{
public:
    CbStreamRead() = default;
    /// Copies; this base holds no state of its own.
    /// @{
    CbStreamRead(const CbStreamRead&) = default;
    CbStreamRead& operator=(const CbStreamRead&) = default;
    /// @}

    /// Reads the stamp and returns it when it is not above `expectedVersion`.
    /// A newer stamp throws CbExceptionWrongFileVersion (source "CbStreamRead",
    /// line 46); the stamp has been consumed all the same.
    unsigned int ReadAndCompareVersion(unsigned int expectedVersion) override;

    CB_DECLARE_RTTI_ROOT(CbStreamRead)
};
