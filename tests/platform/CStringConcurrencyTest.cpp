// Tests of strings that share one text across threads.
#include <cbfoundation/platform/CStringT.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

void spinUntil(const std::atomic<int>& value, int atLeast)
{
    while (value.load() < atLeast)
        std::this_thread::yield();
}

TEST(CStringConcurrencyTest, StringsSharingOneTextAreCopiedWrittenAndDroppedOnManyThreads)
{
    constexpr int kThreads = 4;
    constexpr int kIterations = 2000;
    // Long enough that copies share it.
    const CStringW tail(L'.', CStringW::kLongestCopiedText);
    const CStringW source = L"shared text" + tail;
    std::atomic<int> ready{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            ready.fetch_add(1);
            spinUntil(ready, kThreads);
            CStringW own;
            for (int i = 0; i < kIterations; ++i) {
                own = source;
                CStringW copy = own;
                copy.SetAt(0, L'S');
                own += L'!';
                if (own != L"shared text" + tail + L'!' || copy != L"Shared text" + tail ||
                    source != L"shared text" + tail)
                    wrong.fetch_add(1);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(CStringConcurrencyTest, TheLastTwoSharersWriteOrDropTheirTextAtTheSameMoment)
{
    // Round by round in lockstep, each thread writes or drops one of the two
    // strings that share a text. One helper thread serves every round:
    // starting threads is slow, above all under Wine.
    constexpr int kRounds = 3000;
    // Texts long enough that copies share them.
    const CStringA tail('.', CStringA::kLongestCopiedText);
    std::vector<CStringA> mine(kRounds, CStringA("round text"));
    std::vector<CStringA> theirs;
    for (int round = 0; round < kRounds; ++round)
        mine[round] += tail;
    theirs = mine;

    std::atomic<int> started{-1}, finished{0}, wrong{0};
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round) {
            spinUntil(started, round);
            if (theirs[round] != "round text" + tail)
                wrong.fetch_add(1);
            if (round % 2 == 0)
                theirs[round].Empty();
            else
                theirs[round].MakeUpper();
            finished.store(round + 1);
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        spinUntil(finished, round);
        started.store(round);
        if (round % 3 == 0)
            mine[round].Empty();
        else
            mine[round].SetAt(0, 'R');
    }
    other.join();

    EXPECT_EQ(wrong.load(), 0);
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(mine[round], round % 3 == 0 ? CStringA() : "Round text" + tail) << "round " << round;
        ASSERT_EQ(theirs[round], round % 2 == 0 ? CStringA() : "ROUND TEXT" + tail) << "round " << round;
    }
}

} // namespace
