// Thread identity.
#pragma once

#include <cbfoundation/Export.h>

namespace cbf::platform {

/// The operating system's identifier of the calling thread: a non-zero
/// 32-bit number, unique among the threads alive in the process. The child
/// of a fork gets its own, not its parent's.
CB_API unsigned CurrentThreadId();

} // namespace cbf::platform
