// CFile and CArchive: the host framework's file and archive, as far as the binary file streams use them.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>

#include <cstdio>

/// A file opened by name for reading or for writing, closed on destruction.
/// Failures throw CbExceptionStream with the source "CFile": line 1 when the
/// file cannot be opened, line 2 when a read fails, line 3 when not every
/// byte could be written or the last ones not written out on closing.
class CB_API CFile
{
public:
    /// How the file is opened; combine with |.
    enum OpenFlags : unsigned
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000
    };

    /// Opens `fileName`: modeRead reads an existing file; modeWrite with
    /// modeCreate creates the file or truncates an existing one.
    CFile(const wchar_t* fileName, unsigned openFlags);

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    /// Closes the file; a failure to write out the last bytes is not reported.
    /// Call Close to learn of it.
    ~CFile();

    /// The name the file was opened with.
    CStringW GetFileName() const { return m_fileName; }

    /// Reads up to `count` bytes; fewer only at the end of the file.
    unsigned Read(void* buffer, unsigned count);

    /// Writes `count` bytes.
    void Write(const void* buffer, unsigned count);

    /// Closes the file now.
    void Close();

private:
    std::FILE* m_file;
    CStringW m_fileName;
};

/// An archive over an open CFile, either loading (reading) or storing
/// (writing). It neither owns nor closes the file.
class CB_API CArchive
{
public:
    /// The direction of the archive.
    enum Mode : unsigned
    {
        store = 0,
        load = 1
    };

    /// An archive over `file` that loads when `mode` has `load`, else stores.
    CArchive(CFile* file, unsigned mode)
        : m_file(file)
        , m_mode(mode)
    {}

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    /// The direction, from the mode given at construction.
    /// @{
    bool IsLoading() const { return (m_mode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    /// @}

    /// The file the archive reads or writes.
    CFile* GetFile() const { return m_file; }

    /// Reads up to `count` bytes from the file; returns how many came.
    unsigned Read(void* buffer, unsigned count) { return m_file->Read(buffer, count); }

    /// Writes `count` bytes to the file.
    void Write(const void* buffer, unsigned count) { m_file->Write(buffer, count); }

private:
    CFile* m_file;
    unsigned m_mode;
};
