// OsStreamReadBinaryFileRaw: the binary reader over the bytes of one file.
#pragma once

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/platform/CStringT.h>

#include <cstdio>
#include <memory>

/// Reads a file byte for byte, with no header or framing, through the runtime
/// library's buffered stream (4096 bytes, full buffering). Small reads are
/// served from a 4096-byte buffer of the stream's own, the get area of the
/// decoders (see CbStreamReadBinary), which spares the runtime library's call
/// per value; Peek and the end of the file see the same bytes as without it.
/// The encoding operators are those of
/// CbStreamReadBinary; GetRTTI reports it.
///
/// Failures throw CbExceptionStream, source "OsStreamReadBinaryFileRaw":
/// - line 41: the file cannot be opened and errno says why; the history is a
///   CbException of the same source and line made from a std::system_error
///   with that errno value and its strerror text;
/// - line 45: the file cannot be opened and errno stayed 0 (no history);
/// - line 78: a read error (the end of the file is no error: `read` then
///   delivers fewer bytes, possibly none);
/// - line 95: Peek cannot record the position; line 101: Peek cannot restore
///   it, or its read failed.
///
/// On POSIX systems `\` in the path is taken as `/`. Not copyable; one thread
/// at a time.
class CB_API OsStreamReadBinaryFileRaw : public CbStreamReadBinary
{
public:
    /// Opens `path` for reading; the stream starts at offset 0.
    explicit OsStreamReadBinaryFileRaw(const wchar_t* path);

    OsStreamReadBinaryFileRaw(const OsStreamReadBinaryFileRaw&) = delete;
    OsStreamReadBinaryFileRaw& operator=(const OsStreamReadBinaryFileRaw&) = delete;

    /// Closes the file.
    ~OsStreamReadBinaryFileRaw() override;

    /// Copies up to `count` bytes from the current position into `buffer`
    /// without moving the position; returns how many it copied.
    unsigned __int64 Peek(void* buffer, unsigned __int64 count) const;

    /// The path exactly as given to the constructor.
    const wchar_t* GetFilename() const { return m_filename.GetString(); }

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override;

private:
    // The binary file reader shares the get area.
    friend class OsStreamReadBinaryFile;

    unsigned __int64 refill(unsigned char* destination, unsigned __int64 count);

    std::FILE* m_file;
    CStringW m_filename;
    // Bytes read from the file ahead of the caller; [getNext, getEnd) of
    // them are still to come.
    std::unique_ptr<unsigned char[]> m_buffer;
};
