// CbArray: a growable array of plain elements over a shared storage block.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/object/CbMemoryBlock.h>
#include <cbfoundation/base/object/CbSmartPointer.h>
#include <cbfoundation/platform/CopyBytes.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

/// Element policy of CbArray: new elements are default-initialised, which
/// for the plain types the array holds leaves them as the storage gives them
/// (they are not zeroed).
class CbArrayPolicyConstructDefault
{
public:
    /// Default-initialises `count` elements from `first` on.
    template <class T>
    static void Construct(T* first, unsigned count)
    {
        std::uninitialized_default_construct_n(first, count);
    }
};

/// A contiguous, growable array of plain elements (the library's byte array
/// is CbArray<unsigned char, 0, CbArrayPolicyConstructDefault>).
///
/// The elements live in a reference-counted CbMemoryBlock<Locking, unsigned>
/// that the array holds through a CbSmartPointer, but arrays never share a
/// block: every copy, whether made by construction or by assignment, gets
/// storage of its own.
///
/// Capacity rules, chosen for arrays that are sized once and then filled:
/// - SetSize grows the storage to exactly the requested count, with no
///   reserve, and shrinking keeps the capacity and the storage;
/// - a copy gets exactly the source's count as capacity;
/// - assignment sets the capacity to exactly the larger of the two counts,
///   which shrinks a larger capacity.
///
/// Elements beyond the count are undefined. The storage size in bytes is a
/// 32-bit quantity: a capacity whose byte size exceeds it is refused with a
/// CbException (source "CbArray", line 944).
template <class T, bool Locking, class ElementPolicy>
class CbArray
{
    static_assert(std::is_trivial_v<T>, "CbArray moves its elements as raw bytes");

public:
    /// The element type and the storage block type.
    /// @{
    using Element = T;
    using Storage = CbMemoryBlock<Locking, unsigned>;
    /// @}

    /// An empty array without storage.
    CbArray() = default;

    /// A deep copy with capacity equal to the source's count.
    CbArray(const CbArray& other)
        : m_count(other.m_count)
        , m_capacity(other.m_count)
        , m_userValue(other.m_userValue)
    {
        if (m_count > 0) {
            allocate();
            copyElementsFrom(other);
        }
    }

    /// Takes the elements and the storage of `other`, which is left empty.
    CbArray(CbArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr))
        , m_count(std::exchange(other.m_count, 0u))
        , m_capacity(std::exchange(other.m_capacity, 0u))
        , m_userValue(other.m_userValue)
        , m_storage(std::move(other.m_storage))
    {}

    /// Deep copy into this array's own storage (capacity: see the class).
    /// When the storage cannot be had the array is left as it was.
    CbArray& operator=(const CbArray& other)
    {
        if (this == &other)
            return *this;
        const unsigned capacity = m_count > other.m_count ? m_count : other.m_count;
        if (m_capacity != capacity)
            SetCapacity(capacity);
        SetSize(other.m_count);
        copyElementsFrom(other);
        // Last, so that an array whose storage cannot be had stays as it was.
        m_userValue = other.m_userValue;
        return *this;
    }

    /// Releases the storage.
    ~CbArray() { releaseStorage(); }

    /// The number of elements, the number the storage holds, and whether there
    /// are none.
    /// @{
    unsigned GetCount() const { return m_count; }
    unsigned GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }
    /// @}

    /// The first element, or null when the array has no storage.
    /// @{
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }
    /// @}

    /// The element at `index`, unchecked.
    /// @{
    T& operator[](unsigned index) { return m_data[index]; }
    const T& operator[](unsigned index) const { return m_data[index]; }
    /// @}

    /// A caller-defined 32-bit value carried along by copies; 0 in a new array.
    /// @{
    unsigned GetUserValue() const { return m_userValue; }
    void SetUserValue(unsigned value) { m_userValue = value; }
    /// @}

    /// Makes the count `count`. Growing beyond the capacity reallocates to
    /// exactly `count` elements and keeps the existing ones; new elements are
    /// initialised by the element policy. Shrinking keeps the storage.
    void SetSize(unsigned count)
    {
        if (count == m_count)
            return;
        if (count > m_capacity)
            SetCapacity(count);
        if (count > m_count)
            ElementPolicy::Construct(m_data + m_count, count - m_count);
        m_count = count;
    }

    /// Moves the elements into new storage of exactly `capacity` elements
    /// (none for 0). A capacity below the count cuts the count down to it.
    /// When the new storage cannot be had the array is left as it was.
    void SetCapacity(unsigned capacity)
    {
        CbArray resized;
        resized.m_capacity = capacity;
        resized.allocate();
        resized.m_count = m_count < capacity ? m_count : capacity;
        if (resized.m_count > 0)
            std::memcpy(resized.m_data, m_data, byteSize(resized.m_count));

        releaseStorage();
        m_storage = std::move(resized.m_storage);
        m_data = resized.m_data;
        m_count = resized.m_count;
        m_capacity = capacity;
    }

private:
    static constexpr const char* kSourceName = "CbArray";
    static constexpr unsigned kCapacityTooLargeLine = 944;

    static std::uint64_t byteSize(unsigned count) { return static_cast<std::uint64_t>(count) * sizeof(T); }

    static const char* allocateFunctionName()
    {
        if constexpr (std::is_same_v<T, unsigned char> && !Locking &&
                      std::is_same_v<ElementPolicy, CbArrayPolicyConstructDefault>)
            return "CbArray<unsigned char,0,class CbArrayPolicyConstructDefault>::allocate";
        else
            return "CbArray::allocate";
    }

    /// Gives the array fresh storage for its capacity (releasing any block it
    /// held) and points the data at it; capacity 0 allocates nothing.
    void allocate()
    {
        const std::uint64_t bytes = byteSize(m_capacity);
        if (bytes > std::numeric_limits<unsigned>::max())
            throw CbException(kSourceName, kCapacityTooLargeLine, allocateFunctionName());
        if (bytes == 0)
            return;
        Storage* block = Storage::Create(static_cast<unsigned>(bytes));
        releaseStorage();
        m_storage = CbSmartPointer<Storage>::Adopt(block);
        m_data = reinterpret_cast<T*>(block->GetData());
    }

    /// Frees the storage block. The block is this array's alone: arrays never
    /// share storage and never hand it out, so no one else can ever reach it.
    /// The array therefore holds it without counting (allocate adopts it with
    /// its count at 0) and deletes it directly: neither the interlocked
    /// increment nor the pool lock of a shared object's last release.
    void releaseStorage() noexcept
    {
        delete m_storage.Detach();
        m_data = nullptr;
    }

    void copyElementsFrom(const CbArray& other) { cbf::platform::CopyBytes(m_data, other.m_data, byteSize(m_count)); }

    T* m_data = nullptr;
    unsigned m_count = 0;
    unsigned m_capacity = 0;
    unsigned m_userValue = 0;
    CbSmartPointer<Storage> m_storage;
};
