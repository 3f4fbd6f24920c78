// Tests of the record pools, lists and maps beneath the type registry.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbPlexManager.h>
#include <cbfoundation/base/object/CbRTTIRegistration.h>
#include <cbfoundation/base/object/CbScopedPointer.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using RegistryMap = CbRTTIRegistration::Map;

struct Record
{
    void* link;
    int payload;
};

TEST(CbPlexManagerTest, BlocksGrowByTheFactorTruncatedAtEachStep)
{
    CbPlexManager<Record, 0, 0, unsigned> pool(1000, 0, 1.5f);
    std::vector<unsigned> sizes;
    for (int i = 0; i < 5; ++i) {
        sizes.push_back(pool.GetNextBlockSize());
        for (unsigned n = sizes.back(); n > 0; --n)
            pool.Allocate();
    }
    EXPECT_EQ(sizes, (std::vector<unsigned>{1000, 1500, 2250, 3375, 5062}));
    CbPlexManager<Record, 0, 0, unsigned> fixed(1000, 64, 1.5f);
    Record* record = fixed.Allocate();
    EXPECT_EQ(fixed.GetNextBlockSize(), 64u);
    fixed.Free(record);
    EXPECT_EQ(fixed.Allocate(), record) << "freed records are reused first";
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
    };
    for (const auto& [action, type, file, line, function] : cases)
        cbf::test::ExpectThrowsAt(action, file, line, function, &type);
}

// Map order: buckets ascending, each chain from the record inserted last.
TEST(CbMapTest, RehashingKeepsEveryRecordFindable)
{
    RegistryMap map(1, 8);
    std::vector<std::wstring> keys;
    for (int i = 0; i < 300; ++i)
        keys.push_back(L"key" + std::to_wstring(i));
    for (std::wstring& key : keys)
        map.Insert(key.data());
    std::vector<const wchar_t*> order;
    map.ForEach([&](const RegistryMap::Association& a) { order.push_back(a.key); });
    ASSERT_EQ(order.size(), keys.size());
    EXPECT_TRUE(std::equal(order.begin(), order.end(), keys.rbegin(),
                           [](const wchar_t* a, const std::wstring& b) { return a == b.data(); }));

    for (unsigned buckets : {400u, 3u}) {
        map.InitHashTable(buckets);
        unsigned lastBucket = 0;
        map.ForEach([&](const RegistryMap::Association& a) {
            EXPECT_GE(a.bucket, lastBucket) << "map order is by bucket";
            EXPECT_EQ(a.bucket, CbHashKey<wchar_t*>::Hash(a.key) % buckets);
            lastBucket = a.bucket;
        });
        for (std::wstring& key : keys)
            ASSERT_NE(map.Lookup(key.data()), nullptr) << "after InitHashTable(" << buckets << ")";
    }
    map.Remove(map.Lookup(keys[5].data()));
    EXPECT_EQ(map.Lookup(keys[5].data()), nullptr);
    EXPECT_EQ(map.GetCount(), keys.size() - 1);
}

TEST(CbListTest, RemoveAllReturnsNodesToThePoolAndResetsTheCount)
{
    CbList<int, 17, unsigned> list;
    for (int i = 0; i < 40; ++i)
        list.AddTail(i);
    EXPECT_EQ(list.GetTail()->previous->value, 38);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0u);
    list.AddTail(7);
    EXPECT_EQ(list.GetHead()->previous, nullptr);
    CbList<int, 17, unsigned> copy(list);
    list.AddTail(8);
    EXPECT_EQ(copy.GetCount(), 1u);
}

} // namespace
