// CbFormatA, CbFormatW, CbFormat: formatted narrow and wide text.
#pragma once

#include <cbfoundation/base/streams/CbFormatT.h>

/// Formatted narrow text; a stream writes it as a narrow string.
class CbFormatA : public CbFormatT<char>
{
public:
    /// Formats `format` with `arguments`, as CbFormatT does.
    using CbFormatT::CbFormatT;
};

/// Formatted wide text; a stream writes it as a wide string.
class CbFormatW : public CbFormatT<wchar_t>
{
public:
    /// Formats `format` with `arguments`, as CbFormatT does.
    using CbFormatT::CbFormatT;
};

/// Formatted text of the library's own character width, which is wide.
class CbFormat : public CbFormatW
{
public:
    /// Formats `format` with `arguments`, as CbFormatT does.
    using CbFormatW::CbFormatW;
};
