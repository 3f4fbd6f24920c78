// CopyBytes: memcpy for the small, mostly fixed-width copies of the memory
// streams.
#pragma once

#include <cstddef>
#include <cstring>

namespace cbf::detail {

/// Copies `count` bytes. Nearly every copy of a memory stream is one
/// primitive of 1, 2, 4 or 8 bytes or the text of a short string: copies of
/// a constant width compile to plain moves instead of a call of the general
/// memcpy, and 16 to 32 bytes take two such moves that may overlap.
inline void CopyBytes(void* to, const void* from, std::size_t count)
{
    auto* target = static_cast<unsigned char*>(to);
    const auto* source = static_cast<const unsigned char*>(from);
    if (count == 4)
        std::memcpy(target, source, 4);
    else if (count == 8)
        std::memcpy(target, source, 8);
    else if (count == 1)
        std::memcpy(target, source, 1);
    else if (count == 2)
        std::memcpy(target, source, 2);
    else if (count >= 16 && count <= 32)
    {
        std::memcpy(target, source, 16);
        std::memcpy(target + count - 16, source + count - 16, 16);
    }
    else if (count != 0)
        std::memcpy(target, source, count);
}

} // namespace cbf::detail
