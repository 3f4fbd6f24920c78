// Feeds arbitrary bytes as a parameter file to GetExternalDataPath: the first
// byte chooses how the rest is stored (plain, in the zlib container or in the
// stored container), the rest is the file's layout. The answer must be the
// one of a plain walk that decodes every record with PmCParameter, which the
// search's passing over records in place must never change; a crash, a hang,
// a leak or a sanitizer report is a finding as well.

#include "FuzzInputFile.h"
#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/entry/PmCParameter.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

namespace {

void writeInput(const std::uint8_t* data, std::size_t size)
{
    const unsigned kind = size == 0 ? 0 : data[0] % 3;
    const std::uint8_t* layout = size == 0 ? data : data + 1;
    const std::size_t layoutSize = size == 0 ? 0 : size - 1;
    if (kind == 1) {
        OsStreamWriteBinaryFile out(cbf::fuzz::WideInputPath(), OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                    OsStreamWriteBinaryFile::eCompressionModeZIP,
                                    OsStreamWriteBinaryFile::eCompressionLevelFastest);
        out.WriteBuffer(layout, layoutSize);
        return;
    }
    std::ofstream out(cbf::fuzz::InputPath(), std::ios::binary | std::ios::trunc);
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
    const BSTR result = GetExternalDataPath(cbf::fuzz::InputPath().string().c_str(), &status);
    if (result == nullptr || (status != OK && status != ERROR_UNKNOWN) || (status != OK && SysStringLen(result) != 0))
        std::abort();
    SysFreeString(result);
    return 0;
}
