#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbSmartPointer.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

class Counted : public CbReferenceCounted
{
public:
    explicit Counted(std::atomic<int>& destroyed) : m_destroyed(destroyed) {}
    ~Counted() override { m_destroyed.fetch_add(1); }

private:
    std::atomic<int>& m_destroyed;
};

// Lets two threads go on together. Not std::barrier: with MinGW's GCC 12 its
// waiting now and then misses the wake-up, and the test hangs.
class StartGate
{
public:
    void ArriveAndWait()
    {
        m_arrived.fetch_add(1);
        while (m_arrived.load() < 2)
            std::this_thread::yield();
    }

private:
    std::atomic<int> m_arrived{0};
};

TEST(ReferenceCountingConcurrencyTest, TwoLastReleasesDestroyOnce)
{
    for (int round = 0; round < 2000; ++round) {
        std::atomic<int> destroyed{0};
        CbSmartPointer<Counted> a(new Counted(destroyed));
        CbSmartPointer<Counted> b(a);
        StartGate start;
        std::thread other([&] {
            start.ArriveAndWait();
            b.Release();
        });
        start.ArriveAndWait();
        a.Release();
        other.join();
        ASSERT_EQ(destroyed.load(), 1) << "round " << round;
    }
}

TEST(ReferenceCountingConcurrencyTest, EightThreadsCopyingLoseNoCount)
{
    constexpr int kThreads = 8;
    constexpr int kObjects = 16;
    std::atomic<int> destroyed{0};
    std::vector<CbSmartPointer<Counted>> shared;
    for (int i = 0; i < kObjects; ++i)
        shared.emplace_back(new Counted(destroyed));

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<CbSmartPointer<Counted>> mine(kObjects);
            for (unsigned i = t; std::chrono::steady_clock::now() < until; ++i) {
                for (int k = 0; k < 256; ++k) {
                    CbSmartPointer<Counted> copy(shared[(i + k) % kObjects]);
                    mine[(i * 7 + k) % kObjects] = copy;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(destroyed.load(), 0);
    for (const CbSmartPointer<Counted>& pointer : shared)
        EXPECT_EQ(pointer->GetReferenceCount(), 1u);
    shared.clear();
    EXPECT_EQ(destroyed.load(), kObjects);
}

} // namespace
