// Tests of the record pools and maps beneath the type registry, and of CbArray and its storage blocks.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/base/object/CbMemoryBlock.h>
#include <cbfoundation/base/object/CbPlexManager.h>
#include <cbfoundation/base/object/CbRTTIRegistration.h>
#include <cbfoundation/base/object/CbScopedPointer.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using RegistryMap = CbRTTIRegistration::Map;
using WideArray = CbArray<std::uint64_t, 0, CbArrayPolicyConstructDefault>;

struct Record
{
    void* link;
    int payload;
};

// The next block grows by the factor, truncated, unless its size is fixed;
// freed records are reused first.
TEST(CbPlexManagerTest, BlocksGrowByTheFactorTruncatedAtEachStep)
{
    CbPlexManager<Record, 0, 0, unsigned> pool(3375, 0, 1.5f), fixed(1000, 64, 1.5f);
    pool.Allocate();
    Record* record = fixed.Allocate();
    EXPECT_TRUE(pool.GetNextBlockSize() == 5062u && fixed.GetNextBlockSize() == 64u);
    fixed.Free(record);
    EXPECT_EQ(fixed.Allocate(), record);
}

TEST(ContainersTest, FailuresNameTheirClassSourceAndLine)
{
    // The action, the class, source and line it throws with, and its function text if checked.
    const std::tuple<std::function<void()>, const CbRTTI&, const char*, unsigned, const char*> cases[] = {
        {[] { CbPlexManager<Record, 0, 0, unsigned> pool(0, 0, 1.5f); }, CbExceptionPreconditionViolation::RTTI,
         "CbPlexManager", 224, nullptr},
        // A block that no address space can hold.
        {[] { CbPlexManager<Record, 0, 0, unsigned __int64>(1ull << 62, 0, 1.0f).Allocate(); },
         CbExceptionOutOfMemory::RTTI, "CbPlexManager", 352, nullptr},
        {[] { RegistryMap().InitHashTable(0); }, CbExceptionCondition::RTTI, "CbMap", 884,
         "CbMap<wchar_t *,struct CbRTTIRegistration::SRegistration,2,unsigned int,struct "
         "CbHashKey<wchar_t *> >::InitHashTable"},
        {[] { RegistryMap(0).InitHashTable(400); }, CbExceptionPreconditionViolation::RTTI, "CbScopedPointer", 142,
         nullptr},
        // 2^29 eight-byte elements need 2^32 bytes, one more than a block holds.
        {[] { WideArray().SetSize(1u << 29); }, CbException::RTTI, "CbArray", 944, "CbArray::allocate"},
        {[] { CbMemoryBlock<0, std::uint64_t> impossible(~0ull); }, CbExceptionOutOfMemory::RTTI, "CbMemoryBlock",
         CbMemoryBlock<0, std::uint64_t>::kOutOfMemoryLine, nullptr},
    };
    for (const auto& [action, type, file, line, function] : cases)
        cbf::test::ExpectThrowsAt(action, file, line, function, &type);
    WideArray refused;
    EXPECT_ANY_THROW(refused.SetSize(1u << 29));
    EXPECT_EQ(refused.GetCount(), 0u) << "a refused allocation leaves the array as it was";
}

// A one-bucket map lists its chain from the record inserted last.
TEST(CbMapTest, RehashingKeepsEveryRecordFindable)
{
    RegistryMap map(1, 8);
    std::vector<std::wstring> keys;
    keys.reserve(300); // the map keeps the keys' addresses
    for (int i = 0; i < 300; ++i)
        map.Insert(keys.emplace_back(L"key" + std::to_wstring(i)).data());
    std::vector<const wchar_t*> order;
    map.ForEach([&](const RegistryMap::Association& a) { order.push_back(a.key); });
    EXPECT_TRUE(std::equal(order.begin(), order.end(), keys.rbegin(), keys.rend(),
                           [](const wchar_t* a, const std::wstring& b) { return a == b.data(); }));
    for (unsigned buckets : {400u, 3u}) {
        map.InitHashTable(buckets);
        for (std::wstring& key : keys)
            ASSERT_NE(map.Lookup(key.data()), nullptr) << "after InitHashTable(" << buckets << ")";
    }
    map.Remove(map.Lookup(keys[5].data()));
    EXPECT_EQ(map.Lookup(keys[5].data()), nullptr);
    EXPECT_EQ(map.GetCount(), keys.size() - 1);
}

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
    unsigned char* storage = array.GetData();
    array.SetSize(3);
    EXPECT_TRUE(array.GetData() == storage && array.GetCapacity() == 5u);
    array.SetSize(6);
    EXPECT_EQ(array.GetCapacity(), 6u);
    array.SetCapacity(2);
    EXPECT_EQ(contents(array), (Bytes{1, 2})) << "elements survive the moves; a smaller capacity cuts the count";
}

// An assignment keeps a target's storage when it holds the source's count.
TEST(CbArrayTest, CopiesAreDeepWithExactCapacities)
{
    // The target, the source, the target's capacity before and after the assignment.
    const std::tuple<Bytes, Bytes, unsigned, unsigned> cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0xA, 0xB}, 16, 10}, {{1}, {5, 6, 7}, 0, 3}, {{1, 2, 3}, {}, 0, 3}};
    for (const auto& [targetBytes, sourceBytes, targetCapacity, expectedCapacity] : cases) {
        ByteArray target = makeArray(targetBytes, targetCapacity), source = makeArray(sourceBytes, 8);
        source.SetUserValue(42);
        target = source;
        const ByteArray copy(source);
        std::fill_n(source.GetData(), source.GetCount(), 0xEE);
        EXPECT_EQ(target.GetCapacity(), expectedCapacity);
        EXPECT_TRUE(copy.GetCapacity() == sourceBytes.size() && copy.GetUserValue() + target.GetUserValue() == 84);
        EXPECT_TRUE(contents(copy) == sourceBytes && contents(target) == sourceBytes) << "copies never share storage";
    }
}

// A block holds its buffer in the same allocation, aligned for any element.
TEST(CbArrayTest, StorageBlocksHoldTheirBufferInOneAllocation)
{
    using Block = CbMemoryBlock<0, unsigned>;
    CbSmartPointer<Block> block(Block::Create(1000));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->GetData()) % alignof(std::max_align_t), 0u);
    std::memset(block->GetData(), 0xAB, 1000); // the sanitizers check the bounds
}

} // namespace
