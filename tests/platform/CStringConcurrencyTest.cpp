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

// Round by round in lockstep, each thread writes or drops one of the two
// strings that share a long text. One helper thread serves every round:
// starting threads is slow, above all under Wine.
TEST(CStringConcurrencyTest, TheLastTwoSharersWriteOrDropTheirTextAtTheSameMoment)
{
    constexpr int kRounds = 3000;
    const CStringA text = "round text" + CStringA('.', CStringA::kLongestCopiedText);
    std::vector<CStringA> mine(kRounds, text);
    std::vector<CStringA> theirs = mine;
    std::atomic<int> started{-1}, finished{0}, wrong{0};
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round) {
            spinUntil(started, round);
            wrong.fetch_add(theirs[round] != text ? 1 : 0);
            round % 2 == 0 ? theirs[round].Empty() : void(theirs[round].MakeUpper());
            finished.store(round + 1);
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        spinUntil(finished, round);
        started.store(round);
        round % 3 == 0 ? mine[round].Empty() : mine[round].SetAt(0, 'R');
    }
    other.join();

    EXPECT_EQ(wrong.load(), 0);
    CStringA upper = text;
    upper.MakeUpper();
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(mine[round], round % 3 == 0 ? CStringA() : "R" + text.Mid(1)) << "round " << round;
        ASSERT_EQ(theirs[round], round % 2 == 0 ? CStringA() : upper) << "round " << round;
    }
}

} // namespace
