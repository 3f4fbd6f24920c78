// CbParameterFile: the whole content of a parameter file, read, written, loaded and saved atomically.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/entry/PmCParameter.h>
#include <cbfoundation/platform/CStringT.h>

#include <vector>

class CbStreamReadBinary;
class CbStreamWriteBinary;

/// One group of a group section: a name and the records filed under it.
struct CB_API CbParameterGroup
{
    /// The group's name.
    CStringW name;
    /// The group's records, in file order.
    std::vector<PmCParameter> records;
};

/// A parameter file held in memory.
///
/// The layout, in the binary encoding of the streams:
///
/// | Part | Present for version | Layout |
/// |---|---|---|
/// | version | always | 32-bit unsigned stamp, at most 4 |
/// | first group section | 2, 3, 4 | group list |
/// | second group section | 4 | group list |
/// | parameter list | 3, 4 | 32-bit unsigned count N, then N records |
///
/// A group list is a 32-bit signed count G (0 or less: no groups), then G
/// groups, each a wide-string name, a 32-bit unsigned record count and that
/// many PmCParameter records. GetExternalDataPath reads the same layout with
/// the same code, stopping at the record it looks for.
///
///     CbParameterFile file = CbParameterFile::Load(L"/data/run.par");
///     CbVariant path;
///     path = L"/mnt/data";
///     file.SetParameter(L"ExternalDataPath", path);
///     file.Save(L"/data/run.par");
///
/// Failures throw: those of the streams and of the variant's form pass
/// through (CbExceptionStream for a short or malformed file,
/// CbExceptionWrongFileVersion for a version above 4); the class's own throw
/// CbExceptionStream with the source name "CbParameterFile" and the lines of
/// the members below.
class CB_API CbParameterFile
{
public:
    /// The newest layout version, the one new files get.
    static constexpr unsigned int kLatestVersion = 4;

    /// How a file is stored on disk.
    enum EContainer : int
    {
        /// The layout's bytes as they are.
        eContainerPlain = 0,
        /// The compressed-archive container with a zlib stream (method 2).
        eContainerCompressed = 1,
        /// The compressed-archive container holding the bytes uncompressed
        /// (method 0).
        eContainerStored = 2
    };

    /// The compression levels of eContainerCompressed.
    enum ECompressionLevel : int
    {
        /// zlib's default level.
        eCompressionLevelDefault = 0,
        /// zlib's fastest level.
        eCompressionLevelFastest = 1,
        /// zlib's best level.
        eCompressionLevelBest = 2
    };

    /// The container of a file: what Load found, what Save writes.
    struct CB_API Format
    {
        /// The container kind.
        EContainer container = eContainerPlain;
        /// The level of a compressed container; Load reports the level the
        /// zlib stream's header declares (the fast levels count as fastest).
        ECompressionLevel level = eCompressionLevelDefault;
    };

    /// The layout version: 0 to 4. Versions 0 and 1 hold no more than the
    /// version itself.
    unsigned int version = kLatestVersion;
    /// The first group section, present from version 2.
    std::vector<CbParameterGroup> firstGroups;
    /// The second group section, present in version 4.
    std::vector<CbParameterGroup> secondGroups;
    /// The parameter list, present from version 3.
    std::vector<PmCParameter> parameters;

    /// Replaces the content with the layout read from `stream`. On failure
    /// the content is left as it was.
    void Read(CbStreamReadBinary& stream);

    /// Writes the layout of `version`: the sections it does not admit are
    /// left out, whatever they hold. A version above 4 throws line 120
    /// before anything is written.
    void Write(CbStreamWriteBinary& stream) const;

    /// Reads the file at `path`, plain or in a container (either magic,
    /// method 0 or 2), and reports its container in `format` when given.
    static CbParameterFile Load(const CStringW& path, Format* format = nullptr);

    /// Writes the file at `path` in the container `format` names, atomically:
    /// the layout goes to a new file in the same folder, which is flushed to
    /// the disk and then renamed over `path`. Missing folders are created.
    /// On failure `path` is left as it was and the new file removed. Throws
    /// line 160 when the new file cannot be created, 170 when it cannot be
    /// flushed, 180 when it cannot replace `path`, 190 for a container or
    /// level outside the enumerations; failures while writing pass through.
    void Save(const CStringW& path, const Format& format) const;

    /// Saves as a plain file, as Save(path, Format()) does.
    void Save(const CStringW& path) const;

    /// The first record of the parameter list named exactly `name`, or null.
    const PmCParameter* FindParameter(const wchar_t* name) const;
    /// As above, for changing the record.
    PmCParameter* FindParameter(const wchar_t* name);

    /// Gives the first record named `name` the value `value` (its loaded
    /// value follows), or appends a record with that name and value (number
    /// -1) when there is none; returns the record.
    PmCParameter& SetParameter(const CStringW& name, const CbVariant& value);
};
