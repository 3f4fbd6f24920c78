// Decodes arbitrary bytes as a mix of primitives and strings through the
// memory reader. Each input byte that starts an operation chooses the type to
// read next; the value is then re-encoded.
//
// Besides surviving every input (only CbExceptionStream may end the decoding;
// anything else, a crash or a sanitizer report is a finding), it checks two
// properties of the encoding:
// - the byte counter agrees with the memory writer on every sequence;
// - decoding what was re-encoded, with the same operations, gives the same
//   bytes again (the re-encoded form is canonical).

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Reads one value of type T and writes it to both writers.
template <class T>
void transcode(CbStreamRead& in, CbStreamWriteBinary& out, CbStreamWriteBinaryByteCount& counter)
{
    T value{};
    in >> value;
    out << value;
    counter << value;
}

using Transcoder = void (*)(CbStreamRead&, CbStreamWriteBinary&, CbStreamWriteBinaryByteCount&);

const Transcoder kTranscoders[] = {
    transcode<bool>,  transcode<char>,           transcode<signed char>, transcode<unsigned char>,
    transcode<short>, transcode<unsigned short>, transcode<int>,         transcode<unsigned int>,
    transcode<long>,  transcode<unsigned long>,  transcode<__int64>,     transcode<unsigned __int64>,
    transcode<float>, transcode<double>,         transcode<CStringA>,    transcode<CStringW>,
};
constexpr std::size_t kTranscoderCount = sizeof kTranscoders / sizeof kTranscoders[0];

// Re-encodes the values of `in` with the operations that the input itself
// chooses; returns the operations that completed.
std::vector<std::size_t> decodeInput(CbStreamReadBinaryMemory& in, CbStreamWriteBinary& out,
                                     CbStreamWriteBinaryByteCount& counter)
{
    std::vector<std::size_t> operations;
    try {
        while (in.GetRemaining() != 0) {
            unsigned char choice = 0;
            in >> choice;
            const std::size_t operation = choice % kTranscoderCount;
            kTranscoders[operation](in, out, counter);
            operations.push_back(operation);
        }
    } catch (const CbExceptionStream&) {
    }
    return operations;
}

bool sameBytes(const CbStreamWriteBinaryMemory& a, const CbStreamWriteBinaryMemory& b)
{
    return a.GetSize() == b.GetSize() && (a.GetSize() == 0 || std::memcmp(a.GetData(), b.GetData(), a.GetSize()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CbStreamReadBinaryMemory in(data, size);
    CbStreamWriteBinaryMemory first;
    CbStreamWriteBinaryByteCount firstCount;
    const std::vector<std::size_t> operations = decodeInput(in, first, firstCount);
    if (firstCount.GetByteCount() != first.GetSize())
        __builtin_trap();

    CbStreamReadBinaryMemory again(first.GetData(), first.GetSize());
    CbStreamWriteBinaryMemory second;
    CbStreamWriteBinaryByteCount secondCount;
    for (std::size_t operation : operations)
        kTranscoders[operation](again, second, secondCount);
    if (again.GetRemaining() != 0 || !sameBytes(first, second))
        __builtin_trap();
    return 0;
}
