// WindowReader: the window over another reader and the reads served from it.
#include "entry/WindowReader.h"

#include <algorithm>
#include <cstring>

namespace cbf::entry {

namespace {

// As large as the pieces a file is best read in; a record larger than the
// window is simply decoded through the stream operators.
constexpr std::size_t kWindowSize = 64 * 1024;

} // namespace

WindowReader::WindowReader(CbStreamReadBinary& source)
    : m_source(source)
    , m_buffer(kWindowSize)
    , m_next(m_buffer.data())
    , m_end(m_buffer.data())
{}

bool WindowReader::Refill()
{
    const std::size_t kept = Available();
    if (kept == m_buffer.size() || m_sourceEnded)
        return false;
    std::memmove(m_buffer.data(), m_next, kept);
    m_next = m_buffer.data();
    m_end = m_next + kept;
    const unsigned __int64 wanted = m_buffer.size() - kept;
    const unsigned __int64 got = m_source.ReadBuffer(m_end, wanted);
    // The source delivers fewer bytes than asked only at its end.
    m_sourceEnded = got < wanted;
    m_end += got;
    return got != 0;
}

unsigned __int64 WindowReader::read(void* buffer, unsigned __int64 count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    unsigned __int64 done = 0;
    while (done < count) {
        if (Available() == 0) {
            // What the window could not hold goes straight to the caller.
            if (count - done >= m_buffer.size()) {
                const unsigned __int64 wanted = count - done;
                const unsigned __int64 got = m_sourceEnded ? 0 : m_source.ReadBuffer(out + done, wanted);
                m_sourceEnded = got < wanted;
                return done + got;
            }
            if (!Refill())
                return done;
        }
        const std::size_t piece = static_cast<std::size_t>(std::min<unsigned __int64>(count - done, Available()));
        std::memcpy(out + done, m_next, piece);
        m_next += piece;
        done += piece;
    }
    return done;
}

} // namespace cbf::entry
