// Tests of reference counting, smart pointers and critical sections.
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
    explicit Tracked(int* destroyed = nullptr)
        : m_destroyed(destroyed)
    {}
    ~Tracked() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    const CbReferenceCounter<unsigned>& counter() const { return getReferenceCounter(); }

private:
    int* m_destroyed;
};

TEST(CbSmartPointerTest, SharingReleasingAndCopyingCountExactly)
{
    int destroyed = 0;
    CbSmartPointer<Tracked> a(new Tracked(&destroyed));
    {
        CbSmartPointer<Tracked> b(a);
        CbSmartPointer<const Tracked> c(b);
        b = b;
        c = CbSmartPointer<const Tracked>();
        EXPECT_EQ(a->GetReferenceCount(), 2u) << "assigning the same object changes no count";
    }
    CbSmartPointer<Tracked> moved(std::move(a));
    EXPECT_TRUE(a.IsNull() && destroyed == 0);
    EXPECT_EQ(moved->GetReferenceCount(), 1u);
    moved = new Tracked(&destroyed);
    EXPECT_EQ(destroyed, 1) << "reassignment releases the old object";
    moved.Release();
    moved.Release();
    EXPECT_EQ(destroyed, 2);
}

int g_deleterCallsUnlocked = 0;

void countingDeleter(IReferenceCounted* object)
{
    g_deleterCallsUnlocked +=
        !ReferenceCounter_GetCriticalSection(&static_cast<Tracked*>(object)->counter()).IsLocking();
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

    CbSmartPointer<Tracked>(&object).Release();
    EXPECT_EQ(g_deleterCallsUnlocked, 1);
    EXPECT_EQ(destroyed, 0) << "a deleter replaces the delete";
    for (const auto* observer : {&first, &second})
        EXPECT_TRUE(!observer->object && !observer->counter && !observer->next);
}

bool enteredFromAnotherThread(CbCriticalSection& section)
{
    bool entered = false;
    std::thread([&] {
        entered = section.TryEnter();
        if (entered)
            section.Leave();
    }).join();
    return entered;
}

// Other threads are kept out until the last of every Enter is left.
TEST(CbCriticalSectionTest, OwnerAndRecursionFollowEnterAndLeave)
{
    CbCriticalSection section;
    section.Enter();
    ASSERT_TRUE(section.TryEnter());
    EXPECT_TRUE(section.IsLocking(cbf::platform::CurrentThreadId()));
    for (long remaining = 1; remaining >= 0; --remaining) {
        section.Leave();
        EXPECT_EQ(section.IsLocking(), remaining > 0);
        EXPECT_EQ(enteredFromAnotherThread(section), remaining == 0) << remaining;
    }

    // An automatic lock leaves once, however often it is told to.
    section.Enter();
    {
        CbCriticalSectionAuto guard(section);
        guard.Leave();
        guard.Leave();
    }
    EXPECT_EQ(section.GetRecursionCount(), 1);
    section.Leave();
}

} // namespace
