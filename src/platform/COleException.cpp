// COleException: the exception of a failed OLE call, with its status code.
#include <cbfoundation/platform/COleException.h>

// Emitted here, and so exported from the DLL: Windows clients import every
// static data member of an exported class, constants included.
constexpr std::int32_t COleException::kInvalidArgumentStatus;

COleException::COleException(std::int32_t status) noexcept
    : m_status(status)
{}

std::int32_t COleException::GetStatusCode() const noexcept
{
    return m_status;
}

const char* COleException::what() const noexcept
{
    return m_status == kInvalidArgumentStatus ? "COleException: invalid argument" : "COleException";
}
