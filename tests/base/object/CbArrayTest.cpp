#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/base/object/CbMemoryBlock.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using ByteArray = CbArray<unsigned char, 0, CbArrayPolicyConstructDefault>;

ByteArray makeArray(std::vector<unsigned char> bytes, unsigned capacity = 0)
{
    ByteArray array;
    if (capacity > 0)
        array.SetCapacity(capacity);
    array.SetSize(static_cast<unsigned>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

std::vector<unsigned char> contents(const ByteArray& array)
{
    return {array.GetData(), array.GetData() + array.GetCount()};
}

TEST(CbArrayTest, NewArrayHasNoStorage)
{
    ByteArray array;
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(array.GetCapacity(), 0u);
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(array.GetUserValue(), 0u);
    array.SetSize(0);
    EXPECT_EQ(array.GetData(), nullptr);
}

TEST(CbArrayTest, SetSizeGrowsToExactlyTheCountAndShrinkingKeepsTheStorage)
{
    ByteArray array;
    array.SetSize(5);
    EXPECT_EQ(array.GetCount(), 5u);
    EXPECT_EQ(array.GetCapacity(), 5u);
    std::memcpy(array.GetData(), "\x01\x02\x03\x04\x05", 5);
    unsigned char* storage = array.GetData();

    array.SetSize(3);
    EXPECT_EQ(array.GetCount(), 3u);
    EXPECT_EQ(array.GetCapacity(), 5u);
    EXPECT_EQ(array.GetData(), storage);
    EXPECT_EQ(contents(array), (std::vector<unsigned char>{1, 2, 3}));

    array.SetSize(4); // within the capacity: same storage
    EXPECT_EQ(array.GetData(), storage);
    array.SetSize(6); // beyond it: exactly 6, old elements kept
    EXPECT_EQ(array.GetCapacity(), 6u);
    EXPECT_EQ(std::vector<unsigned char>(array.GetData(), array.GetData() + 3), (std::vector<unsigned char>{1, 2, 3}));
}

TEST(CbArrayTest, SetCapacityMovesTheElementsAndCutsTheCountWhenSmaller)
{
    ByteArray array = makeArray({7, 8, 9});
    array.SetCapacity(10);
    EXPECT_EQ(array.GetCapacity(), 10u);
    EXPECT_EQ(contents(array), (std::vector<unsigned char>{7, 8, 9}));

    array.SetCapacity(2);
    EXPECT_EQ(array.GetCount(), 2u);
    EXPECT_EQ(contents(array), (std::vector<unsigned char>{7, 8}));

    array.SetCapacity(0);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(array.GetData(), nullptr);
}

TEST(CbArrayTest, CopiesAreDeepWithCapacityRules)
{
    struct Case
    {
        const char* name;
        std::vector<unsigned char> target;
        unsigned targetCapacity;
        std::vector<unsigned char> source;
        unsigned expectedCapacity;
    };
    const Case cases[] = {
        {"smaller source shrinks a larger capacity to the target count", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 16, {0xA, 0xB}, 10},
        {"larger source grows to its count", {1}, 0, {5, 6, 7}, 3},
        {"equal counts keep the storage", {1, 2}, 0, {3, 4}, 2},
        {"empty source into empty target", {}, 0, {}, 0},
        {"empty source keeps the target count as capacity", {1, 2, 3}, 0, {}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteArray target = makeArray(c.target, c.targetCapacity);
        const ByteArray source = makeArray(c.source);
        target = source;
        EXPECT_EQ(target.GetCount(), source.GetCount());
        EXPECT_EQ(target.GetCapacity(), c.expectedCapacity);
        EXPECT_EQ(contents(target), c.source);
        if (target.GetCount() > 0) {
            EXPECT_NE(target.GetData(), source.GetData());
        }
    }
}

TEST(CbArrayTest, CopiesNeverShareStorageAndCarryTheUserValue)
{
    ByteArray source = makeArray({1, 2, 3}, 8);
    source.SetUserValue(42);

    ByteArray copy(source);
    EXPECT_EQ(copy.GetCapacity(), 3u) << "a copy's capacity is the source's count";
    EXPECT_EQ(copy.GetUserValue(), 42u);
    copy[0] = 99;
    EXPECT_EQ(source[0], 1);

    ByteArray assigned;
    assigned = source;
    EXPECT_EQ(assigned.GetUserValue(), 42u);
    assigned[1] = 99;
    EXPECT_EQ(source[1], 2);

    const ByteArray& self = assigned;
    assigned = self;
    EXPECT_EQ(contents(assigned), (std::vector<unsigned char>{1, 99, 3}));
}

TEST(CbArrayTest, StorageBlockIsReferenceCountedAndFreedWithTheArray)
{
    CbSmartPointer<CbMemoryBlock<0, unsigned>> block(new CbMemoryBlock<0, unsigned>(16));
    EXPECT_EQ(block->GetReferenceCount(), 1u);
    EXPECT_NE(block->GetData(), nullptr);
    CbSmartPointer<CbMemoryBlock<0, unsigned>> shared(block);
    EXPECT_EQ(block->GetReferenceCount(), 2u);

    CbMemoryBlock<0, unsigned> empty(0);
    EXPECT_EQ(empty.GetData(), nullptr);

    // One allocation for block and buffer: the whole buffer is usable and aligned.
    for (unsigned size : {0u, 1u, 100u}) {
        CbSmartPointer<CbMemoryBlock<0, unsigned>> compact(CbMemoryBlock<0, unsigned>::Create(size));
        EXPECT_EQ(compact->GetData() == nullptr, size == 0);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(compact->GetData()) % alignof(std::max_align_t), 0u);
        if (size > 0)
            std::memset(compact->GetData(), 0xAB, size);
    }
}

TEST(CbArrayTest, RefusesStorageBeyondThirtyTwoBitsAndHeapsThatCannotDeliver)
{
    // 2^29 eight-byte elements need 2^32 bytes, one more than a block holds.
    CbArray<std::uint64_t, 0, CbArrayPolicyConstructDefault> wide;
    try {
        wide.SetSize(1u << 29);
        FAIL() << "no exception";
    } catch (const CbException& e) {
        EXPECT_TRUE(e.Is(CbException::RTTI));
        EXPECT_STREQ(e.GetFilename(), "CbArray");
        EXPECT_EQ(e.GetCodeLine(), 944u);
        EXPECT_STREQ(e.GetFunctionName(), "CbArray::allocate");
    }
    EXPECT_EQ(wide.GetCount(), 0u) << "a refused allocation leaves the array as it was";
    EXPECT_EQ(wide.GetData(), nullptr);

    try {
        CbMemoryBlock<0, std::uint64_t> impossible(~0ull);
        FAIL() << "no exception";
    } catch (const CbExceptionOutOfMemory& e) {
        EXPECT_STREQ(e.GetFilename(), "CbMemoryBlock");
        EXPECT_EQ(e.GetCodeLine(), (CbMemoryBlock<0, std::uint64_t>::kOutOfMemoryLine));
    }
}

} // namespace
