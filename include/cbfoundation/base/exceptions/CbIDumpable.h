// CbIDumpable: objects that can describe themselves as text.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>

class CbStreamWriteASCII;

/// Selects whether a class renders itself as text. CbIDumpable<1> classes
/// implement dump() and get ToString and Dump on top of it; CbIDumpable<0>
/// holds and offers nothing.
template <bool Dumpable>
class CbIDumpable;

template <>
class CbIDumpable<0>
{};

/// Objects that render themselves as text: ToString and Dump on top of dump().
template <>
class CB_API CbIDumpable<1>
{
public:
    CbIDumpable() = default;
    /// Copies; the base holds no state of its own.
    /// @{
    CbIDumpable(const CbIDumpable&) = default;
    CbIDumpable& operator=(const CbIDumpable&) = default;
    /// @}

    /// The object's description, rendered by dump() into a wide string
    /// writer without localization.
    CStringW ToString() const;

    /// Renders the object completely (ToString), then writes the text to
    /// `writer` in one piece.
    void Dump(CbStreamWriteASCII& writer) const;

    /// Renders the object onto the trace writer (CbStreamWriteASCIITrace),
    /// which discards it unless a program says otherwise.
    void Dump() const;

protected:
    /// Writes a text description of the object.
    virtual void dump(CbStreamWriteASCII& stream) const = 0;

    // Not a deletion interface: owners delete through the object's own bases.
    ~CbIDumpable() = default;
};
