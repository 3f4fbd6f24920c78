// RegistryDatabase: the SQLite file that holds the registry where Windows has none.
#pragma once

#include <cbfoundation/platform/Registry.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cbf::platform::registry {

using cbf::platform::RegistryValueVisitor;

/// Where one operation points: a root, a key path and a value name, each
/// name as UTF-16 code units both as given and case-folded. The key path's
/// levels end at `levelEnds` (the path itself is the last level; the root's
/// own key, the empty path, has one level of length 0).
struct Location
{
    unsigned root;
    std::u16string_view keyPath;
    std::u16string_view foldedKeyPath;
    const std::size_t* levelEnds;
    std::size_t levelCount;
    std::u16string_view name;
    std::u16string_view foldedName;
};

/// The store's operations, each one transaction on the process's connection,
/// one operation at a time. The connection opens on first use and follows the
/// file that the environment names at each call; it is closed before a fork,
/// so that parent and child each open their own.
/// Every failure (no file, a damaged or foreign file, a file of a newer
/// schema on writing, a lock held too long) answers false.
class RegistryDatabase
{
public:
    /// Copies the value into `data` when it fits `capacity`; `size` is its
    /// size when it exists (also when it does not fit), else 0.
    static bool Read(const Location& location, void* data, std::uint32_t capacity, std::uint32_t& size);

    /// Creates the missing keys of the path and sets the value.
    static bool Write(const Location& location, std::uint32_t type, const void* data, std::uint32_t size);

    /// Deletes the value; false when there was none.
    static bool Delete(const Location& location);

    /// Calls `visit` with each value of the location's key (its name is not
    /// used), in the order of the folded names; false when there is no key.
    static bool List(const Location& location, RegistryValueVisitor visit, void* context);

    /// The schema version this library reads and writes (PRAGMA user_version).
    /// A file of a higher version is only read, never changed.
    static constexpr int kSchemaVersion = 1;
};

} // namespace cbf::platform::registry
