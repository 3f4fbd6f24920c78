// CbListPolicyElementCount: whether a list keeps a count of its elements.
#pragma once

#include <cbfoundation/platform/Types.h>

/// With Counting = 1 the policy keeps the element count of type T; with
/// Counting = 0 it holds nothing and its operations do nothing. Lists derive
/// from it and call the protected operations as elements come and go.
template <bool Counting, class T>
class CbListPolicyElementCount;

/// The counting policy: keeps the element count.
template <class T>
class CbListPolicyElementCount<1, T>
{
public:
    CbListPolicyElementCount() = default;
    /// Copies the count.
    /// @{
    CbListPolicyElementCount(const CbListPolicyElementCount&) = default;
    CbListPolicyElementCount& operator=(const CbListPolicyElementCount&) = default;
    /// @}

    /// The number of elements.
    T GetCount() const { return m_count; }

protected:
    /// Count an element in or out, or start again from 0.
    /// @{
    void incElementCount() { ++m_count; }
    void decElementCount() { --m_count; }
    void resetElementCount() { m_count = 0; }
    /// @}

    /// Takes over the other policy's count (the other ends at 0).
    void absorbElementCount(CbListPolicyElementCount& other)
    {
        m_count += other.m_count;
        other.m_count = 0;
    }

private:
    T m_count = 0;
};

/// The policy without a count.
template <class T>
class CbListPolicyElementCount<0, T>
{
public:
    CbListPolicyElementCount() = default;
    /// Copies nothing.
    /// @{
    CbListPolicyElementCount(const CbListPolicyElementCount&) = default;
    CbListPolicyElementCount& operator=(const CbListPolicyElementCount&) = default;
    /// @}

protected:
    /// Do nothing: there is no count.
    /// @{
    void incElementCount() {}
    void decElementCount() {}
    void resetElementCount() {}
    void absorbElementCount(CbListPolicyElementCount&) {}
    /// @}
};
