// CbIDumpable: objects that can describe themselves as text.
#pragma once

class CbStreamWriteASCII;

/// Selects whether a class renders itself as text. CbIDumpable<1> classes
/// implement dump(); CbIDumpable<0> holds and offers nothing.
template <bool Dumpable>
class CbIDumpable;

template <>
class CbIDumpable<0>
{};

template <>
class CbIDumpable<1>
{
protected:
    /// Writes a text description of the object.
    virtual void dump(CbStreamWriteASCII& stream) const = 0;

    // Not a deletion interface: owners delete through the object's own bases.
    ~CbIDumpable() = default;
};
