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
        for (int record = 0; record < 200; ++record) {
            CbVariant value;
            value = CStringW(L"value ") + std::to_wstring(thread * 1000 + record).c_str();
            file.parameters.emplace_back(record == 150 ? L"ExternalDataPath" : L"other", value, false, record);
        }
        paths.push_back(sandbox.Root() / ("thread" + std::to_string(thread) + ".par"));
        file.Save(WideOf(paths.back()),
                  {thread % 2 ? CbParameterFile::eContainerCompressed : CbParameterFile::eContainerPlain, {}});
    }
    std::vector<std::vector<Answer>> answers(kThreads);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 20; ++round) {
                answers[thread].push_back(CallGetExternalDataPath(paths[thread]));
                answers[thread].push_back(CallGetExternalDataPath(sandbox.Root() / "missing.par"));
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 0; thread < kThreads; ++thread) {
        const std::string digits = std::to_string(thread * 1000 + 150);
        const Answer found{0, u"value " + std::u16string(digits.begin(), digits.end())};
        for (std::size_t i = 0; i < answers[thread].size(); ++i)
            EXPECT_EQ(answers[thread][i], i % 2 ? Answer(ERROR_FILENOTFOUND, u"") : found) << thread;
    }
}

} // namespace
