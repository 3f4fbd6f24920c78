// The narrow string text writer against std::ostringstream on the same
// 1,000,000 values (ints and doubles in turn, doubles in fixed notation with
// six decimals), without and with localization (decimal comma, point between
// groups of three; the stream gets the same through a numpunct facet).

#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>

#include <benchmark/benchmark.h>

#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

namespace {

constexpr std::size_t kValues = 1'000'000;
constexpr std::size_t kPairs = kValues / 2;

struct Values
{
    Values()
    {
        for (std::size_t i = 0; i < kPairs; ++i) {
            ints.push_back(static_cast<int>(i * 2654435761u));
            doubles.push_back(static_cast<double>(i) * 1234.567891 - 1e8);
        }
    }

    std::vector<int> ints;
    std::vector<double> doubles;
};

const Values& values()
{
    static const Values instance;
    return instance;
}

class CommaPoint : public std::numpunct<char>
{
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

void finish(benchmark::State& state, std::size_t length)
{
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
    state.counters["chars"] = static_cast<double>(length);
}

void BM_Text_StringWriter(benchmark::State& state)
{
    const bool localize = state.range(0) != 0;
    CbStreamWriteASCII::SetLocaleItems(',', '.');
    const Values& v = values();
    std::size_t length = 0;
    for (auto _ : state) {
        CbStreamWriteASCIIStringT<CStringA> out(localize);
        for (std::size_t i = 0; i < kPairs; ++i)
            out << v.ints[i] << v.doubles[i];
        length = out.GetLength();
        benchmark::DoNotOptimize(static_cast<const char*>(out));
    }
    CbStreamWriteASCII::CaptureLocale();
    finish(state, length);
}
BENCHMARK(BM_Text_StringWriter)->Arg(0)->Arg(1)->ArgName("localized")->Unit(benchmark::kMillisecond);

void BM_Text_Ostringstream(benchmark::State& state)
{
    const bool localize = state.range(0) != 0;
    const Values& v = values();
    std::size_t length = 0;
    for (auto _ : state) {
        std::ostringstream out;
        if (localize)
            out.imbue(std::locale(std::locale::classic(), new CommaPoint));
        out << std::fixed << std::setprecision(6);
        for (std::size_t i = 0; i < kPairs; ++i)
            out << v.ints[i] << v.doubles[i];
        length = out.view().size();
        benchmark::DoNotOptimize(out.view().data());
    }
    finish(state, length);
}
BENCHMARK(BM_Text_Ostringstream)->Arg(0)->Arg(1)->ArgName("localized")->Unit(benchmark::kMillisecond);

} // namespace
