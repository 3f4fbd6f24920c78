// Tests of reference counts released and copied on several threads at once.
#include <cbfoundation/base/object/CbCriticalSection.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbSmartPointer.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class Counted : public CbReferenceCounted
{
public:
    explicit Counted(std::atomic<int>& destroyed)
        : m_destroyed(destroyed)
    {}
    ~Counted() override { m_destroyed.fetch_add(1); }

private:
    std::atomic<int>& m_destroyed;
};

void spinUntil(const std::atomic<int>& value, int atLeast)
{
    while (value.load() < atLeast)
        std::this_thread::yield();
}

TEST(ReferenceCountingConcurrencyTest, TwoLastReleasesDestroyOnce)
{
    // Round by round in lockstep, the two threads drop the last two
    // references of one object at the same moment. One helper thread serves
    // every round: starting threads is slow, above all under Wine.
    constexpr int kRounds = 5000;
    std::vector<std::atomic<int>> destroyed(kRounds);
    std::vector<CbSmartPointer<Counted>> mine, theirs;
    for (int round = 0; round < kRounds; ++round) {
        mine.emplace_back(new Counted(destroyed[round]));
        theirs.push_back(mine.back());
    }

    std::atomic<int> started{-1}, finished{0};
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round) {
            spinUntil(started, round);
            theirs[round].Release();
            finished.store(round + 1);
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        spinUntil(finished, round);
        started.store(round);
        mine[round].Release();
    }
    other.join();

    for (int round = 0; round < kRounds; ++round)
        ASSERT_EQ(destroyed[round].load(), 1) << "round " << round;
}

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

// Thread A drops the last reference while B holds the pool lock; B takes a
// new reference under the lock and drops it again, while A's final release
// waits for the lock. Both final releases find the count at zero; one must
// destroy.
TEST(ReferenceCountingConcurrencyTest, RevivalUnderThePoolLockStillDestroysOnce)
{
    constexpr int kRounds = 2000;
    Revivable object;
    CbCriticalSection& poolLock = ReferenceCounter_GetCriticalSection(&object.counter());
    std::atomic<int> step{0};
    int wrongRounds = 0;
    std::thread revivingThread([&] {
        for (int round = 0; round < kRounds; ++round) {
            spinUntil(step, 3 * round + 1);
            poolLock.Enter();
            step.store(3 * round + 2);
            while (object.GetReferenceCount() != 0)
                std::this_thread::yield();
            CbSmartPointer<Revivable>(&object).Release();
            poolLock.Leave();
            step.store(3 * round + 3);
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        CbSmartPointer<Revivable> last(&object);
        step.store(3 * round + 1);
        spinUntil(step, 3 * round + 2);
        last.Release();
        spinUntil(step, 3 * round + 3);
        wrongRounds += object.finalReleases.exchange(0) != 1;
    }
    revivingThread.join();
    EXPECT_EQ(wrongRounds, 0);
}

} // namespace
