// OsStreamWriteBinaryFileRaw: the binary writer onto the bytes of one file.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/platform/CStringT.h>

#include <cstdio>
#include <memory>

class OsStreamWriteBinaryFile;

/// Writes a file byte for byte, with no header or framing, through the
/// runtime library's buffered stream (4096 bytes, full buffering). Small
/// writes are first gathered in a 4096-byte buffer of the stream's own, which
/// is the put area of the encoders (see CbStreamWriteBinary): a value costs a
/// copy, not a call into the runtime library. The constructor creates the
/// folders the path names that are missing. Bytes written are in the file at
/// the latest once the writer is destroyed.
///
/// The folder is the part of the path up to its last separator (see
/// OsFileSystem::SplitPath), so a bare file name, whose folder is empty, is
/// refused.
///
/// Failures throw CbExceptionStream, source "OsStreamWriteBinaryFileRaw":
/// - line 41: the folder is missing and cannot be created;
/// - line 76: the file cannot be opened and errno says why (history as for
///   OsStreamReadBinaryFileRaw); line 80: errno stayed 0;
/// - line 113: fewer bytes could be written than asked, either by `write` or
///   when the destructor writes out what is still buffered;
/// - line 60: an access mode other than the two below.
///
/// The destructor closes the file in every case. When it is run by the
/// unwinding of another exception it throws nothing, since the process would
/// end; the file then lacks the bytes that could not be written.
class CB_API OsStreamWriteBinaryFileRaw : public CbStreamWriteBinary
{
public:
    /// How an existing file is opened.
    enum EAccessMode : int
    {
        /// Create the file, or truncate an existing one to length 0.
        eAccessModeOverwrite = 0,
        /// Create the file, or keep an existing one; every write goes to its end.
        eAccessModeAppend = 1
    };

    /// Opens `path` for writing; a failure throws CbExceptionStream.
    OsStreamWriteBinaryFileRaw(const wchar_t* path, EAccessMode accessMode);

    OsStreamWriteBinaryFileRaw(const OsStreamWriteBinaryFileRaw&) = delete;
    OsStreamWriteBinaryFileRaw& operator=(const OsStreamWriteBinaryFileRaw&) = delete;

    /// Closes the file, writing out what is still buffered.
    ~OsStreamWriteBinaryFileRaw() override;

    /// The path exactly as given to the constructor.
    const wchar_t* GetFilename() const { return m_filename.GetString(); }

protected:
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    // The binary file writer patches its container's length field in place,
    // after flushing.
    friend class OsStreamWriteBinaryFile;

    void flushBuffer();
    void writeToFile(const unsigned char* data, unsigned __int64 count);

    std::FILE* m_file;
    CStringW m_filename;
    int m_uncaughtExceptions;
    std::unique_ptr<unsigned char[]> m_buffer;
};
