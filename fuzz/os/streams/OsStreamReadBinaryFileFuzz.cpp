// Feeds arbitrary bytes as a file to OsStreamReadBinaryFile (plain, stored or
// zlib container, whatever the header says) and reads values until the first
// exception. Only CbExceptionStream may end the reading; anything else, a
// crash, a hang or a sanitizer report is a finding.

#include "FuzzInputFile.h"
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Reads an int, a wide string, a double and a narrow string in turn until the
// data ends.
void readAll(CbStreamReadBinary& in)
{
    for (unsigned step = 0;; ++step) {
        switch (step % 4) {
        case 0: {
            int value = 0;
            in >> value;
            break;
        }
        case 1: {
            CStringW value;
            in >> value;
            break;
        }
        case 2: {
            double value = 0;
            in >> value;
            break;
        }
        default: {
            CStringA value;
            in >> value;
            break;
        }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream out(cbf::fuzz::InputPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        OsStreamReadBinaryFile in(cbf::fuzz::WideInputPath());
        readAll(in);
    } catch (const CbExceptionStream&) {
    }
    return 0;
}
