#include <cbfoundation/base/object/CbCriticalSectionAuto.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbSmartPointer.h>
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class Tracked : public CbReferenceCounted
{
public:
    explicit Tracked(int* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~Tracked() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    const CbReferenceCounter<unsigned>& counter() const { return getReferenceCounter(); }

private:
    int* m_destroyed;
};

TEST(CbReferenceCountedTest, CopiesStartUnownedAndAssignmentKeepsCounts)
{
    CbSmartPointer<Tracked> original(new Tracked), alias(original);
    EXPECT_EQ(original->GetReferenceCount(), 2u);

    Tracked unowned(*original);
    EXPECT_EQ(unowned.GetReferenceCount(), 0u);

    CbSmartPointer<Tracked> copy(new Tracked(*original));
    EXPECT_EQ(copy->GetReferenceCount(), 1u);
    *copy = *original;
    EXPECT_EQ(copy->GetReferenceCount(), 1u);
    EXPECT_EQ(original->GetReferenceCount(), 2u);
}

TEST(CbSmartPointerTest, SharingAndReleasingCountsExactly)
{
    int destroyed = 0;
    CbSmartPointer<Tracked> a(new Tracked(&destroyed));
    EXPECT_EQ(a->GetReferenceCount(), 1u);
    {
        CbSmartPointer<Tracked> b(a);
        CbSmartPointer<const Tracked> c(b);
        EXPECT_EQ(a->GetReferenceCount(), 3u);
        b = a; // same object: no change
        b = b;
        EXPECT_EQ(a->GetReferenceCount(), 3u);
        c = CbSmartPointer<const Tracked>();
        EXPECT_EQ(a->GetReferenceCount(), 2u);
    }
    EXPECT_EQ(destroyed, 0);

    CbSmartPointer<Tracked> moved(std::move(a));
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ(moved->GetReferenceCount(), 1u);
    moved = new Tracked(&destroyed);
    EXPECT_EQ(destroyed, 1) << "reassignment releases the old object";
    moved.Release();
    moved.Release();
    EXPECT_EQ(destroyed, 2);
    CbSmartPointer<Tracked> none(nullptr);
    EXPECT_FALSE(none);
}

int g_deleterCalls = 0;
bool g_deleterRanUnlocked = false;

void countingDeleter(IReferenceCounted* object)
{
    ++g_deleterCalls;
    auto* tracked = static_cast<Tracked*>(object);
    g_deleterRanUnlocked = !ReferenceCounter_GetCriticalSection(&tracked->counter()).IsLocking();
}

TEST(CbSmartPointerTest, FinalReleaseDetachesObserversAndCallsTheDeleterUnlocked)
{
    int destroyed = 0;
    Tracked object(&destroyed);
    const_cast<CbReferenceCounter<unsigned>&>(object.counter()).SetDeleter(&countingDeleter);

    CbReferenceCounter<unsigned>::SObserver first{}, second{};
    {
        CbCriticalSectionAuto lock(ReferenceCounter_GetCriticalSection(&object.counter()));
        object.counter().AttachObserver(first, &object);
        object.counter().AttachObserver(second, &object);
    }
    EXPECT_EQ(second.next, &first);

    CbSmartPointer<Tracked>(&object).Release();
    EXPECT_EQ(g_deleterCalls, 1);
    EXPECT_TRUE(g_deleterRanUnlocked);
    EXPECT_EQ(destroyed, 0) << "a deleter replaces the delete";
    for (const auto* observer : {&first, &second}) {
        EXPECT_EQ(observer->object, nullptr);
        EXPECT_EQ(observer->counter, nullptr);
        EXPECT_EQ(observer->next, nullptr);
    }
}

TEST(CbCriticalSectionTest, OwnerAndRecursionFollowEnterAndLeave)
{
    CbCriticalSection section;
    EXPECT_FALSE(section.IsLocking());
    EXPECT_EQ(section.GetRecursionCount(), 0);

    section.Enter();
    section.Enter();
    EXPECT_EQ(section.GetRecursionCount(), 2);
    section.Leave();
    EXPECT_TRUE(section.IsLocking()) << "still held after the first of two leaves";
    EXPECT_TRUE(section.IsLocking(cbf::platform::CurrentThreadId()));

    bool otherGotIt = true;
    std::thread([&] { otherGotIt = section.TryEnter(); }).join();
    EXPECT_FALSE(otherGotIt);
    EXPECT_TRUE(section.IsLocking());

    section.Leave();
    EXPECT_FALSE(section.IsLocking());
    EXPECT_EQ(section.GetRecursionCount(), 0);

    std::thread([&] {
        otherGotIt = section.TryEnter();
        section.Leave();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(CbCriticalSectionTest, AutoLeavesExactlyOnce)
{
    CbCriticalSection section;
    section.Enter();
    {
        CbCriticalSectionAuto guard(section);
        EXPECT_EQ(section.GetRecursionCount(), 2);
        guard.Leave();
        guard.Leave();
        EXPECT_EQ(section.GetRecursionCount(), 1);
    }
    EXPECT_EQ(section.GetRecursionCount(), 1);
    section.Leave();
}

TEST(CbCriticalSectionTest, PoolLockIsChosenByAddressBits2To9)
{
    alignas(1024) static unsigned char block[2048];
    EXPECT_EQ(&ReferenceCounter_GetCriticalSection(block), &ReferenceCounter_GetCriticalSection(block + 1024));
    EXPECT_NE(&ReferenceCounter_GetCriticalSection(block), &ReferenceCounter_GetCriticalSection(block + 4));
    EXPECT_EQ(&ReferenceCounter_GetCriticalSection(block), &ReferenceCounter_GetCriticalSection(block + 3));
}

} // namespace
