// GetExternalDataPath called from 8 threads at once, each on a file of its own, answers as it does alone.
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
    // Per thread a file of its own, plain or compressed by turns, with the match behind 150 other records.
    std::vector<std::filesystem::path> paths;
    for (int thread = 0; thread < kThreads; ++thread) {
        CbParameterFile file;
        for (int record = 0; record < 200; ++record)
            file.parameters.emplace_back(record == 150 ? L"ExternalDataPath" : L"other", CbVariant(), false, record)
                .value = std::to_wstring(thread * 1000 + record).c_str();
        paths.push_back(sandbox.Root() / ("thread" + std::to_string(thread) + ".par"));
        file.Save(WideOf(paths.back()),
                  {thread % 2 ? CbParameterFile::eContainerCompressed : CbParameterFile::eContainerPlain, {}});
    }
    std::vector<int> failures(kThreads);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([&, thread] {
            const std::string digits = std::to_string(thread * 1000 + 150);
            const Answer found{0, std::u16string(digits.begin(), digits.end())};
            for (int round = 0; round < 20; ++round)
                failures[thread] +=
                    (CallGetExternalDataPath(paths[thread]) != found) +
                    (CallGetExternalDataPath(sandbox.Root() / "missing.par") != Answer(ERROR_FILENOTFOUND, u""));
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads));
}

} // namespace
