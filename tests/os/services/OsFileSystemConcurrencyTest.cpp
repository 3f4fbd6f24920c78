// OsFileSystem's one shared constant, made while several threads ask for it first.
#include <cbfoundation/os/services/OsFileSystem.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(OsFileSystemConcurrencyTest, TheFirstCollapsesFromSeveralThreadsAgree)
{
    cbf::test::FileSystemSandbox sandbox;
    CStringW detour = sandbox(L"a|..|tmp");
    detour.Replace(L'|', cbf::test::kSeparator);
    for (const wchar_t* name : {L"TMPDIR", L"TMP", L"TEMP"})
        sandbox.Set(name, detour);
    const CStringW expected = sandbox(L"tmp") + cbf::test::kSeparator;

    constexpr int threadCount = 8;
    std::atomic<int> ready{0};
    std::atomic<int> agreed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            // A spin start line: every thread asks at the same moment.
            ready.fetch_add(1);
            while (ready.load() < threadCount) {
            }
            if (OsFileSystem::GetDirectory(OsFileSystem::eSpecialDirectoryTemp) == expected)
                agreed.fetch_add(1);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(agreed.load(), threadCount);
}

} // namespace
