// LastError on Windows: GetLastError and the system's message table.
#include "platform/LastError.h"

#include <windows.h>

namespace cbf::platform {

unsigned LastErrorNumber()
{
    return static_cast<unsigned>(::GetLastError());
}

std::wstring ErrorMessage(unsigned number)
{
    // The system allocates the buffer, in the neutral language's default.
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, number,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return std::wstring();
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    return text;
}

} // namespace cbf::platform
