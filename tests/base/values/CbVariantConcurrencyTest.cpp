// Tests of variants handed from one thread to another.
#include "base/values/CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <thread>

using variant_test::Make;

namespace {

// Variants made on one thread are copied and released on another:
// the values they own are allocated by one thread and freed by the other.
TEST(CbVariantConcurrencyTest, VariantsMoveBetweenThreads)
{
    constexpr int kCount = 20000;
    std::mutex mutex;
    std::deque<CbVariant> queue;

    const CbVariant kinds[] = {Make(L"shared text"), Make(variant_test::Bytes({1, 2, 3})),
                               Make(CbDateTime(10'000'000ULL)), Make("narrow")};
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i) {
            CbVariant value(kinds[i % 4]); // a deep copy, allocated on this thread
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(std::move(value));
        }
    });

    for (int received = 0; received < kCount;) {
        std::unique_lock<std::mutex> lock(mutex);
        if (queue.empty())
            continue;
        const CbVariant value = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        EXPECT_TRUE(CbVariant(value) == kinds[received++ % 4]); // copied and freed here
    }
    producer.join();
}

} // namespace
