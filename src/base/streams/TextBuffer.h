// TextBuffer: room for the text of one string value.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>

namespace cbf::detail {

/// Holds the code units of one string on its way between a stream and a
/// string object. Texts of up to InlineCount units stay inside the object,
/// on the caller's stack, so that short strings cost no allocation; longer
/// ones move to the heap. The units are not initialised.
template <class Unit, std::size_t InlineCount = 256>
class TextBuffer
{
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    Unit* Data() noexcept { return m_data; }
    std::size_t Size() const noexcept { return m_size; }

    /// Sets the size to `size` units, keeping the units already there.
    void Resize(std::size_t size)
    {
        if (size > capacity()) {
            std::unique_ptr<Unit[]> grown = std::make_unique_for_overwrite<Unit[]>(size);
            std::copy(m_data, m_data + m_size, grown.get());
            m_heap = std::move(grown);
            m_data = m_heap.get();
            m_heapCapacity = size;
        }
        m_size = size;
    }

private:
    std::size_t capacity() const noexcept { return m_heap ? m_heapCapacity : InlineCount; }

    Unit m_inline[InlineCount];
    std::unique_ptr<Unit[]> m_heap;
    std::size_t m_heapCapacity = 0;
    Unit* m_data = m_inline;
    std::size_t m_size = 0;
};

} // namespace cbf::detail
