// CStringW against std::wstring:
//
// - Copying: copy-constructing a vector of 1024 strings of 16 characters
//   (a copy of a CStringW shares its text; std::wstring copies it).
// - Assigning: assigning each of 1024 strings of 16 characters to a string
//   that holds another text of that length (both reuse the target's memory).
// - Appending: building a string of 1,000,000 characters one character at a
//   time.
// - Ordering: sorting 1024 random texts of 16 lower-case letters with
//   operator<, and comparing two texts of 256 characters that differ only in
//   the last one (the common prefix dominates).

#include <cbfoundation/platform/CStringT.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCopyCount = 1024;
constexpr std::size_t kTextLength = 16;
constexpr int kAppendCount = 1'000'000;

template <typename Text>
std::vector<Text> sixteenCharacterTexts()
{
    std::vector<Text> texts;
    for (std::size_t i = 0; i < kCopyCount; ++i) {
        std::wstring text = L"text-" + std::to_wstring(1000000 + i);
        text.resize(kTextLength, L'.');
        texts.emplace_back(text.c_str());
    }
    return texts;
}

template <typename Text>
void BM_CopyConstructVector(benchmark::State& state)
{
    const std::vector<Text> source = sixteenCharacterTexts<Text>();
    for (auto _ : state) {
        std::vector<Text> copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

template <typename Text>
void BM_AssignVector(benchmark::State& state)
{
    const std::vector<Text> source = sixteenCharacterTexts<Text>();
    std::vector<Text> target(source.rbegin(), source.rend());
    for (auto _ : state) {
        for (std::size_t i = 0; i < source.size(); ++i)
            target[i] = source[i];
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

template <typename Text>
void BM_AppendCharacters(benchmark::State& state)
{
    for (auto _ : state) {
        Text text;
        for (int i = 0; i < kAppendCount; ++i)
            text += static_cast<wchar_t>(L'a' + i % 26);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kAppendCount));
}

template <typename Text>
std::vector<Text> randomTexts()
{
    std::mt19937 random(1024);
    std::uniform_int_distribution<int> letter(0, 25);
    std::vector<Text> texts;
    for (std::size_t i = 0; i < kCopyCount; ++i) {
        std::wstring text;
        for (std::size_t c = 0; c < kTextLength; ++c)
            text += static_cast<wchar_t>(L'a' + letter(random));
        texts.emplace_back(text.c_str());
    }
    return texts;
}

template <typename Text>
void BM_SortTexts(benchmark::State& state)
{
    const std::vector<Text> source = randomTexts<Text>();
    std::vector<Text> texts;
    for (auto _ : state) {
        state.PauseTiming();
        texts = source;
        state.ResumeTiming();
        std::sort(texts.begin(), texts.end(), [](const Text& a, const Text& b) { return a < b; });
        benchmark::DoNotOptimize(texts.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

template <typename Text>
void BM_CompareLongPrefix(benchmark::State& state)
{
    std::wstring common(255, L'x');
    const Text left((common + L'a').c_str());
    const Text right((common + L'b').c_str());
    for (auto _ : state) {
        benchmark::DoNotOptimize(left < right);
        benchmark::DoNotOptimize(right < left);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 2));
}

} // namespace

BENCHMARK_TEMPLATE(BM_CopyConstructVector, CStringW);
BENCHMARK_TEMPLATE(BM_CopyConstructVector, std::wstring);
BENCHMARK_TEMPLATE(BM_AssignVector, CStringW);
BENCHMARK_TEMPLATE(BM_AssignVector, std::wstring);
BENCHMARK_TEMPLATE(BM_AppendCharacters, CStringW);
BENCHMARK_TEMPLATE(BM_AppendCharacters, std::wstring);
BENCHMARK_TEMPLATE(BM_SortTexts, CStringW);
BENCHMARK_TEMPLATE(BM_SortTexts, std::wstring);
BENCHMARK_TEMPLATE(BM_CompareLongPrefix, CStringW);
BENCHMARK_TEMPLATE(BM_CompareLongPrefix, std::wstring);
