// Inspecting, reading and writing the compressed-archive container for cbtool.

#include "Container.h"

#include "Tool.h"

#include "os/streams/ContainerHeader.h"

#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include <cstring>

namespace cbtool {

ContainerInfo ContainerInfo::Inspect(const std::vector<unsigned char>& bytes)
{
    namespace layout = cbf::streams;
    ContainerInfo info;
    if (bytes.size() < layout::kHeaderSize)
        return info;
    if (std::memcmp(bytes.data(), layout::kContainerMagic, layout::kMagicSize) == 0)
        info.kind = kArchive;
    else if (std::memcmp(bytes.data(), layout::kAlternativeContainerMagic, layout::kMagicSize) == 0)
        info.kind = kAlternativeArchive;
    else
        return info;
    info.method = layout::ReadLittleEndian32(bytes.data() + layout::kMethodOffset);
    info.lengthField = layout::ReadLittleEndian32(bytes.data() + layout::kLengthOffset);
    return info;
}

bool ContainerInfo::IsReadable() const
{
    return !IsArchive() || method == cbf::streams::kMethodStored || method == cbf::streams::kMethodZlib;
}

ContainerInfo ContainerInfo::OfFile(const CStringW& path)
{
    OsStreamReadBinaryFileRaw file(path.GetString());
    std::vector<unsigned char> header(cbf::streams::kHeaderSize);
    header.resize(static_cast<std::size_t>(file.ReadBuffer(header.data(), header.size())));
    return Inspect(header);
}

std::string ContainerInfo::KindName() const
{
    switch (kind) {
    case kArchive:
        return "archive";
    case kAlternativeArchive:
        return "alternative-archive";
    default:
        return "plain";
    }
}

std::string ContainerInfo::Describe() const
{
    if (!IsArchive())
        return "plain (no container header)";
    std::string text = kind == kArchive ? "compressed archive" : "compressed archive with the alternative magic";
    text += ", method " + std::to_string(method);
    if (method == cbf::streams::kMethodZlib)
        return text + " (zlib)";
    if (method == cbf::streams::kMethodStored)
        return text + " (stored)";
    return text + " (unknown: not readable)";
}

std::vector<unsigned char> ReadPayload(const CStringW& path)
{
    OsStreamReadBinaryFile file(path);
    return ReadAll(file);
}

CLI::Option* AddLevelOption(CLI::App& command, const std::string& name, std::string& level)
{
    return command.add_option(name, level, "Compression level: fastest, default or best")
        ->check(CLI::IsMember({"fastest", "default", "best"}))
        ->capture_default_str();
}

int CompressionLevel(const std::string& name)
{
    if (name == "fastest")
        return OsStreamWriteBinaryFile::eCompressionLevelFastest;
    if (name == "best")
        return OsStreamWriteBinaryFile::eCompressionLevelBest;
    return OsStreamWriteBinaryFile::eCompressionLevelDefault;
}

void WritePayload(const CStringW& path, const std::vector<unsigned char>& payload, bool compress, int level)
{
    ReplaceAtomically(path, [&](const CStringW& temporary) {
        OsStreamWriteBinaryFile file(temporary, OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                     compress ? OsStreamWriteBinaryFile::eCompressionModeZIP
                                              : OsStreamWriteBinaryFile::eCompressionModeNone,
                                     static_cast<OsStreamWriteBinaryFile::ECompressionLevel>(level));
        file.WriteBuffer(payload.data(), payload.size());
    });
}

} // namespace cbtool
