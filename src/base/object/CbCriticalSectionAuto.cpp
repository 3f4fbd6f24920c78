// CbCriticalSectionAuto: holds a critical section for a scope and leaves it exactly once.
#include <cbfoundation/base/object/CbCriticalSectionAuto.h>

CbCriticalSectionAuto::CbCriticalSectionAuto(CbCriticalSection& section)
    : CbCriticalSectionAuto(&section)
{}

CbCriticalSectionAuto::CbCriticalSectionAuto(CbCriticalSection* section)
    : m_section(section)
    , m_left(false)
{
    m_section->Enter();
}

CbCriticalSectionAuto::~CbCriticalSectionAuto()
{
    Leave();
}

void CbCriticalSectionAuto::Leave()
{
    if (!m_left) {
        m_left = true;
        m_section->Leave();
    }
}
