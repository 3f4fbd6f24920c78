// The registry on Windows: the system's own, one key opened per operation.

#include <cbfoundation/platform/Registry.h>

#include <windows.h>

#include <iterator>

namespace cbf::platform {

HKEY RegistryRootKey(unsigned index)
{
    static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                  HKEY_CURRENT_CONFIG};
    return index < std::size(kRoots) ? kRoots[index] : nullptr;
}

bool RegistryQueryValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, void* data, std::uint32_t& size)
{
    const DWORD capacity = size;
    size = 0;
    HKEY key = nullptr;
    if (root == nullptr || ::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = capacity;
    // A null buffer would ask for the size alone and succeed; a zero-byte
    // buffer must fail for every value but an empty one.
    BYTE empty = 0;
    const LONG status =
        ::RegQueryValueExW(key, name, nullptr, nullptr, data != nullptr ? static_cast<BYTE*>(data) : &empty, &bytes);
    ::RegCloseKey(key);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
        size = bytes;
    return status == ERROR_SUCCESS;
}

bool RegistrySetValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::uint32_t type, const void* data,
                      std::uint32_t size)
{
    HKEY key = nullptr;
    if (root == nullptr || ::RegCreateKeyExW(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                             &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool RegistryDeleteValue(HKEY root, const wchar_t* keyPath, const wchar_t* name)
{
    return root != nullptr && ::RegDeleteKeyValueW(root, keyPath, name) == ERROR_SUCCESS;
}

} // namespace cbf::platform
