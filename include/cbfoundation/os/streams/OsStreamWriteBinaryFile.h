// OsStreamWriteBinaryFile: the binary writer of plain files and compressed archives.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/platform/CStringT.h>

#include <memory>

class CArchive;
class OsStreamWriteBinaryFileRaw;
class OsStreamWriteCompressedZIP;

/// Writes the binary form of what it is given to a file, either plain (byte
/// for byte) or as a compressed archive that OsStreamReadBinaryFile reads:
/// the 28-byte header (the magic "C2288012-30BB4396B65", method 2, the payload
/// length) followed by a zlib stream of the payload.
///
/// A compressed file is complete only once the writer is destroyed: the
/// destructor ends the zlib stream and writes the number of payload bytes at
/// offset 24 (0xFFFFFFFF when there were more than 4 GiB - 1). In append mode
/// the runtime library sends that write to the end of the file as well, so the
/// length then follows the payload and the header keeps 0; a container
/// appended to a non-empty file is not readable as one.
///
/// Failures:
/// - an access mode outside the enumeration: CbException, source
///   "OsStreamWriteBinaryFile", line 106, function "translateAccessMode",
///   before the file is touched;
/// - a compression mode outside it: CbException, line 129, function
///   "translateCompressionMode", after the file was opened (and truncated);
/// - a level outside it: CbExceptionPreconditionViolation, line 150, after the
///   header was written;
/// - the archive of the CArchive constructor is loading: CbExceptionStream,
///   line 75;
/// - destruction: CbExceptionStream, line 250, when the length field cannot be
///   reached, line 254 when it cannot be written.
/// Failures of the file, of zlib and of the archive pass through.
///
/// The destructor closes the file in every case. While another exception is
/// unwinding through it, it throws nothing (the process would end): the file
/// may then lack its end, and the exception in flight is the one the caller
/// sees.
///
/// Values written to a plain file are stored straight into the buffer of the
/// raw writer underneath (its put area, see CbStreamWriteBinary); those of a
/// compressed file into a 32 KiB window that goes to zlib whenever it is
/// full. An archive gets every value through CArchive::Write as it comes, so
/// that what the caller writes to the archive itself keeps its place.
///
/// Registered as "OsStreamWriteBinaryFile" (base CbStreamWriteBinary). Not
/// copyable.
class CB_API OsStreamWriteBinaryFile : public CbStreamWriteBinary
{
public:
    /// How an existing file is opened, as in OsStreamWriteBinaryFileRaw.
    enum EAccessMode : int
    {
        /// Truncate an existing file.
        eAccessModeOverwrite = 0,
        /// Write at the end of an existing file.
        eAccessModeAppend = 1
    };

    /// The form of the file.
    enum ECompressionMode : int
    {
        /// A plain file without header.
        eCompressionModeNone = 0,
        /// A compressed archive, method 2.
        eCompressionModeZIP = 1
    };

    /// The zlib level of a compressed file, as in OsStreamWriteCompressedZIP.
    enum ECompressionLevel : int
    {
        /// zlib's default level.
        eCompressionLevelDefault = 0,
        /// zlib level 1.
        eCompressionLevelFastest = 1,
        /// zlib level 9.
        eCompressionLevelBest = 2
    };

    /// Writes to `path`, creating missing folders.
    OsStreamWriteBinaryFile(const CStringW& path, EAccessMode accessMode, ECompressionMode compressionMode,
                            ECompressionLevel compressionLevel);

    /// Writes to `name` in a well-known folder: OsFileSystem::GetDirectory of
    /// `directory` directly followed by `name`.
    OsStreamWriteBinaryFile(OsFileSystem::ESpecialDirectory directory, const CStringW& name, EAccessMode accessMode,
                            ECompressionMode compressionMode, ECompressionLevel compressionLevel);

    /// Writes plain bytes through `archive`, which must stay open and storing
    /// while this stream lives; the file name is that of the archive's file.
    explicit OsStreamWriteBinaryFile(CArchive& archive);

    OsStreamWriteBinaryFile(const OsStreamWriteBinaryFile&) = delete;
    OsStreamWriteBinaryFile& operator=(const OsStreamWriteBinaryFile&) = delete;

    /// Completes a compressed file and closes the file.
    ~OsStreamWriteBinaryFile() override;

    /// The path of the file being written.
    const wchar_t* GetFilename() const { return m_filename.GetString(); }

    CB_DECLARE_RTTI(OsStreamWriteBinaryFile)

protected:
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    void init(std::unique_ptr<CbStreamWriteBinary> stream, ECompressionMode compressionMode,
              ECompressionLevel compressionLevel);
    void completeContainer();
    void takeArea();
    void handBackArea() noexcept;
    CbStreamWrite& writeSharingArea(const void* buffer, unsigned __int64 count);
    CbStreamWrite& writeThroughWindow(const void* buffer, unsigned __int64 count);
    void flushWindow();

    static int translateAccessMode(EAccessMode accessMode);
    static int translateCompressionMode(ECompressionMode compressionMode);
    static int translateCompressionLevel(ECompressionLevel compressionLevel);

    std::unique_ptr<CbStreamWriteBinary> m_stream;
    std::unique_ptr<CbStreamWriteBinary> m_compressed;
    CbStreamWriteBinary* m_target = nullptr;
    unsigned __int64 m_byteCount = 0;
    CStringW m_filename;
    int m_uncaughtExceptions;
    // The stream when it is the raw writer, whose put area a plain file
    // shares; m_byteCount lacks the bytes stored in it from m_countedUpTo on.
    OsStreamWriteBinaryFileRaw* m_raw = nullptr;
    unsigned char* m_countedUpTo = nullptr;
    // The compressed stream, and the window that is the put area over it;
    // m_byteCount lacks the bytes in the window.
    OsStreamWriteCompressedZIP* m_zip = nullptr;
    std::unique_ptr<unsigned char[]> m_window;
};
