// Feeds arbitrary bytes as a file to OsStreamReadBinaryFile (plain, stored or
// zlib container, whatever the header says) and reads values until the first
// exception. Only CbExceptionStream may end the reading; anything else, a
// crash, a hang or a sanitizer report is a finding.

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/platform/Utf16.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

// One file per fuzzing process, rewritten for every input and removed when
// the process ends.
struct InputFile
{
    InputFile()
        : path(std::filesystem::temp_directory_path() /
               ("cbf-fuzz-file-" + std::to_string(std::random_device{}()) + ".bin"))
    {}
    ~InputFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path& inputPath()
{
    static const InputFile file;
    return file.path;
}

CStringW wideOf(const std::filesystem::path& path)
{
    const std::u16string units = path.u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(cbf::platform::FromUtf16(units.data(), units.size(), text.data()));
    return CStringW(text.data(), static_cast<int>(text.size()));
}

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
        std::ofstream out(inputPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        OsStreamReadBinaryFile in(wideOf(inputPath()));
        readAll(in);
    } catch (const CbExceptionStream&) {
    }
    return 0;
}
