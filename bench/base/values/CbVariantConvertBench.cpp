// CbVariant::ConvertTo between int and wide text against std::to_wstring and
// std::wcstoll on the same 1,000,000 values, uniform over the whole int range
// (most have ten digits, half are negative): every value to text, then every
// text back to int. An item is one value's round trip, two conversions.

#include <cbfoundation/base/values/CbVariant.h>

#include <benchmark/benchmark.h>

#include <climits>
#include <cstddef>
#include <cwchar>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kValues = 1'000'000;

std::vector<int> values()
{
    std::mt19937 random(17);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    std::vector<int> result(kValues);
    for (int& value : result)
        value = anyInt(random);
    return result;
}

void BM_IntToWideTextAndBack_CbVariant(benchmark::State& state)
{
    std::vector<CbVariant> variants(kValues);
    const std::vector<int> source = values();
    for (std::size_t i = 0; i < kValues; ++i)
        variants[i] = source[i];
    for (auto _ : state) {
        for (CbVariant& v : variants)
            v.ConvertTo(CbVariant::eVariantTypeStringW);
        for (CbVariant& v : variants)
            v.ConvertTo(CbVariant::eVariantTypeInt);
        benchmark::DoNotOptimize(variants.data());
    }
    if (static_cast<int>(std::as_const(variants.back())) != source.back())
        state.SkipWithError("the round trip changed the value");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
}
BENCHMARK(BM_IntToWideTextAndBack_CbVariant)->Unit(benchmark::kMillisecond);

void BM_IntToWideTextAndBack_Std(benchmark::State& state)
{
    std::vector<int> numbers = values();
    const int last = numbers.back();
    std::vector<std::wstring> texts(kValues);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kValues; ++i)
            texts[i] = std::to_wstring(numbers[i]);
        for (std::size_t i = 0; i < kValues; ++i)
            numbers[i] = static_cast<int>(std::wcstoll(texts[i].c_str(), nullptr, 10));
        benchmark::DoNotOptimize(numbers.data());
    }
    if (numbers.back() != last)
        state.SkipWithError("the round trip changed the value");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
}
BENCHMARK(BM_IntToWideTextAndBack_Std)->Unit(benchmark::kMillisecond);

} // namespace
