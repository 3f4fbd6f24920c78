// CFile: a file opened by name behind the host framework's archive.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/platform/CArchive.h>

#include "platform/FileStream.h"

CFile::CFile(const wchar_t* fileName, unsigned openFlags)
    : m_file(nullptr)
    , m_fileName(fileName)
{
    m_file = cbf::platform::OpenFile(fileName, (openFlags & modeWrite) != 0 ? "wb" : "rb");
    if (m_file == nullptr)
        throw CbExceptionStream(L"CFile", 1);
}

CFile::~CFile()
{
    if (m_file != nullptr)
        cbf::platform::CloseFile(m_file);
}

unsigned CFile::Read(void* buffer, unsigned count)
{
    const std::size_t got = cbf::platform::ReadFileUnlocked(buffer, count, m_file);
    if (got < count && cbf::platform::HasFileError(m_file))
        throw CbExceptionStream(L"CFile", 2);
    return static_cast<unsigned>(got);
}

void CFile::Write(const void* buffer, unsigned count)
{
    if (cbf::platform::WriteFileUnlocked(buffer, count, m_file) != count)
        throw CbExceptionStream(L"CFile", 3);
}

void CFile::Close()
{
    std::FILE* file = m_file;
    m_file = nullptr;
    if (file != nullptr && !cbf::platform::CloseFile(file))
        throw CbExceptionStream(L"CFile", 3);
}
