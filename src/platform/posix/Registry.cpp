// The registry where Windows has none: a SQLite database of keys and typed values.

#include <cbfoundation/platform/Registry.h>

#include <cstdint>
#include <iterator>

namespace cbf::platform {

HKEY RegistryRootKey(unsigned index)
{
    static constexpr std::uintptr_t kRoots[] = {0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000005};
    return index < std::size(kRoots) ? reinterpret_cast<HKEY>(kRoots[index]) : nullptr;
}

bool RegistryQueryValue(HKEY, const wchar_t*, const wchar_t*, void*, std::uint32_t& size)
{
    size = 0;
    return false;
}

bool RegistrySetValue(HKEY, const wchar_t*, const wchar_t*, std::uint32_t, const void*, std::uint32_t)
{
    return false;
}

bool RegistryDeleteValue(HKEY, const wchar_t*, const wchar_t*)
{
    return false;
}

} // namespace cbf::platform
