// CbException: the base of every exception the library throws.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/exceptions/CbIDumpable.h>
#include <cbfoundation/base/exceptions/IException.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/CbSmartPointer.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/object/IReferenceCounted.h>
#include <cbfoundation/platform/CStringT.h>

#include <exception>

/// A failure, with where it arose (source-file name, line, function name),
/// on which thread, and optionally the earlier failure that caused it.
///
/// Exceptions are thrown by value and caught by reference: as their own
/// class, as CbException, or as IException, IObject or IReferenceCounted.
///
/// The cause (the "history") is a private copy of the exception passed in,
/// made through the type registry so that it keeps its full class, and held
/// by a reference-counted pointer: copying an exception shares its history
/// instead of copying the whole chain again. A std::exception can serve as
/// history too; it becomes a CbException whose file name is
/// "std::exception (<what()>)", line 0, function "---".
///
/// The constructors that take a `text` accept it for source compatibility
/// and do not store it.
class CB_API CbException : public IException, public IObject, public IReferenceCounted, public CbIDumpable<1>
{
    CB_DECLARE_RTTI(CbException)
    CB_DECLARE_CLONE(CbException)

public:
    /// A failure at `line` of the source `file` (in `function`, for the
    /// narrow forms) on the calling thread, caused by `history` when given.
    /// @{
    CbException(const CStringW& file, unsigned line);
    CbException(const CStringW& file, unsigned line, const CbException& history);
    CbException(const CStringW& file, unsigned line, const std::exception& history);
    CbException(const char* file, unsigned line, const char* function);
    CbException(const char* file, unsigned line, const char* function, const CbException& history);
    CbException(const char* file, unsigned line, const char* function, const CbException& history, const wchar_t* text);
    CbException(const char* file, unsigned line, const char* function, const std::exception& history);
    CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                const wchar_t* text);
    CbException(const char* file, unsigned line, const char* function, const wchar_t* text);
    /// @}

    /// A copy with a new (zero) reference count that shares the history.
    CbException(const CbException& other);

    /// Copies the place and thread and shares the other's history; the
    /// reference count is left alone.
    CbException& operator=(const CbException& other);

    ~CbException() override;

    const char* GetFilename() const override;
    unsigned GetCodeLine() const override;
    const char* GetFunctionName() const override;
    unsigned GetThreadID() const override;

    /// The exception that caused this one, or null.
    CbSmartPointer<const CbException> GetHistory() const;

protected:
    /// The same forms for subclasses, which pass their own descriptor. The
    /// descriptor does not change what is stored: GetRTTI tells the class.
    /// @{
    CbException(const CStringW& file, unsigned line, const CbRTTI& type);
    CbException(const CStringW& file, unsigned line, const CbException& history, const CbRTTI& type);
    CbException(const CStringW& file, unsigned line, const std::exception& history, const CbRTTI& type);
    CbException(const char* file, unsigned line, const char* function, const CbRTTI& type);
    CbException(const char* file, unsigned line, const char* function, const CbException& history, const CbRTTI& type);
    CbException(const char* file, unsigned line, const char* function, const CbException& history, const CbRTTI& type,
                const wchar_t* text);
    CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                const CbRTTI& type);
    CbException(const char* file, unsigned line, const char* function, const std::exception& history,
                const CbRTTI& type, const wchar_t* text);
    CbException(const char* file, unsigned line, const char* function, const CbRTTI& type, const wchar_t* text);
    /// @}

    const CbReferenceCounter<unsigned>& getReferenceCounter() const override;

    /// Writes the exception's own details; nothing for the library's classes.
    virtual void dumpException(CbStreamWriteASCII& stream) const;
    void dump(CbStreamWriteASCII& stream) const override;

private:
    static const CbException* copyHistory(const CbException& history);
    static const CbException* historyFromStd(const std::exception& history);

    CbReferenceCounter<unsigned> m_counter;
    CStringA m_file;
    unsigned m_line;
    CStringA m_function;
    unsigned m_threadId;
    CbSmartPointer<const CbException> m_history;
};

/// Declares an exception class that differs from CbException only in its
/// name: the type-registry family, the clone function, and a constructor
/// from a wide file name and a line, without and with a history. Use it as
/// the body of a class derived directly from CbException, define the
/// constructors with CB_DEFINE_EXCEPTION in one implementation file, and
/// register the class with CbException as its base and CloneByFactory as
/// its clone function, so that a copy made as a history keeps the class:
///
///     class ParseFailure : public CbException
///     {
///         CB_DECLARE_EXCEPTION(ParseFailure)
///     };
///
///     CB_DEFINE_EXCEPTION(ParseFailure)
///     const CbRTTI ParseFailure::RTTI(L"ParseFailure", CbException::RTTI, nullptr,
///                                     &ParseFailure::CloneByFactory);
#define CB_DECLARE_EXCEPTION(ClassName)                                                                                \
    CB_DECLARE_RTTI(ClassName)                                                                                         \
    CB_DECLARE_CLONE(ClassName)                                                                                        \
                                                                                                                       \
public:                                                                                                                \
    ClassName(const CStringW& file, unsigned line);                                                                    \
    ClassName(const CStringW& file, unsigned line, const CbException& history);

/// Defines the constructors CB_DECLARE_EXCEPTION declares.
#define CB_DEFINE_EXCEPTION(ClassName)                                                                                 \
    ClassName::ClassName(const CStringW& file, unsigned line)                                                          \
        : CbException(file, line, RTTI)                                                                                \
    {}                                                                                                                 \
    ClassName::ClassName(const CStringW& file, unsigned line, const CbException& history)                              \
        : CbException(file, line, history, RTTI)                                                                       \
    {}
