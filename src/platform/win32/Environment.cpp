// The process environment through the Win32 calls.
#include <cbfoundation/platform/Environment.h>

#include <windows.h>

#include <vector>

namespace cbf::platform {

namespace {

bool isSettableName(const CStringW& name)
{
    return !name.IsEmpty() && name.Find(L'=') < 0 && name.Find(L'\0') < 0;
}

} // namespace

bool ReadEnvironmentVariable(const CStringW& name, CStringW& value)
{
    if (!isSettableName(name))
        return false;
    std::vector<wchar_t> buffer(256);
    for (;;) {
        // An empty value also answers 0; only the error tells it from none.
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length =
            ::GetEnvironmentVariableW(name.GetString(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND)
                return false;
            value.Empty();
            return true;
        }
        if (length < buffer.size()) {
            value = CStringW(buffer.data(), static_cast<int>(length));
            return true;
        }
        buffer.resize(length);
    }
}

bool WriteEnvironmentVariable(const CStringW& name, const wchar_t* value)
{
    return isSettableName(name) && ::SetEnvironmentVariableW(name.GetString(), value) != FALSE;
}

} // namespace cbf::platform
