// CbSmartPointer: shared ownership of reference-counted objects.
#pragma once

#include <cbfoundation/base/object/IReferenceCounted.h>

#include <cstddef>
#include <type_traits>

/// Holds one reference to an object derived from IReferenceCounted (T may be
/// const). Copies share the object; the last owner to let go destroys it.
/// Copying and releasing from several threads at once is safe as long as
/// each CbSmartPointer instance is used by one thread.
template <class T>
class CbSmartPointer
{
    using Counted = std::conditional_t<std::is_const_v<T>, const IReferenceCounted, IReferenceCounted>;

public:
    CbSmartPointer() = default;

    /// Takes a reference to `object`; null stays null.
    CbSmartPointer(T* object)
        : m_object(object)
    {
        addReference();
    }

    /// Shares the other's object, adding a reference.
    CbSmartPointer(const CbSmartPointer& other)
        : m_object(other.m_object)
    {
        addHeldReference();
    }

    /// Takes the other's reference; the other becomes null.
    CbSmartPointer(CbSmartPointer&& other) noexcept
        : m_object(other.m_object)
    {
        other.m_object = nullptr;
    }

    /// Converts from a pointer to a derived (or less const) class.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    CbSmartPointer(const CbSmartPointer<U>& other)
        : m_object(other.Get())
    {
        addHeldReference();
    }

    ~CbSmartPointer() { Release(); }

    /// Shares the other's object, adding a reference, and lets go of the
    /// previous one.
    CbSmartPointer& operator=(const CbSmartPointer& other)
    {
        if (m_object != other.m_object) {
            Release();
            m_object = other.m_object;
            addHeldReference();
        }
        return *this;
    }

    /// Takes the other's reference and lets go of the previous one; the other
    /// becomes null.
    CbSmartPointer& operator=(CbSmartPointer&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }

    /// Holds `object` with a reference of its own, and lets go of the previous
    /// one.
    CbSmartPointer& operator=(T* object) { return *this = CbSmartPointer(object); }

    /// Lets go of the object (destroying it if this was the last owner).
    void Release()
    {
        if (m_object) {
            Counted* object = m_object;
            m_object = nullptr;
            IReferenceCounted::ReleaseReference(*object);
        }
    }

    /// Holds `object` without adding a reference: the caller hands over a
    /// reference it holds (or the object is one that its holder destroys
    /// itself; such a pointer must not be copied, since copies count on the
    /// reference they copy). The counterpart of Detach.
    static CbSmartPointer Adopt(T* object)
    {
        CbSmartPointer pointer;
        pointer.m_object = object;
        return pointer;
    }

    /// Lets go of the object without releasing the reference: the caller
    /// takes it over (and with it the duty to release or destroy the object).
    T* Detach()
    {
        T* object = Get();
        m_object = nullptr;
        return object;
    }

    /// The object, or null.
    /// @{
    T* Get() const { return m_object ? static_cast<T*>(m_object) : nullptr; }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    /// @}
    /// Whether the pointer holds no object, or holds one.
    /// @{
    bool IsNull() const { return m_object == nullptr; }
    explicit operator bool() const { return m_object != nullptr; }
    /// @}

    /// The same object, or none.
    /// @{
    friend bool operator==(const CbSmartPointer& a, const CbSmartPointer& b) { return a.m_object == b.m_object; }
    friend bool operator==(const CbSmartPointer& a, std::nullptr_t) { return a.m_object == nullptr; }
    /// @}

private:
    void addReference()
    {
        if (m_object)
            IReferenceCounted::AddReference(*m_object);
    }

    // Copies take their reference while the source still holds one.
    void addHeldReference()
    {
        if (m_object)
            IReferenceCounted::addHeldReference(*m_object);
    }

    Counted* m_object = nullptr;
};
