// WindowReader: a binary reader that keeps a window of another reader's bytes open for scanning in place.
#pragma once

#include <cbfoundation/base/streams/CbStreamReadBinary.h>

#include <cstddef>
#include <vector>

namespace cbf::entry {

/// Reads another binary reader through a window of its bytes. The window can
/// be looked at and skipped over directly, which lets a caller pass over
/// data it understands without decoding it value by value; everything read
/// through the stream operators comes from the same position. Not registered
/// with the type registry: it lives only inside one call.
class WindowReader final : public CbStreamReadBinary
{
public:
    /// Reads `source`, which must outlive this reader.
    explicit WindowReader(CbStreamReadBinary& source);

    /// The window: the next unread bytes, Available() of them.
    const unsigned char* Next() const { return m_next; }
    std::size_t Available() const { return static_cast<std::size_t>(m_end - m_next); }

    /// Passes over `count` bytes of the window.
    void Skip(std::size_t count) { m_next += count; }

    /// Moves the unread bytes to the window's start and fills the rest from
    /// the source. False when no byte was added: the window is full or the
    /// source has ended.
    bool Refill();

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override;

private:
    CbStreamReadBinary& m_source;
    std::vector<unsigned char> m_buffer;
    unsigned char* m_next;
    unsigned char* m_end;
    bool m_sourceEnded = false;
};

} // namespace cbf::entry
