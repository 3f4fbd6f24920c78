// CopyBytes: memcpy for the small, mostly fixed-width copies of the memory
// streams.
#pragma once

#include <cstddef>
#include <cstring>

namespace cbf::detail {

/// Copies `count` bytes. Nearly every copy of a memory stream is one
/// primitive of 1, 2, 4 or 8 bytes: copies of a constant width compile to
/// plain moves instead of a call of the general memcpy.
inline void CopyBytes(void* to, const void* from, std::size_t count)
{
    if (count == 4)
        std::memcpy(to, from, 4);
    else if (count == 8)
        std::memcpy(to, from, 8);
    else if (count == 1)
        std::memcpy(to, from, 1);
    else if (count == 2)
        std::memcpy(to, from, 2);
    else if (count != 0)
        std::memcpy(to, from, count);
}

} // namespace cbf::detail
