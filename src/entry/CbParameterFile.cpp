// CbParameterFile: the parameter file in memory, its layout on streams and its atomic saving.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include "entry/ParameterLayout.h"
#include "os/streams/ContainerHeader.h"
#include "platform/FileReplace.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr const wchar_t* kSource = L"CbParameterFile";
constexpr unsigned kLineVersion = 120;
constexpr unsigned kLineCreate = 160;
constexpr unsigned kLineFlush = 170;
constexpr unsigned kLineReplace = 180;
constexpr unsigned kLineFormat = 190;

using cbf::entry::GroupSection;

// Builds the whole model from the walk over the layout.
class ModelBuilder
{
public:
    explicit ModelBuilder(CbParameterFile& file)
        : m_file(file)
    {}

    void Version(unsigned int version) { m_file.version = version; }
    void Group(GroupSection section, const CStringW& name, std::uint32_t)
    {
        groups(section).emplace_back().name = name;
    }
    void ReadGroupRecord(GroupSection section, CbStreamReadBinary& stream)
    {
        groups(section).back().records.emplace_back().Serialize(stream);
    }
    bool ReadParameter(CbStreamReadBinary& stream)
    {
        m_file.parameters.emplace_back().Serialize(stream);
        return false;
    }

private:
    std::vector<CbParameterGroup>& groups(GroupSection section)
    {
        return section == GroupSection::first ? m_file.firstGroups : m_file.secondGroups;
    }

    CbParameterFile& m_file;
};

void writeGroups(CbStreamWriteBinary& stream, const std::vector<CbParameterGroup>& groups)
{
    stream << static_cast<std::int32_t>(groups.size());
    for (const CbParameterGroup& group : groups) {
        stream << group.name << static_cast<std::uint32_t>(group.records.size());
        for (const PmCParameter& record : group.records)
            record.Serialize(stream);
    }
}

// The container a file begins with, told apart as the binary file reader does.
CbParameterFile::Format detectFormat(const CStringW& path)
{
    using namespace cbf::streams;
    CbParameterFile::Format format;
    std::FILE* file = cbf::platform::OpenFile(path.GetString(), "rb");
    if (file == nullptr)
        return format;
    unsigned char header[kHeaderSize + 2] = {};
    const std::size_t got = cbf::platform::ReadFileUnlocked(header, sizeof header, file);
    cbf::platform::CloseFile(file);
    if (got < kHeaderSize || (std::memcmp(header, kContainerMagic, kMagicSize) != 0 &&
                              std::memcmp(header, kAlternativeContainerMagic, kMagicSize) != 0))
        return format;
    const std::uint32_t method = ReadLittleEndian32(header + kMethodOffset);
    if (method == kMethodStored) {
        format.container = CbParameterFile::eContainerStored;
    } else if (method == kMethodZlib) {
        format.container = CbParameterFile::eContainerCompressed;
        // The zlib header's FLEVEL field: 0 and 1 the fast levels, 2 the
        // default, 3 the best.
        const unsigned level = got == sizeof header ? header[kHeaderSize + 1] >> 6 : 2;
        format.level = level < 2    ? CbParameterFile::eCompressionLevelFastest
                       : level == 2 ? CbParameterFile::eCompressionLevelDefault
                                    : CbParameterFile::eCompressionLevelBest;
    }
    return format;
}

void writeStoredContainer(const CbParameterFile& file, const CStringW& path)
{
    using namespace cbf::streams;
    CbStreamWriteBinaryByteCount counter;
    file.Write(counter);
    const unsigned __int64 size = counter.GetByteCount();
    unsigned char header[kHeaderSize];
    std::memcpy(header, kContainerMagic, kMagicSize);
    WriteLittleEndian32(kMethodStored, header + kMethodOffset);
    WriteLittleEndian32(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size), header + kLengthOffset);
    OsStreamWriteBinaryFile stream(path, OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                   OsStreamWriteBinaryFile::eCompressionModeNone,
                                   OsStreamWriteBinaryFile::eCompressionLevelDefault);
    stream.WriteBuffer(header, sizeof header);
    file.Write(stream);
}

