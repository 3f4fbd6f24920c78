// The registry: typed values under key paths below five predefined root keys.
//
// On Windows these functions are the system registry. Elsewhere the same
// shape is kept in one SQLite database per user (see OsPersistentOptions for
// where it lives): keys compare case-insensitively, as the registry's do, and
// each value keeps its registry type and its bytes as written.
#pragma once

#include <cbfoundation/Export.h>

#include <cstdint>

// A handle to an open key, as Windows declares it (repeating the declaration
// is harmless where <windows.h> is included too).
struct HKEY__;
typedef HKEY__* HKEY;

namespace cbf::platform {

/// Registry value types the library writes.
inline constexpr std::uint32_t kRegistryTypeText = 1;   // REG_SZ
inline constexpr std::uint32_t kRegistryTypeNumber = 4; // REG_DWORD, little-endian

/// The predefined root keys, by index: 0 classes root, 1 current user,
/// 2 local machine, 3 users, 4 current configuration. Null for any other index.
CB_API HKEY RegistryRootKey(unsigned index);

/// Copies the value `name` of the key `keyPath` below `root` into `data`,
/// which holds `size` bytes. On success `size` becomes the value's size. A
/// value larger than `size` fails and sets `size` to the size it needs; any
/// other failure (no root, no key, no value, an unreadable store) sets it to 0.
/// The value's type is not checked.
CB_API bool RegistryQueryValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, void* data, std::uint32_t& size);

/// Sets the value `name` of the key `keyPath` below `root`, creating the key
/// and every missing key above it.
CB_API bool RegistrySetValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::uint32_t type,
                             const void* data, std::uint32_t size);

/// Deletes the value `name` of the key `keyPath`; the key stays. False when
/// there was no such value.
CB_API bool RegistryDeleteValue(HKEY root, const wchar_t* keyPath, const wchar_t* name);

/// Receives one value of RegistryListValues: its name as stored, its type and
/// its bytes, valid during the call.
using RegistryValueVisitor = void (*)(void* context, const wchar_t* name, std::uint32_t type, const void* data,
                                      std::uint32_t size);

/// Calls `visit` with `context` for every value of the key `keyPath` below
/// `root` (not those of the keys below it). False, with no call, when the key
/// does not exist or cannot be read. The order is the store's: the system's
/// on Windows, the names' case-folded order elsewhere.
CB_API bool RegistryListValues(HKEY root, const wchar_t* keyPath, RegistryValueVisitor visit, void* context);

} // namespace cbf::platform
