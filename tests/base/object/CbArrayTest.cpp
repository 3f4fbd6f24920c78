// Tests of CbArray's growth, copies and storage blocks, and of its failures.
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/base/object/CbMemoryBlock.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

using cbf::test::ExpectThrowsAt;
using ByteArray = CbArray<unsigned char, 0, CbArrayPolicyConstructDefault>;
using Bytes = std::vector<unsigned char>;

ByteArray makeArray(const Bytes& bytes, unsigned capacity = 0)
{
    ByteArray array;
    array.SetCapacity(capacity);
    array.SetSize(static_cast<unsigned>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

Bytes contents(const ByteArray& array)
{
    return {array.GetData(), array.GetData() + array.GetCount()};
}

TEST(CbArrayTest, SetSizeGrowsToExactlyTheCountAndShrinkingKeepsTheStorage)
{
    ByteArray array = makeArray({1, 2, 3, 4, 5});
    EXPECT_EQ(array.GetCapacity(), 5u);
    unsigned char* storage = array.GetData();
    array.SetSize(3);
    EXPECT_EQ(array.GetData(), storage);
    array.SetSize(6);
    EXPECT_EQ(array.GetCapacity(), 6u);
    array.SetCapacity(2);
    EXPECT_EQ(contents(array), (Bytes{1, 2})) << "elements survive the moves; a smaller capacity cuts the count";
    array.SetCapacity(0);
    EXPECT_EQ(array.GetData(), nullptr);
}

TEST(CbArrayTest, CopiesAreDeepWithExactCapacities)
{
    // The target, the source, the target's capacity before and after the assignment.
    const std::tuple<Bytes, Bytes, unsigned, unsigned> cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0xA, 0xB}, 16, 10},
        {{1}, {5, 6, 7}, 0, 3},
        {{1, 2, 3}, {}, 0, 3},
    };
    for (const auto& [targetBytes, sourceBytes, targetCapacity, expectedCapacity] : cases) {
        ByteArray target = makeArray(targetBytes, targetCapacity);
        ByteArray source = makeArray(sourceBytes, 8);
        source.SetUserValue(42);
        target = source;
        const ByteArray copy(source);
        EXPECT_EQ(target.GetCapacity(), expectedCapacity);
        EXPECT_EQ(copy.GetCapacity(), source.GetCount());
        EXPECT_EQ(target.GetUserValue() + copy.GetUserValue(), 84u);
        if (source.GetCount() > 0)
            source[0] = 0xEE;
        EXPECT_EQ(contents(copy), sourceBytes) << "copies never share storage";
        EXPECT_EQ(contents(target), sourceBytes);
    }
}

TEST(CbArrayTest, RefusesStorageBeyondThirtyTwoBitsAndHeapsThatCannotDeliver)
{
    // 2^29 eight-byte elements need 2^32 bytes, one more than a block holds.
    CbArray<std::uint64_t, 0, CbArrayPolicyConstructDefault> wide;
    ExpectThrowsAt([&] { wide.SetSize(1u << 29); }, "CbArray", 944, "CbArray::allocate", &CbException::RTTI);
    EXPECT_EQ(wide.GetCount(), 0u) << "a refused allocation leaves the array as it was";

    ExpectThrowsAt([] { CbMemoryBlock<0, std::uint64_t> impossible(~0ull); }, "CbMemoryBlock",
                   CbMemoryBlock<0, std::uint64_t>::kOutOfMemoryLine, nullptr, &CbExceptionOutOfMemory::RTTI);
}

// A block holds its buffer in the same allocation, aligned for any element.
TEST(CbArrayTest, StorageBlocksHoldTheirBufferInOneAllocation)
{
    using Block = CbMemoryBlock<0, unsigned>;
    CbSmartPointer<Block> block(Block::Create(1000)), empty(Block::Create(0));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->GetData()) % alignof(std::max_align_t), 0u);
    std::memset(block->GetData(), 0xAB, 1000); // the sanitizers check the bounds
    EXPECT_EQ(empty->GetData(), nullptr);
}

} // namespace
