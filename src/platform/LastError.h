// LastError: the thread's last operating-system error and the system's text for an error number.
#pragma once

#include <string>

namespace cbf::platform {

/// The calling thread's last error: GetLastError on Windows, errno elsewhere.
unsigned LastErrorNumber();

/// The system's message for `number`, untrimmed; empty when it has none.
std::wstring ErrorMessage(unsigned number);

} // namespace cbf::platform
