// The one walk over a parameter file's layout, shared by CbParameterFile and GetExternalDataPath.
#pragma once

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/platform/CStringT.h>

#include <cstdint>

namespace cbf::entry {

/// The two group sections, as the walk names them to its visitor.
enum class GroupSection
{
    first,
    second
};

/// Reads the layout from `stream` part by part and hands each part to
/// `visitor`, keeping nothing itself:
/// - `void Version(unsigned int)`;
/// - `void Group(GroupSection, CStringW& name, std::uint32_t recordCount)`
///   before the group's records;
/// - `void ReadGroupRecord(GroupSection, CbStreamReadBinary&)` to read the
///   next record of a group;
/// - `bool ReadParameter(CbStreamReadBinary&)` to read the next record of the
///   parameter list; true ends the walk there.
/// The visitor reads each record from the stream (PmCParameter::Serialize,
/// or anything that consumes the same bytes and fails where it fails).
/// Returns false when the version holds no parameter list or the walk read
/// the whole list, true when the visitor ended it.
template <class Visitor>
bool WalkParameterLayout(CbStreamReadBinary& stream, Visitor& visitor)
{
    const unsigned int version = stream.ReadAndCompareVersion(CbParameterFile::kLatestVersion);
    visitor.Version(version);
    const auto readSection = [&](GroupSection section) {
        std::int32_t groupCount = 0;
        stream >> groupCount;
        CStringW name;
        for (std::int32_t group = 0; group < groupCount; ++group) {
            std::uint32_t recordCount = 0;
            stream >> name >> recordCount;
            visitor.Group(section, name, recordCount);
            for (std::uint32_t record = 0; record < recordCount; ++record)
                visitor.ReadGroupRecord(section, stream);
        }
    };
    if (version > 1)
        readSection(GroupSection::first);
    if (version > 3)
        readSection(GroupSection::second);
    if (version <= 2)
        return false;
    std::uint32_t count = 0;
    stream >> count;
    for (std::uint32_t index = 0; index < count; ++index) {
        if (visitor.ReadParameter(stream))
            return true;
    }
    return false;
}

} // namespace cbf::entry
