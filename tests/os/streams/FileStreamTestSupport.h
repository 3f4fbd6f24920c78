// Helpers shared by the file-stream tests: the container's bytes and a writer that fails.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>

#include "base/streams/StreamTestSupport.h"
#include "os/services/FileSystemTestSupport.h"

#include <string>

namespace cbf::test {

inline std::string TextOf(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

/// The 28-byte container header with `method` and `length`, after `magic`.
inline std::string ContainerHeader(unsigned method, unsigned length, const char* magic = "C2288012-30BB4396B65")
{
    std::string header(magic, 20);
    for (unsigned value : {method, length})
        for (int i = 0; i < 4; ++i)
            header.push_back(static_cast<char>(value >> (8 * i)));
    return header;
}

/// A writer that fails every write after the first `healthy` ones.
class FailingWriter : public CbStreamWriteBinary
{
public:
    explicit FailingWriter(int healthy)
        : m_healthy(healthy)
    {}

    int writes = 0;

protected:
    CbStreamWrite& write(const void*, unsigned __int64) override
    {
        if (++writes > m_healthy)
            throw CbExceptionStream(L"FailingWriter", 1);
        return *this;
    }

private:
    int m_healthy;
};

} // namespace cbf::test
