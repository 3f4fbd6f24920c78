// CbScopedPointer: sole owner of an object or array that must exist.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>

/// Owns one object (CbScopedPointer<T>) or one array (CbScopedPointer<T[]>)
/// and deletes it when the scope ends. Unlike std::unique_ptr it refuses a
/// null pointer: a caller that hands over nothing broke a precondition.
template <class T>
class CbScopedPointer
{
public:
    /// Takes ownership; throws CbExceptionPreconditionViolation for null.
    explicit CbScopedPointer(T* object)
        : m_object(object)
    {
        requireObject(object);
    }
    ~CbScopedPointer() { delete m_object; }

    CbScopedPointer(const CbScopedPointer&) = delete;
    CbScopedPointer& operator=(const CbScopedPointer&) = delete;

    /// The owned object.
    /// @{
    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    /// @}

private:
    T* m_object;

    template <class U>
    friend class CbScopedPointer;
    static void requireObject(const void* object)
    {
        if (!object)
            throw CbExceptionPreconditionViolation(L"CbScopedPointer", 142);
    }
};

/// The form for arrays from new[], deleted with delete[].
template <class T>
class CbScopedPointer<T[]>
{
public:
    /// Takes ownership of an array from new[]; throws for null.
    explicit CbScopedPointer(T* array)
        : m_array(array)
    {
        CbScopedPointer<T>::requireObject(array);
    }
    ~CbScopedPointer() { delete[] m_array; }

    CbScopedPointer(const CbScopedPointer&) = delete;
    CbScopedPointer& operator=(const CbScopedPointer&) = delete;

    /// The owned array, and its element at `index` (unchecked).
    /// @{
    T* Get() const { return m_array; }
    T& operator[](unsigned index) const { return m_array[index]; }
    /// @}

private:
    T* m_array;
};
