// CbLatestError: captures an error number and the system's trimmed text for it.
#include <cbfoundation/base/exceptions/CbLatestError.h>

#include "platform/LastError.h"

CbLatestError::CbLatestError()
    : m_number(0)
{
    Update();
}

CbLatestError::CbLatestError(unsigned long number)
    : m_number(static_cast<unsigned>(number))
{
    updateMessage();
}

CbLatestError::CbLatestError(const CbLatestError& other) = default;
CbLatestError& CbLatestError::operator=(const CbLatestError& other) = default;
CbLatestError::~CbLatestError() = default;

void CbLatestError::Update()
{
    m_number = cbf::platform::LastErrorNumber();
    updateMessage();
}

void CbLatestError::updateMessage()
{
    const std::wstring text = cbf::platform::ErrorMessage(m_number);
    m_message = CStringW(text);
    m_message.Trim();
}
