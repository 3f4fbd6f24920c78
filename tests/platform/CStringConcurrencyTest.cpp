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
    const CStringW source = L"shared text";
    std::atomic<int> ready{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&] {
            ready.fetch_add(1);
            spinUntil(ready, kThreads);
            CStringW own;
            for (int i = 0; i < kIterations; ++i)
            {
                own = source;
                CStringW copy = own;
                copy.SetAt(0, L'S');
                own += L'!';
                if (own != L"shared text!" || copy != L"Shared text" || source != L"shared text")
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
    std::vector<CStringA> mine(kRounds, CStringA("round text"));
    std::vector<CStringA> theirs;
    for (int round = 0; round < kRounds; ++round)
        mine[round].AppendChar('.');
    theirs = mine;

    std::atomic<int> started{-1}, finished{0}, wrong{0};
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round)
        {
            spinUntil(started, round);
            if (theirs[round] != "round text.")
                wrong.fetch_add(1);
            if (round % 2 == 0)
                theirs[round].Empty();
            else
                theirs[round].MakeUpper();
            finished.store(round + 1);
        }
    });
    for (int round = 0; round < kRounds; ++round)
    {
        spinUntil(finished, round);
        started.store(round);
        if (round % 3 == 0)
            mine[round].Empty();
        else
            mine[round].SetAt(0, 'R');
    }
    other.join();

    EXPECT_EQ(wrong.load(), 0);
    for (int round = 0; round < kRounds; ++round)
    {
        ASSERT_STREQ(mine[round], round % 3 == 0 ? "" : "Round text.") << "round " << round;
        ASSERT_STREQ(theirs[round], round % 2 == 0 ? "" : "ROUND TEXT.") << "round " << round;
    }
}

} // namespace
