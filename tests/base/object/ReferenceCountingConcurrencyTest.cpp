// Tests of reference counts released on two threads at once.
#include <cbfoundation/base/object/CbCriticalSection.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbSmartPointer.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Counts its final releases through the counter's deleter and stays alive,
// so a second final release is counted rather than touching freed memory.
class Revivable : public CbReferenceCounted
{
public:
    Revivable() { const_cast<CbReferenceCounter<unsigned>&>(counter()).SetDeleter(&countFinalRelease); }
    const CbReferenceCounter<unsigned>& counter() const { return getReferenceCounter(); }
    std::atomic<int> finalReleases{0};

private:
    static void countFinalRelease(IReferenceCounted* object) { ++static_cast<Revivable*>(object)->finalReleases; }
};

void spinUntil(const std::atomic<int>& value, int atLeast)
{
    while (value.load() < atLeast)
        std::this_thread::yield();
}

using Side = std::function<void(CbSmartPointer<Revivable>&)>;

// Runs rounds in lockstep: each round this thread takes a reference (and one
// for the other thread when `shared`), then `mine` and `theirs` run at the
// same moment. Returns the rounds that did not end in one final release. One
// helper thread serves every round: starting threads is slow, above all under
// Wine.
int roundsWithoutOneFinalRelease(Revivable& object, bool shared, const Side& mine, const Side& theirs)
{
    constexpr int kRounds = 3000;
    std::atomic<int> step{0};
    CbSmartPointer<Revivable> myReference, theirReference;
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round) {
            spinUntil(step, 2 * round + 1);
            theirs(theirReference);
            step.store(2 * round + 2);
        }
    });
    int wrongRounds = 0;
    for (int round = 0; round < kRounds; ++round) {
        myReference = &object;
        if (shared)
            theirReference = &object;
        step.store(2 * round + 1);
        mine(myReference);
        spinUntil(step, 2 * round + 2);
        wrongRounds += object.finalReleases.exchange(0) != 1;
    }
    other.join();
    return wrongRounds;
}

TEST(ReferenceCountingConcurrencyTest, TwoLastReleasesDestroyOnce)
{
    Revivable object;
    const Side release = [](CbSmartPointer<Revivable>& reference) { reference.Release(); };
    EXPECT_EQ(roundsWithoutOneFinalRelease(object, true, release, release), 0);
}

// This thread drops the last reference while the other holds the pool lock;
// the other takes a new reference under the lock and drops it again, while
// this thread's final release waits for the lock. Both final releases find
// the count at zero; one must destroy.
TEST(ReferenceCountingConcurrencyTest, RevivalUnderThePoolLockStillDestroysOnce)
{
    Revivable object;
    CbCriticalSection& poolLock = ReferenceCounter_GetCriticalSection(&object.counter());
    std::atomic<int> locked{0};
    const Side releaseWhenLocked = [&](CbSmartPointer<Revivable>& reference) {
        spinUntil(locked, 1);
        locked.store(0);
        reference.Release();
    };
    const Side revive = [&](CbSmartPointer<Revivable>&) {
        poolLock.Enter();
        locked.store(1);
        while (object.GetReferenceCount() != 0)
            std::this_thread::yield();
        CbSmartPointer<Revivable>(&object).Release();
        poolLock.Leave();
    };
    EXPECT_EQ(roundsWithoutOneFinalRelease(object, false, releaseWhenLocked, revive), 0);
}

} // namespace
