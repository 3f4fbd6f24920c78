// OsStreamReadBinaryFile: the binary reader of plain files and compressed archives, told apart by their header.
#pragma once

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/platform/CStringT.h>

#include <memory>

class CArchive;
class OsStreamReadBinaryFileRaw;

/// Reads a file that OsStreamWriteBinaryFile wrote, plain or compressed: the
/// constructor looks at the first 28 bytes once and reads accordingly.
///
/// A compressed archive begins with a 28-byte header: 20 magic bytes (the
/// ASCII text "C2288012-30BB4396B65", or "Varok AG, 2005, comp"), a 32-bit
/// method and a 32-bit payload length (not used here), little-endian. Method 2
/// is a zlib stream from offset 28 on, method 0 the payload stored as it is.
/// Anything else, and every file shorter than 28 bytes, is read as plain bytes
/// from offset 0.
///
/// Failures throw CbExceptionStream, source "OsStreamReadBinaryFile": line 154
/// when the header cannot be read after its magic was seen, line 164 for
/// method 1, line 181 for any other unknown method, line 63 when the archive
/// of the CArchive constructor is not loading. Failures to open the file are
/// those of OsStreamReadBinaryFileRaw and pass through.
///
/// A plain file's values are decoded straight out of the buffer of the raw
/// reader underneath (its get area, see CbStreamReadBinary); a compressed
/// one's out of a 64 KiB window that the zlib reader inflates into. An
/// archive is read through CArchive::Read value by value, never ahead of the
/// caller, so that the archive stands where the caller's last value ended.
///
/// Registered as "OsStreamReadBinaryFile" (base CbStreamReadBinary). Not
/// copyable.
class CB_API OsStreamReadBinaryFile : public CbStreamReadBinary
{
public:
    /// Opens `path`.
    explicit OsStreamReadBinaryFile(const CStringW& path);

    /// Opens `name` in a well-known folder: OsFileSystem::GetDirectory of
    /// `directory`, which ends in a separator, directly followed by `name`.
    OsStreamReadBinaryFile(OsFileSystem::ESpecialDirectory directory, const CStringW& name);

    /// Reads the plain bytes of `archive`'s file through the archive, which
    /// must stay open and loading while this stream lives; the file name is
    /// that of the archive's file.
    explicit OsStreamReadBinaryFile(CArchive& archive);

    OsStreamReadBinaryFile(const OsStreamReadBinaryFile&) = delete;
    OsStreamReadBinaryFile& operator=(const OsStreamReadBinaryFile&) = delete;

    ~OsStreamReadBinaryFile() override;

    /// The path of the file being read.
    const wchar_t* GetFilename() const { return m_filename.GetString(); }

    CB_DECLARE_RTTI(OsStreamReadBinaryFile)

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override;

private:
    void init(std::unique_ptr<OsStreamReadBinaryFileRaw> stream);
    void shareArea(std::unique_ptr<OsStreamReadBinaryFileRaw> raw);
    unsigned __int64 readSharingArea(void* buffer, unsigned __int64 count);
    unsigned __int64 readThroughWindow(void* buffer, unsigned __int64 count);

    std::unique_ptr<CbStreamReadBinary> m_stream;
    CStringW m_filename;
    // The stream when it is the raw reader, whose get area this reader
    // shares; null otherwise.
    OsStreamReadBinaryFileRaw* m_raw = nullptr;
    // The get area over a zlib reader, which fills it with inflated bytes;
    // null otherwise.
    std::unique_ptr<unsigned char[]> m_window;
};
