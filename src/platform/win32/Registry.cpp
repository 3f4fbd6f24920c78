// The registry on Windows: the system's own, one key opened per operation.

#include <cbfoundation/platform/Registry.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <vector>

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

// The registry stores a text's terminator with it when the caller's byte
// count leaves it out but the memory right after the text holds one. The
// copy made here holds a non-zero unit there, so that exactly the given bytes
// are stored.
std::vector<BYTE> WithoutTrailingNul(const void* data, std::uint32_t size)
{
    std::vector<BYTE> bytes(static_cast<std::size_t>(size / sizeof(WCHAR) + 1) * sizeof(WCHAR), 0);
    std::memcpy(bytes.data(), data, size);
    bytes[size / sizeof(WCHAR) * sizeof(WCHAR) + 1] = 0xFF;
    return bytes;
}

bool RegistrySetValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::uint32_t type, const void* data,
                      std::uint32_t size)
{
    const bool isText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    const std::vector<BYTE> text = isText && size != 0 ? WithoutTrailingNul(data, size) : std::vector<BYTE>();
    HKEY key = nullptr;
    if (root == nullptr || ::RegCreateKeyExW(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                             &key, nullptr) != ERROR_SUCCESS)
        return false;
    const BYTE* const bytes = text.empty() ? static_cast<const BYTE*>(data) : text.data();
    const LONG status = ::RegSetValueExW(key, name, 0, type, bytes, size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool RegistryDeleteValue(HKEY root, const wchar_t* keyPath, const wchar_t* name)
{
    return root != nullptr && ::RegDeleteKeyValueW(root, keyPath, name) == ERROR_SUCCESS;
}

bool RegistryListValues(HKEY root, const wchar_t* keyPath, RegistryValueVisitor visit, void* context)
{
    HKEY key = nullptr;
    if (root == nullptr || ::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD longestName = 0;
    DWORD largestData = 0;
    LONG status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                                     &largestData, nullptr, nullptr);
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(largestData + 1);
    for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        status = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS)
            visit(context, name.data(), type, data.data(), size);
    }
    ::RegCloseKey(key);
    return status == ERROR_NO_MORE_ITEMS;
}

} // namespace cbf::platform
