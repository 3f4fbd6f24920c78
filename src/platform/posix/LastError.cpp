// LastError on POSIX: errno and the C library's message texts.
#include "platform/LastError.h"

#include <cbfoundation/platform/CodePage.h>

#include <cerrno>
#include <cstring>

namespace cbf::platform {

namespace {

// strerror_r comes in two forms: the XSI one fills the buffer and returns 0,
// the GNU one returns the text, which may or may not be in the buffer.
[[maybe_unused]] const char* messageOf(int result, const char* buffer)
{
    return result == 0 ? buffer : "";
}

[[maybe_unused]] const char* messageOf(const char* result, const char*)
{
    return result != nullptr ? result : "";
}

} // namespace

unsigned LastErrorNumber()
{
    return static_cast<unsigned>(errno);
}

std::wstring ErrorMessage(unsigned number)
{
    char buffer[256] = {};
    const char* text = messageOf(::strerror_r(static_cast<int>(number), buffer, sizeof buffer), buffer);
    return NarrowToWide(text, std::strlen(text));
}

} // namespace cbf::platform
