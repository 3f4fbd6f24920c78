// CbDateTime's text form "Y-m-d H:i:s" against the C library's strftime and
// strptime with "%Y-%m-%d %H:%M:%S", on the same 4096 instants spread over
// 1970 to 2100: formatting, parsing, and both in turn. The calendar
// arithmetic against the C library's gmtime_r and timegm: fields of a second
// count, and the tick count of fields.

#include <cbfoundation/base/values/CbDateTime.h>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kInstants = 4096;
constexpr const wchar_t* kFormat = L"Y-m-d H:i:s";
constexpr const char* kRuntimeFormat = "%Y-%m-%d %H:%M:%S";

struct Instants
{
    Instants()
    {
        std::mt19937_64 random(1970);
        std::uniform_int_distribution<__int64> anySecond(0, 4102444799);
        for (std::size_t i = 0; i < kInstants; ++i) {
            const __int64 seconds = anySecond(random);
            values.emplace_back(seconds);
            const std::time_t time = static_cast<std::time_t>(seconds);
            fields.push_back(*std::gmtime(&time));
            wideTexts.push_back(values.back().ToString(kFormat).GetString());
            char text[32];
            std::strftime(text, sizeof text, kRuntimeFormat, &fields.back());
            texts.emplace_back(text);
        }
    }

    std::vector<CbDateTime> values;
    std::vector<std::tm> fields;
    std::vector<std::wstring> wideTexts;
    std::vector<std::string> texts;
};

const Instants& instants()
{
    static const Instants shared;
    return shared;
}

void CbDateTimeFromSeconds(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        CbDateTime value(static_cast<__int64>(i++ * 982451653u % 4102444800u));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(CbDateTimeFromSeconds);

void RuntimeGmtime(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const auto time = static_cast<std::time_t>(i++ * 982451653u % 4102444800u);
        std::tm fields;
        benchmark::DoNotOptimize(::gmtime_r(&time, &fields));
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(RuntimeGmtime);

void CbDateTimeToTicks(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(static_cast<unsigned __int64>(data.values[i++ % kInstants]));
}
BENCHMARK(CbDateTimeToTicks);

void RuntimeTimegm(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        std::tm fields = data.fields[i++ % kInstants];
        benchmark::DoNotOptimize(::timegm(&fields));
    }
}
BENCHMARK(RuntimeTimegm);

void CbDateTimeFormat(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        CStringW text = data.values[i++ % kInstants].ToString(kFormat);
        benchmark::DoNotOptimize(text.GetString());
    }
}
BENCHMARK(CbDateTimeFormat);

void RuntimeStrftime(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    char text[32];
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strftime(text, sizeof text, kRuntimeFormat, &data.fields[i++ % kInstants]));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(RuntimeStrftime);

void CbDateTimeParseWide(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        CbDateTime value(data.wideTexts[i++ % kInstants].c_str());
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(CbDateTimeParseWide);

void CbDateTimeParseNarrow(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        CbDateTime value(data.texts[i++ % kInstants].c_str());
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(CbDateTimeParseNarrow);

void RuntimeStrptime(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        std::tm fields{};
        benchmark::DoNotOptimize(::strptime(data.texts[i++ % kInstants].c_str(), kRuntimeFormat, &fields));
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(RuntimeStrptime);

void CbDateTimeFormatAndParse(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    for (auto _ : state) {
        const CStringW text = data.values[i++ % kInstants].ToString(kFormat);
        CbDateTime value(text.GetString());
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(CbDateTimeFormatAndParse);

void RuntimeStrftimeAndStrptime(benchmark::State& state)
{
    const Instants& data = instants();
    std::size_t i = 0;
    char text[32];
    for (auto _ : state) {
        std::strftime(text, sizeof text, kRuntimeFormat, &data.fields[i++ % kInstants]);
        std::tm fields{};
        benchmark::DoNotOptimize(::strptime(text, kRuntimeFormat, &fields));
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(RuntimeStrftimeAndStrptime);

} // namespace
