// CbFormatT: a piece of text made by printf-style formatting.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/platform/CStringT.h>

/// Text of `CharT` characters formatted once, at construction, and held:
///
///     stream << CbFormatW(L"%s: %d of %d", name, done, total);
///
/// The format has the conversions of CStringT::Format (the Windows meaning:
/// `%s` takes text of the format's own width, `%S` of the other width, `%I64d`
/// a 64-bit number, ...); CStringA and CStringW arguments may be passed as
/// they are. A null format throws CbExceptionPreconditionViolation (source
/// "CbFormat", line 1).
template <class CharT>
class CbFormatT
{
public:
    /// Formats `format` with `arguments` now.
    template <class... Arguments>
    explicit CbFormatT(const CharT* format, const Arguments&... arguments)
    {
        if (format == nullptr)
            throw CbExceptionPreconditionViolation(L"CbFormat", 1);
        m_text.Format(format, arguments...);
    }

    /// The formatted text, valid while this object lives.
    const CharT* GetText() const noexcept { return m_text.GetString(); }
    /// The formatted text as a string object.
    const CStringT<CharT>& GetString() const noexcept { return m_text; }
    /// The formatted text, as GetText.
    operator const CharT*() const noexcept { return m_text.GetString(); }

private:
    CStringT<CharT> m_text;
};
