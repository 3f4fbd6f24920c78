// Helpers shared by the stream tests.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>

#include "base/exceptions/ExceptionTestSupport.h"

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

/// Runs `action`, expecting a CbExceptionStream from `file` at `line`.
inline void ExpectFailure(const std::function<void()>& action, const char* file, unsigned line)
{
    ExpectThrowsAt(action, file, line, nullptr, &CbExceptionStream::RTTI);
}

/// Runs `action` and returns the line of the CbExceptionStream it throws, or
/// 0 when it throws none.
inline unsigned StreamFailureLine(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CbExceptionStream& e) {
        return e.GetCodeLine();
    }
    return 0;
}

} // namespace cbf::test
