// FailingAllocator: makes one chosen allocation of the global operator new fail.
#pragma once

#include <cstddef>

namespace cbf::test {

/// Arms the failure: counting from the next allocation, the `n`th (1 for the
/// very next one) throws std::bad_alloc, or returns null from the nothrow
/// forms. Every other allocation succeeds.
void FailNthAllocation(std::size_t n);

/// Disarms and tells whether the armed failure happened.
bool Disarm();

} // namespace cbf::test
