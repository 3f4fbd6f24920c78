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

/// The bytes that `write` puts into a memory stream.
inline Bytes Encode(const WriteAction& write)
{
    CbStreamWriteBinaryMemory stream;
    write(stream);
    return Bytes(stream.GetData(), stream.GetData() + stream.GetSize());
}

/// Checks that `action` throws `Exception` from `file` at `line`.
template <class Exception = CbExceptionStream>
void ExpectFailure(const std::function<void()>& action, const char* file, unsigned line)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << file << " line " << line;
    }
    catch (const Exception& e)
    {
        EXPECT_STREQ(e.GetFilename(), file);
        EXPECT_EQ(e.GetCodeLine(), line);
    }
}

} // namespace cbf::test
