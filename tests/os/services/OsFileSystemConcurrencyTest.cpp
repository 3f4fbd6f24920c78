// OsFileSystem's one shared constant, made while several threads ask for it first.
#include <cbfoundation/os/services/OsFileSystem.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(OsFileSystemConcurrencyTest, TheFirstCollapsesFromSeveralThreadsAgree)
{
    cbf::test::FileSystemSandbox sandbox;
    for (const wchar_t* name : {L"TMPDIR", L"TMP", L"TEMP"})
        sandbox.Set(name, sandbox(L"a") + cbf::test::kSeparator + L".." + cbf::test::kSeparator + L"tmp");
    const CStringW expected = sandbox(L"tmp") + cbf::test::kSeparator;
    constexpr int threadCount = 8;
    std::atomic<int> ready{0};
    std::atomic<int> agreed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            // A spin start line, so that every thread asks at the same moment.
            for (ready.fetch_add(1); ready.load() < threadCount;) {
            }
            agreed += OsFileSystem::GetDirectory(OsFileSystem::eSpecialDirectoryTemp) == expected ? 1 : 0;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(agreed.load(), threadCount);
}
