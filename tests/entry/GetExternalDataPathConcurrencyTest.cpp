// GetExternalDataPath called from 8 threads at once, each on files of its own, answers as it does alone.
#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/entry/GetExternalDataPath.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Answer = std::pair<std::uint32_t, std::u16string>;

Answer Call(const std::string& path)
{
    std::uint32_t status = 99;
    const BSTR result = GetExternalDataPath(path.c_str(), &status);
    Answer answer{status, result == nullptr
                              ? u"(null)"
                              : std::u16string(reinterpret_cast<const char16_t*>(result), SysStringLen(result))};
    SysFreeString(result);
    return answer;
}

TEST(GetExternalDataPathConcurrencyTest, ThreadsOnDifferentFilesAnswerAsSequentialCalls)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 20;
    cbf::test::FileSystemSandbox sandbox;
    // Per thread: a found text (plain or compressed by turns), a wrong type
    // and a missing file.
    std::vector<std::vector<std::string>> paths(kThreads);
    for (int thread = 0; thread < kThreads; ++thread) {
        CbParameterFile file;
        for (int record = 0; record < 200; ++record) {
            CbVariant value;
            value = CStringW(L"value ") + std::to_wstring(thread * 1000 + record).c_str();
            file.parameters.emplace_back(record == 150 ? L"ExternalDataPath" : L"other", value, false, record);
        }
        const std::wstring stem = L"thread" + std::to_wstring(thread);
        const CbParameterFile::Format format{thread % 2 == 0 ? CbParameterFile::eContainerPlain
                                                             : CbParameterFile::eContainerCompressed,
                                             CbParameterFile::eCompressionLevelDefault};
        file.Save(sandbox((stem + L"-text.par").c_str()), format);
        file.parameters[150].value = thread;
        file.Save(sandbox((stem + L"-int.par").c_str()), format);
        for (const wchar_t* suffix : {L"-text.par", L"-int.par", L"-missing.par"})
            paths[thread].push_back((sandbox.Root() / (stem + suffix)).string());
    }
    std::vector<std::vector<Answer>> sequential(kThreads);
    for (int thread = 0; thread < kThreads; ++thread)
        for (const std::string& path : paths[thread])
            sequential[thread].push_back(Call(path));
    ASSERT_EQ(sequential[3][0], Answer(0, u"value 3150"));

    std::vector<std::vector<Answer>> concurrent(kThreads);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < kRounds; ++round)
                for (const std::string& path : paths[thread])
                    concurrent[thread].push_back(Call(path));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 0; thread < kThreads; ++thread)
        for (std::size_t i = 0; i < concurrent[thread].size(); ++i)
            EXPECT_EQ(concurrent[thread][i], sequential[thread][i % sequential[thread].size()]) << thread;
}

} // namespace
