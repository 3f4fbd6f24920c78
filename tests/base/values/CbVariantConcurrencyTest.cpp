#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

CbVariant valueFor(int i)
{
    CbVariant value;
    switch (i % 4) {
    case 0:
        value = L"shared text";
        break;
    case 1: {
        CbVariant::ByteArray bytes;
        bytes.SetSize(16);
        bytes[0] = static_cast<unsigned char>(i);
        value = bytes;
        break;
    }
    case 2:
        value = CbDateTime(static_cast<unsigned __int64>(i) * 10'000'000);
        break;
    default:
        value = "narrow";
    }
    return value;
}

// Variants made on one thread are copied, changed and released on another:
// the values they own are allocated by one thread and freed by the other.
TEST(CbVariantConcurrencyTest, VariantsMoveBetweenThreads)
{
    constexpr int kCount = 20000;
    std::mutex mutex;
    std::deque<CbVariant> queue;

    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i) {
            CbVariant value = valueFor(i);
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(std::move(value));
        }
    });

    int received = 0;
    std::vector<CbVariant> kept;
    while (received < kCount) {
        CbVariant value;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (queue.empty())
                continue;
            value = std::move(queue.front());
            queue.pop_front();
        }
        CbVariant copy(value);
        ASSERT_TRUE(copy == value);
        if (received % 7 == 0)
            kept.push_back(copy);
        value = received;
        ++received;
    }
    producer.join();
    EXPECT_EQ(kept.size(), static_cast<std::size_t>((kCount + 6) / 7));
}

} // namespace
