// Helpers shared by the stream tests.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace cbf::test {

using Bytes = std::vector<unsigned char>;
using WriteAction = std::function<void(CbStreamWrite&)>;
using ReadAction = std::function<void(CbStreamRead&)>;

inline Bytes BytesOf(const CbStreamWriteBinaryMemory& stream)
{
    return Bytes(stream.GetData(), stream.GetData() + stream.GetSize());
}

inline Bytes Encode(const WriteAction& write)
{
    CbStreamWriteBinaryMemory stream;
    write(stream);
    return BytesOf(stream);
}

/// Checks that `action` throws CbExceptionStream from `file` at `line`.
inline void ExpectStreamFailure(const std::function<void()>& action, const char* file, unsigned line)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << file << " line " << line;
    }
    catch (const CbExceptionStream& e)
    {
        EXPECT_STREQ(e.GetFilename(), file);
        EXPECT_EQ(e.GetCodeLine(), line);
    }
}

} // namespace cbf::test
