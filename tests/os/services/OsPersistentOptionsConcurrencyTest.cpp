// Tests of persistent options written and read by several threads at once.
#include <cbfoundation/os/services/OsPersistentOptions.h>

#include "os/services/RegistrySandbox.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class OsPersistentOptionsConcurrencyTest : public cbf::test::RegistrySandbox
{};

// Threads write options of their own and one they share, and read both: each
// thread reads back its own last value, and the shared one whole.
TEST_F(OsPersistentOptionsConcurrencyTest, ThreadsShareTheStoreWithoutLosingWrites)
{
    constexpr auto kUser = ePersistentOptionsCategoryCurrentUser;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&, thread] {
            const CStringW own(std::to_wstring(thread).c_str());
            for (int round = 0; round < 100; ++round) {
                const CStringW text((std::to_wstring(thread) + L":" + std::wstring(round % 50, L'x')).c_str());
                CStringW shared;
                int value = -1;
                const bool done = OsPersistentOptions::WriteOption(Key(), own, round, kUser) == 1 &&
                                  OsPersistentOptions::WriteOption(Key(), L"shared", text, kUser) == 1 &&
                                  OsPersistentOptions::ReadOption(Key(), own, value, kUser) == 1 &&
                                  OsPersistentOptions::ReadOption(Key(), L"shared", shared, 100, kUser) == 1;
                failures += !done || value != round || shared.Find(L':') != 1 ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
