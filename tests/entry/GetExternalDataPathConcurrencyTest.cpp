// GetExternalDataPath called from 8 threads at once, each on files of its own, answers as it does alone.
#include "entry/ParameterFileTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace cbf::test;

TEST(GetExternalDataPathConcurrencyTest, ThreadsOnDifferentFilesAnswerAsSequentialCalls)
{
    constexpr int kThreads = 8;
    FileSystemSandbox sandbox;
    // Per thread: a found text and a wrong type, plain or compressed by turns, and a missing file.
    std::vector<std::vector<std::filesystem::path>> paths(kThreads);
    std::vector<std::vector<Answer>> sequential(kThreads), concurrent(kThreads);
    for (int thread = 0; thread < kThreads; ++thread) {
        CbParameterFile file;
        for (int record = 0; record < 200; ++record) {
            CbVariant value;
            value = CStringW(L"value ") + std::to_wstring(thread * 1000 + record).c_str();
            file.parameters.emplace_back(record == 150 ? L"ExternalDataPath" : L"other", value, false, record);
        }
        const std::filesystem::path stem = sandbox.Root() / ("thread" + std::to_string(thread));
        const CbParameterFile::Format format{
            thread % 2 ? CbParameterFile::eContainerCompressed : CbParameterFile::eContainerPlain, {}};
        for (const char* suffix : {"-text.par", "-int.par", "-missing.par"})
            paths[thread].push_back(std::filesystem::path(stem) += suffix);
        file.Save(WideOf(paths[thread][0]), format);
        file.parameters[150].value = thread;
        file.Save(WideOf(paths[thread][1]), format);
        for (const std::filesystem::path& path : paths[thread])
            sequential[thread].push_back(CallGetExternalDataPath(path));
    }
    ASSERT_EQ(sequential[3][0], Answer(0, u"value 3150"));

    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 20; ++round)
                for (const std::filesystem::path& path : paths[thread])
                    concurrent[thread].push_back(CallGetExternalDataPath(path));
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 0; thread < kThreads; ++thread)
        for (std::size_t i = 0; i < concurrent[thread].size(); ++i)
            EXPECT_EQ(concurrent[thread][i], sequential[thread][i % 3]) << thread;
}

} // namespace
