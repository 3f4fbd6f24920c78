// CbException: construction from every form, copying, and the history chain and its release.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/platform/Thread.h>

namespace {

CStringA narrowFileName(const CStringW& file)
{
    return CStringA(file);
}

} // namespace

// Every public form ends in the protected form with the same arguments plus
// the class's descriptor, which only subclasses need to tell apart.

CbException::CbException(const CStringW& file, unsigned line)
    : CbException(file, line, RTTI)
{}

CbException::CbException(const CStringW& file, unsigned line, const CbException& history)
    : CbException(file, line, history, RTTI)
{}

CbException::CbException(const CStringW& file, unsigned line, const std::exception& history)
    : CbException(file, line, history, RTTI)
{}

CbException::CbException(const char* file, unsigned line, const char* function)
    : CbException(file, line, function, RTTI)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const CbException& history)
    : CbException(file, line, function, history, RTTI)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const CbException& history,
                         const wchar_t* text)
    : CbException(file, line, function, history, RTTI, text)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const std::exception& history)
    : CbException(file, line, function, history, RTTI)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                         const wchar_t* text)
    : CbException(file, line, function, history, RTTI, text)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const wchar_t* text)
    : CbException(file, line, function, RTTI, text)
{}

CbException::CbException(const CStringW& file, unsigned line, const CbRTTI&)
    : m_file(narrowFileName(file))
    , m_line(line)
    , m_threadId(cbf::platform::CurrentThreadId())
{}

CbException::CbException(const CStringW& file, unsigned line, const CbException& history, const CbRTTI& type)
    : CbException(file, line, type)
{
    m_history = copyHistory(history);
}

CbException::CbException(const CStringW& file, unsigned line, const std::exception& history, const CbRTTI& type)
    : CbException(file, line, type)
{
    m_history = historyFromStd(history);
}

CbException::CbException(const char* file, unsigned line, const char* function, const CbRTTI&)
    : m_file(file)
    , m_line(line)
    , m_function(function)
    , m_threadId(cbf::platform::CurrentThreadId())
{}

CbException::CbException(const char* file, unsigned line, const char* function, const CbException& history,
                         const CbRTTI& type)
    : CbException(file, line, function, type)
{
    m_history = copyHistory(history);
}

CbException::CbException(const char* file, unsigned line, const char* function, const CbException& history,
                         const CbRTTI& type, const wchar_t*)
    : CbException(file, line, function, history, type)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                         const CbRTTI& type)
    : CbException(file, line, function, type)
{
    m_history = historyFromStd(history);
}

CbException::CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                         const CbRTTI& type, const wchar_t*)
    : CbException(file, line, function, history, type)
{}

CbException::CbException(const char* file, unsigned line, const char* function, const CbRTTI& type, const wchar_t*)
    : CbException(file, line, function, type)
{}

CbException::CbException(const CbException& other)
    : IException(other)
    , IObject(other)
    , IReferenceCounted(other)
    , CbIDumpable<1>(other)
    , m_file(other.m_file)
    , m_line(other.m_line)
    , m_function(other.m_function)
    , m_threadId(other.m_threadId)
    , m_history(other.m_history)
{}

CbException& CbException::operator=(const CbException& other)
{
    m_file = other.m_file;
    m_line = other.m_line;
    m_function = other.m_function;
    m_threadId = other.m_threadId;
    m_history = other.m_history;
    return *this;
}

CbException::~CbException()
{
    // The chain is released level by level here rather than by each level's
    // destructor in turn, which would nest as deep as the chain goes and can
    // exhaust the stack. A level is taken apart only after its last owner has
    // let go: one that is still shared ends the walk and keeps the rest of
    // its chain, and one with a deleter is left whole to that deleter.
    const CbException* level = m_history.Detach();
    while (level && releaseWasLast(*level)) {
        const CbException* next = nullptr;
        if (!level->getReferenceCounter().GetDeleter())
            next = const_cast<CbException*>(level)->m_history.Detach();
        destroyReleased(*level);
        level = next;
    }
}

const char* CbException::GetFilename() const
{
    return m_file;
}

unsigned CbException::GetCodeLine() const
{
    return m_line;
}

const char* CbException::GetFunctionName() const
{
    return m_function;
}

unsigned CbException::GetThreadID() const
{
    return m_threadId;
}

CbSmartPointer<const CbException> CbException::GetHistory() const
{
    return m_history;
}

const CbReferenceCounter<unsigned>& CbException::getReferenceCounter() const
{
    return m_counter;
}

void CbException::dumpException(CbStreamWriteASCII&) const
{}

void CbException::dump(CbStreamWriteASCII&) const
{}

const CbException* CbException::copyHistory(const CbException& history)
{
    // Cloning through the registry keeps the history's full class, which a
    // copy constructor called from here could not. A history that cannot be
    // copied is dropped: the new exception matters more than its cause.
    IObject* copy = CbRTTI::CloneObject(history);
    const CbException* exception = dynamic_cast<const CbException*>(copy);
    if (!exception)
        delete copy;
    return exception;
}

const CbException* CbException::historyFromStd(const std::exception& history)
{
    CStringA text;
    text.Format("std::exception (%s)", history.what());
    return new CbException(text, 0, "---");
}
