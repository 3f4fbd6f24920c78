// CbStreamWriteASCIIStringT: text writers that accumulate their text in a narrow or a wide string.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteASCII.h>
#include <cbfoundation/platform/CStringT.h>

template <class StringType>
class CbStreamWriteASCIIStringT;

/// Carries the type-registry entry "CbStreamWriteASCIIStringT" (base
/// "CbStreamWriteASCII") that the narrow and the wide string writers both
/// answer with, so that the registry knows the family under one name.
template <>
class CB_API CbStreamWriteASCIIStringT<void>
{
    CB_DECLARE_RTTI_ROOT(CbStreamWriteASCIIStringT)
};

/// A text writer that appends what it renders to a string of its own:
/// CbStreamWriteASCIIStringT<CStringA> for narrow text,
/// CbStreamWriteASCIIStringT<CStringW> for wide text. Text of the other width
/// is converted through the process code page on the way in.
///
///     CbStreamWriteASCIIStringT<CStringA> out;
///     out << 42 << " apples" << false; // "42 applesfalse"
template <class StringType>
class CbStreamWriteASCIIStringT : public CbStreamWriteASCII
{
public:
    /// The character type of the accumulated text.
    using Character = typename StringType::XCHAR;

    /// An empty text, localized when `localize` is true.
    explicit CbStreamWriteASCIIStringT(bool localize = false)
        : CbStreamWriteASCII(localize)
    {}

    /// Starts from `text`, localized when `localize` is true.
    explicit CbStreamWriteASCIIStringT(const StringType& text, bool localize = false)
        : CbStreamWriteASCII(localize)
        , m_text(text)
    {}

    /// Copies the text and the flags.
    /// @{
    CbStreamWriteASCIIStringT(const CbStreamWriteASCIIStringT&) = default;
    CbStreamWriteASCIIStringT& operator=(const CbStreamWriteASCIIStringT&) = default;
    /// @}

    /// Clears the accumulated text.
    void Empty() { m_text.Empty(); }

    /// The length of the accumulated text in characters.
    unsigned int GetLength() const { return static_cast<unsigned int>(m_text.GetLength()); }

    /// Whether no text has been written.
    bool IsEmpty() const { return m_text.IsEmpty(); }

    /// The accumulated text.
    /// @{
    operator const StringType&() const { return m_text; }
    operator const Character*() const { return m_text.GetString(); }
    /// @}

    /// The descriptor shared by both widths.
    const CbRTTI& GetRTTI() const override { return CbStreamWriteASCIIStringT<void>::RTTI; }
    CB_DECLARE_RTTI_QUERIES()

protected:
    /// Appends `text`, converted to the string's width.
    /// @{
    CbStreamWrite& write(const wchar_t* text) override
    {
        m_text += text;
        return *this;
    }

    CbStreamWrite& write(const char* text) override
    {
        m_text += text;
        return *this;
        /// @}
    }

private:
    StringType m_text;
};
