// CbStreamWriteBinaryMemory: a binary writer into a byte buffer it owns.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

/// Collects the binary form of the values inserted into it in memory, in a
/// buffer that grows as needed (by doubling, so appending costs amortised
/// constant time per byte). The bytes can be read back with
/// CbStreamReadBinaryMemory:
///
///     CbStreamWriteBinaryMemory out;
///     out << 42 << L"name";
///     CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
///
/// The writer owns its buffer alone: it can be moved, not copied. Failing to
/// grow throws std::bad_alloc.
///
/// The free part of the buffer is the put area of the encoders, so a value
/// is one copy into it; `write` runs only when the buffer has to grow.
class CB_API CbStreamWriteBinaryMemory : public CbStreamWriteBinary
{
public:
    CbStreamWriteBinaryMemory() = default;
    /// Takes the other's buffer; the other is left empty.
    /// @{
    CbStreamWriteBinaryMemory(CbStreamWriteBinaryMemory&& other) noexcept;
    CbStreamWriteBinaryMemory& operator=(CbStreamWriteBinaryMemory&& other) noexcept;
    /// @}

    /// The bytes written so far; valid until the next insertion, Reserve or
    /// Clear. Null while nothing has ever been written or reserved.
    const unsigned char* GetData() const { return m_buffer.get(); }

    /// The number of bytes written so far.
    unsigned __int64 GetSize() const { return static_cast<unsigned __int64>(putNext() - m_buffer.get()); }

    /// Makes room for `capacity` bytes in all without growing again.
    void Reserve(unsigned __int64 capacity);

    /// Forgets the bytes and keeps the memory for the next ones.
    void Clear() noexcept { setPutArea(m_buffer.get(), m_buffer.get(), putEnd()); }

protected:
    /// Grows the buffer and appends the bytes.
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    void growFor(unsigned __int64 count);
    void reallocate(unsigned __int64 capacity);
    void takeBuffer(CbStreamWriteBinaryMemory& other) noexcept;

    // The buffer comes from malloc so that growing it can use realloc, which
    // moves large blocks by remapping their pages instead of copying them.
    struct FreeBuffer
    {
        void operator()(unsigned char* buffer) const noexcept { std::free(buffer); }
    };

    // The bytes written are [m_buffer, putNext), the room [putNext, putEnd).
    std::unique_ptr<unsigned char, FreeBuffer> m_buffer;
};
