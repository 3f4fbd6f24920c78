// CbINonCopyable: base of classes that must not be copied.
#pragma once

/// Derive from it to make a class non-copyable (the record pools, whose
/// blocks cannot be shared).
class CbINonCopyable
{
protected:
    CbINonCopyable() = default;
    ~CbINonCopyable() = default;

public:
    CbINonCopyable(const CbINonCopyable&) = delete;
    CbINonCopyable& operator=(const CbINonCopyable&) = delete;
};