void writeContainer(const CbParameterFile& file, const CStringW& path, const CbParameterFile::Format& format)
{
    if (format.container == CbParameterFile::eContainerStored) {
        writeStoredContainer(file, path);
        return;
    }
    const auto mode = format.container == CbParameterFile::eContainerCompressed
                          ? OsStreamWriteBinaryFile::eCompressionModeZIP
                          : OsStreamWriteBinaryFile::eCompressionModeNone;
    OsStreamWriteBinaryFile stream(path, OsStreamWriteBinaryFile::eAccessModeOverwrite, mode,
                                   static_cast<OsStreamWriteBinaryFile::ECompressionLevel>(format.level));
    file.Write(stream);
}

void createFolderOf(const CStringW& path)
{
    CStringW folder;
    CStringW name;
    CStringW extension;
    OsFileSystem::SplitPath(path, folder, name, extension);
    if (!folder.IsEmpty() && !OsFileSystem::IsDirectory(folder))
        OsFileSystem::CreateDirectoryW(folder);
}

bool isKnownFormat(const CbParameterFile::Format& format)
{
    return format.container >= CbParameterFile::eContainerPlain &&
           format.container <= CbParameterFile::eContainerStored &&
           format.level >= CbParameterFile::eCompressionLevelDefault &&
           format.level <= CbParameterFile::eCompressionLevelBest;
}

} // namespace

void CbParameterFile::Read(CbStreamReadBinary& stream)
{
    CbParameterFile file;
    ModelBuilder builder(file);
    cbf::entry::WalkParameterLayout(stream, builder);
    *this = std::move(file);
}

void CbParameterFile::Write(CbStreamWriteBinary& stream) const
{
    if (version > kLatestVersion)
        throw CbExceptionStream(kSource, kLineVersion);
    stream << static_cast<std::uint32_t>(version);
    if (version > 1)
        writeGroups(stream, firstGroups);
    if (version > 3)
        writeGroups(stream, secondGroups);
    if (version <= 2)
        return;
    stream << static_cast<std::uint32_t>(parameters.size());
    for (const PmCParameter& record : parameters)
        record.Serialize(stream);
}

CbParameterFile CbParameterFile::Load(const CStringW& path, Format* format)
{
    CbParameterFile file;
    {
        OsStreamReadBinaryFile stream(path);
        file.Read(stream);
    }
    if (format != nullptr)
        *format = detectFormat(path);
    return file;
}

void CbParameterFile::Save(const CStringW& path, const Format& format) const
{
    if (!isKnownFormat(format))
        throw CbExceptionStream(kSource, kLineFormat);
    createFolderOf(path);
    CStringW temporary;
    if (!cbf::platform::CreateFileBeside(path, temporary))
        throw CbExceptionStream(kSource, kLineCreate);
    try {
        writeContainer(*this, temporary, format);
        if (!cbf::platform::FlushFileToDisk(temporary))
            throw CbExceptionStream(kSource, kLineFlush);
        if (!cbf::platform::ReplaceFileWith(temporary, path))
            throw CbExceptionStream(kSource, kLineReplace);
    } catch (...) {
        cbf::platform::RemoveFile(temporary);
        throw;
    }
}

void CbParameterFile::Save(const CStringW& path) const
{
    Save(path, Format());
}

const PmCParameter* CbParameterFile::FindParameter(const wchar_t* name) const
{
    for (const PmCParameter& record : parameters) {
        if (record.name == name)
            return &record;
    }
    return nullptr;
}

PmCParameter* CbParameterFile::FindParameter(const wchar_t* name)
{
    return const_cast<PmCParameter*>(std::as_const(*this).FindParameter(name));
}

PmCParameter& CbParameterFile::SetParameter(const CStringW& name, const CbVariant& value)
{
    PmCParameter* record = FindParameter(name.GetString());
    if (record == nullptr)
        return parameters.emplace_back(name, value, false, -1);
    record->value = value;
    record->loadedValue = value;
    return *record;
}
