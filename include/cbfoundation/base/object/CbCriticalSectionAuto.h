// CbCriticalSectionAuto: holds a CbCriticalSection for one scope.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/object/CbCriticalSection.h>

/// Enters the section on construction and leaves it on destruction, unless
/// Leave() has already let it go earlier. Belongs to one thread and scope.
class CB_API CbCriticalSectionAuto
{
public:
    /// Enters `section` (null: none) for the lifetime of this object.
    /// @{
    explicit CbCriticalSectionAuto(CbCriticalSection& section);
    explicit CbCriticalSectionAuto(CbCriticalSection* section);
    /// @}
    ~CbCriticalSectionAuto();

    CbCriticalSectionAuto(const CbCriticalSectionAuto&) = delete;
    CbCriticalSectionAuto& operator=(const CbCriticalSectionAuto&) = delete;

    /// Leaves the section now; later calls, and the destructor, do nothing.
    void Leave();

private:
    CbCriticalSection* m_section;
    bool m_left;
};
