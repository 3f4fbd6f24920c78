// COleException: the host framework's exception for a failed OLE or
// automation request, as far as this library raises it.
#pragma once

#include <cbfoundation/Export.h>

#include <cstdint>
#include <exception>

/// A request refused with an OLE status code. The library raises it from
/// CTime's field constructor (status kInvalidArgumentStatus) for fields out of
/// range. It belongs to the host framework, not to the CbException family:
/// catch it as COleException or as std::exception.
class CB_API COleException : public std::exception
{
public:
    /// E_INVALIDARG: one or more arguments are invalid.
    static constexpr std::int32_t kInvalidArgumentStatus = static_cast<std::int32_t>(0x80070057u);

    /// A failure with the OLE status code `status`.
    explicit COleException(std::int32_t status) noexcept;

    /// The OLE status code (an HRESULT) of the failure.
    std::int32_t GetStatusCode() const noexcept;

    /// "COleException: invalid argument" for kInvalidArgumentStatus,
    /// "COleException" for any other status.
    const char* what() const noexcept override;

private:
    std::int32_t m_status;
};
