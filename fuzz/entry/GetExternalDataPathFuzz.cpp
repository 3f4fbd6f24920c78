// Feeds arbitrary bytes as a parameter file to GetExternalDataPath: the first
// byte chooses how the rest is stored (plain, in the zlib container or in the
// stored container), the rest is the file's layout. The call must return a
// string with status OK or ERROR_UNKNOWN, and an empty one unless OK; a
// crash, a hang, a leak or a sanitizer report is a finding.

#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/platform/Utf16.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
               ("cbf-fuzz-parameters-" + std::to_string(std::random_device{}()) + ".par"))
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

void writeInput(const std::uint8_t* data, std::size_t size)
{
    const unsigned kind = size == 0 ? 0 : data[0] % 3;
    const std::uint8_t* layout = size == 0 ? data : data + 1;
    const std::size_t layoutSize = size == 0 ? 0 : size - 1;
    if (kind == 1) {
        OsStreamWriteBinaryFile out(wideOf(inputPath()), OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                    OsStreamWriteBinaryFile::eCompressionModeZIP,
                                    OsStreamWriteBinaryFile::eCompressionLevelFastest);
        out.WriteBuffer(layout, layoutSize);
        return;
    }
    std::ofstream out(inputPath(), std::ios::binary | std::ios::trunc);
    if (kind == 2) {
        // The stored container: magic, method 0, the payload length.
        const std::uint32_t header[2] = {0, static_cast<std::uint32_t>(layoutSize)};
        out.write("C2288012-30BB4396B65", 20);
        out.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    out.write(reinterpret_cast<const char*>(layout), static_cast<std::streamsize>(layoutSize));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    writeInput(data, size);
    std::uint32_t status = 99;
    const BSTR result = GetExternalDataPath(inputPath().string().c_str(), &status);
    if (result == nullptr || (status != OK && status != ERROR_UNKNOWN) || (status != OK && SysStringLen(result) != 0))
        std::abort();
    SysFreeString(result);
    return 0;
}
