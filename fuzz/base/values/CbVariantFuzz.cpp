// Reads arbitrary bytes as a sequence of variant records through the memory
// reader, one variant reused for every record as a reader of a record list
// would do.
//
// Besides surviving every input (only a CbException may end the reading;
// anything else, a crash, a leak or a sanitizer report is a finding), it
// checks for every record read:
// - the variant copies, compares with its copy without touching freed
//   memory, and equality holds except for the values that equal nothing
//   (a NaN);
// - writing it and reading that back gives a variant that writes the same
//   bytes again (the written form is canonical). Dates are left out of this
//   check: a date text with fields out of range may be normalised on the way.

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

bool isNaN(const CbVariant& v)
{
    switch (v.GetType()) {
    case CbVariant::eVariantTypeFloat:
        return std::isnan(static_cast<float>(v));
    case CbVariant::eVariantTypeDouble:
        return std::isnan(static_cast<double>(v));
    default:
        return false;
    }
}

bool sameBytes(const CbStreamWriteBinaryMemory& a, const CbStreamWriteBinaryMemory& b)
{
    return a.GetSize() == b.GetSize() && (a.GetSize() == 0 || std::memcmp(a.GetData(), b.GetData(), a.GetSize()) == 0);
}

void checkCopy(const CbVariant& v)
{
    const CbVariant copy(v);
    if ((copy == v) == isNaN(v))
        __builtin_trap();
    try {
        static_cast<void>(copy < v);
        static_cast<void>(copy > v);
    } catch (const CbException&) {
        // Byte arrays have no order.
    }
}

void checkCanonicalForm(const CbVariant& v)
{
    if (v.GetType() == CbVariant::eVariantTypeDateTime)
        return;
    CbStreamWriteBinaryMemory first;
    v.Serialize(first);
    CbStreamReadBinaryMemory in(first.GetData(), first.GetSize());
    CbVariant again;
    again.Serialize(in);
    CbStreamWriteBinaryMemory second;
    again.Serialize(second);
    if (in.GetRemaining() != 0 || !sameBytes(first, second))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CbStreamReadBinaryMemory in(data, size);
    CbVariant v;
    try {
        while (in.GetRemaining() != 0) {
            v.Serialize(in);
            checkCopy(v);
            checkCanonicalForm(v);
        }
    } catch (const CbException&) {
        // The variant must still be usable after a failed read.
        checkCopy(v);
    }
    return 0;
}
