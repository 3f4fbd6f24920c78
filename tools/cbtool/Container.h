// What cbtool tells about a file's compressed-archive container.
#pragma once

#include <cbfoundation/platform/CStringT.h>

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace cbtool {

/// The container a file is in, from its first 28 bytes, told apart as the
/// library's binary file reader does.
struct ContainerInfo
{
    enum Kind
    {
        kPlain,
        kArchive,
        kAlternativeArchive
    };

    Kind kind = kPlain;
    std::uint32_t method = 0;
    std::uint32_t lengthField = 0;

    /// Read from the start of a file; a file shorter than the header is plain.
    static ContainerInfo Inspect(const std::vector<unsigned char>& bytes);

    /// Read from the header of the file at `path`.
    static ContainerInfo OfFile(const CStringW& path);

    bool IsArchive() const { return kind != kPlain; }

    /// Whether the length field agrees with a payload of `size` bytes (it
    /// holds 0xFFFFFFFF for 4 GiB and more).
    bool Matches(std::uint64_t size) const { return lengthField == (size < 0xFFFFFFFFu ? size : 0xFFFFFFFFu); }

    /// Whether the library reads this archive's method (stored or zlib).
    bool IsReadable() const;

    /// "plain", "archive" or "alternative-archive": the names the JSON uses.
    std::string KindName() const;

    /// A sentence for people: "plain (no container header)", "compressed
    /// archive, method 2 (zlib)" and so on.
    std::string Describe() const;
};

/// The bytes the library's binary file reader delivers from `path`: the file
/// itself when it is plain, the stored or inflated payload of an archive.
std::vector<unsigned char> ReadPayload(const CStringW& path);

/// Adds `name` taking a compression level (fastest, default, best) to `command`.
CLI::Option* AddLevelOption(CLI::App& command, const std::string& name, std::string& level);

/// The OsStreamWriteBinaryFile::ECompressionLevel of a level's name.
int CompressionLevel(const std::string& name);

/// Writes `payload` to `path` (replacing it atomically), plain or as an
/// archive of method 2 at `level`.
void WritePayload(const CStringW& path, const std::vector<unsigned char>& payload, bool compress, int level);

} // namespace cbtool
