// CbVariant against std::variant<int, double, std::wstring,
// std::vector<unsigned char>> on the same mixed values: ints, doubles,
// 16-character wide strings and 64-byte arrays, in turn.
//
// - Copying: copy-constructing a vector of 1024 variants; assigning one
//   vector to another whose every element holds another type (each
//   assignment destroys a value and creates one); assigning into elements of
//   the same types (strings and arrays reuse their storage).
// - Binary form: writing 1,000,000 variant records through the memory writer
//   and reading them back through the memory reader, against cereal's binary
//   archive over a std::stringstream serialising the same std::variant values;
//   writing into a new buffer and into a reused one, reading into variants
//   that hold the record's type already and into new ones.
// - Ordering: sorting 1024 wide-string variants in shuffled order with
//   operator<.

#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <benchmark/benchmark.h>
#include <cereal/archives/binary.hpp>
#include <cereal/types/string.hpp>
#include <cereal/types/variant.hpp>
#include <cereal/types/vector.hpp>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace {

using StdVariant = std::variant<int, double, std::wstring, std::vector<unsigned char>>;

constexpr std::size_t kCopyCount = 1024;
constexpr std::size_t kRecordCount = 1'000'000;
constexpr std::size_t kTextLength = 16;
constexpr std::size_t kArrayLength = 64;

std::wstring textFor(std::size_t i)
{
    std::wstring text = L"value-" + std::to_wstring(1000000 + i);
    text.resize(kTextLength, L'.');
    return text;
}

std::vector<unsigned char> bytesFor(std::size_t i)
{
    std::vector<unsigned char> bytes(kArrayLength);
    for (std::size_t b = 0; b < kArrayLength; ++b)
        bytes[b] = static_cast<unsigned char>(i + b);
    return bytes;
}

// The i-th value of the mix; `shift` rotates the types.
CbVariant makeVariant(std::size_t i, std::size_t shift = 0)
{
    CbVariant v;
    switch ((i + shift) % 4) {
    case 0:
        v = static_cast<int>(i);
        break;
    case 1:
        v = static_cast<double>(i) * 0.5;
        break;
    case 2:
        v = textFor(i).c_str();
        break;
    default: {
        const std::vector<unsigned char> bytes = bytesFor(i);
        CbVariant::ByteArray array;
        array.SetSize(static_cast<unsigned>(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), array.GetData());
        v = array;
    }
    }
    return v;
}

StdVariant makeStdVariant(std::size_t i, std::size_t shift = 0)
{
    switch ((i + shift) % 4) {
    case 0:
        return static_cast<int>(i);
    case 1:
        return static_cast<double>(i) * 0.5;
    case 2:
        return textFor(i);
    default:
        return bytesFor(i);
    }
}

template <class V, class Make>
std::vector<V> mix(std::size_t count, Make make, std::size_t shift = 0)
{
    std::vector<V> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(make(i, shift));
    return values;
}

std::vector<CbVariant> variants(std::size_t count, std::size_t shift = 0)
{
    return mix<CbVariant>(
        count, [](std::size_t i, std::size_t s) { return makeVariant(i, s); }, shift);
}

std::vector<StdVariant> stdVariants(std::size_t count, std::size_t shift = 0)
{
    return mix<StdVariant>(
        count, [](std::size_t i, std::size_t s) { return makeStdVariant(i, s); }, shift);
}

// Copying

template <class V>
void copyConstruct(benchmark::State& state, const std::vector<V>& source)
{
    for (auto _ : state) {
        std::vector<V> copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

// Alternates between two sources whose types differ at every index, so that
// every assignment changes the type of its target.
template <class V>
void assignChangingType(benchmark::State& state, const std::vector<V>& a, const std::vector<V>& b)
{
    std::vector<V> target(b);
    for (auto _ : state) {
        for (std::size_t i = 0; i < a.size(); ++i)
            target[i] = a[i];
        for (std::size_t i = 0; i < b.size(); ++i)
            target[i] = b[i];
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * (a.size() + b.size())));
}

template <class V>
void assignSameType(benchmark::State& state, const std::vector<V>& source)
{
    std::vector<V> target(source);
    for (auto _ : state) {
        for (std::size_t i = 0; i < source.size(); ++i)
            target[i] = source[i];
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

void BM_CopyConstruct_CbVariant(benchmark::State& state)
{
    copyConstruct(state, variants(kCopyCount));
}
BENCHMARK(BM_CopyConstruct_CbVariant);

void BM_CopyConstruct_StdVariant(benchmark::State& state)
{
    copyConstruct(state, stdVariants(kCopyCount));
}
BENCHMARK(BM_CopyConstruct_StdVariant);

void BM_AssignChangingType_CbVariant(benchmark::State& state)
{
    assignChangingType(state, variants(kCopyCount), variants(kCopyCount, 1));
}
BENCHMARK(BM_AssignChangingType_CbVariant);

void BM_AssignChangingType_StdVariant(benchmark::State& state)
{
    assignChangingType(state, stdVariants(kCopyCount), stdVariants(kCopyCount, 1));
}
BENCHMARK(BM_AssignChangingType_StdVariant);

void BM_AssignSameType_CbVariant(benchmark::State& state)
{
    assignSameType(state, variants(kCopyCount));
}
BENCHMARK(BM_AssignSameType_CbVariant);

void BM_AssignSameType_StdVariant(benchmark::State& state)
{
    assignSameType(state, stdVariants(kCopyCount));
}
BENCHMARK(BM_AssignSameType_StdVariant);

// Ordering

template <class V>
void sortStrings(benchmark::State& state)
{
    std::vector<std::size_t> order(kCopyCount);
    for (std::size_t i = 0; i < kCopyCount; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(1024));
    std::vector<V> source(kCopyCount);
    for (std::size_t i = 0; i < kCopyCount; ++i)
        source[i] = textFor(order[i]).c_str();
    std::vector<V> values;
    for (auto _ : state) {
        state.PauseTiming();
        values = source;
        state.ResumeTiming();
        std::sort(values.begin(), values.end(), [](const V& a, const V& b) { return a < b; });
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

void BM_SortStrings_CbVariant(benchmark::State& state)
{
    sortStrings<CbVariant>(state);
}
BENCHMARK(BM_SortStrings_CbVariant);

void BM_SortStrings_StdVariant(benchmark::State& state)
{
    sortStrings<std::variant<std::wstring>>(state);
}
BENCHMARK(BM_SortStrings_StdVariant);

// Binary form

const std::vector<CbVariant>& records()
{
    static const std::vector<CbVariant> instance = variants(kRecordCount);
    return instance;
}

const std::vector<StdVariant>& stdRecords()
{
    static const std::vector<StdVariant> instance = stdVariants(kRecordCount);
    return instance;
}

void finish(benchmark::State& state, std::size_t bytes)
{
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecordCount));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void writeRecords(CbStreamWriteBinaryMemory& out)
{
    for (const CbVariant& v : records())
        v.Serialize(out);
}

std::string writeStdRecords()
{
    std::stringstream stream;
    {
        cereal::BinaryOutputArchive archive(stream);
        for (const StdVariant& v : stdRecords())
            archive(v);
    }
    return stream.str();
}

// Writing into a new buffer each pass (growth included), and into a buffer
// kept from the previous pass (the encoding alone).
void BM_Write_CbVariant(benchmark::State& state)
{
    records();
    std::size_t bytes = 0;
    for (auto _ : state) {
        CbStreamWriteBinaryMemory out;
        writeRecords(out);
        benchmark::DoNotOptimize(out.GetData());
        bytes = out.GetSize();
    }
    finish(state, bytes);
}
BENCHMARK(BM_Write_CbVariant)->Unit(benchmark::kMillisecond);

void BM_Write_Cereal(benchmark::State& state)
{
    stdRecords();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::stringstream stream;
        {
            cereal::BinaryOutputArchive archive(stream);
            for (const StdVariant& v : stdRecords())
                archive(v);
        }
        bytes = static_cast<std::size_t>(stream.tellp());
        benchmark::DoNotOptimize(bytes);
    }
    finish(state, bytes);
}
BENCHMARK(BM_Write_Cereal)->Unit(benchmark::kMillisecond);

void BM_WriteReused_CbVariant(benchmark::State& state)
{
    records();
    CbStreamWriteBinaryMemory out;
    for (auto _ : state) {
        out.Clear();
        writeRecords(out);
        benchmark::DoNotOptimize(out.GetData());
    }
    finish(state, out.GetSize());
}
BENCHMARK(BM_WriteReused_CbVariant)->Unit(benchmark::kMillisecond);

void BM_WriteReused_Cereal(benchmark::State& state)
{
    stdRecords();
    std::stringstream stream;
    for (auto _ : state) {
        stream.seekp(0);
        {
            cereal::BinaryOutputArchive archive(stream);
            for (const StdVariant& v : stdRecords())
                archive(v);
        }
        benchmark::DoNotOptimize(stream.tellp());
    }
    finish(state, static_cast<std::size_t>(stream.tellp()));
}
BENCHMARK(BM_WriteReused_Cereal)->Unit(benchmark::kMillisecond);

// Both readers fill the elements of a vector of a million variants: one kept
// from pass to pass (each element receives a record of the type it holds, as
// when a file is read again), and a new one of empty variants in each pass.
template <class V, class ReadAll>
void readInto(benchmark::State& state, bool fresh, ReadAll readAll)
{
    std::vector<V> target(kRecordCount);
    if (!fresh)
        readAll(target); // every timed pass then finds the types it reads
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            std::vector<V>(kRecordCount).swap(target);
            state.ResumeTiming();
        }
        readAll(target);
        benchmark::DoNotOptimize(target.data());
    }
}

void readCbVariants(benchmark::State& state, bool fresh)
{
    CbStreamWriteBinaryMemory encoded;
    writeRecords(encoded);
    readInto<CbVariant>(state, fresh, [&](std::vector<CbVariant>& target) {
        CbStreamReadBinaryMemory in(encoded.GetData(), encoded.GetSize());
        for (CbVariant& v : target)
            v.Serialize(in);
    });
    finish(state, encoded.GetSize());
}

void readStdVariants(benchmark::State& state, bool fresh)
{
    const std::string encoded = writeStdRecords();
    std::stringstream stream;
    readInto<StdVariant>(state, fresh, [&](std::vector<StdVariant>& target) {
        stream.str(encoded);
        cereal::BinaryInputArchive archive(stream);
        for (StdVariant& v : target)
            archive(v);
    });
    finish(state, encoded.size());
}

void BM_Read_CbVariant(benchmark::State& state)
{
    readCbVariants(state, false);
}
BENCHMARK(BM_Read_CbVariant)->Unit(benchmark::kMillisecond);

void BM_Read_Cereal(benchmark::State& state)
{
    readStdVariants(state, false);
}
BENCHMARK(BM_Read_Cereal)->Unit(benchmark::kMillisecond);

void BM_ReadFresh_CbVariant(benchmark::State& state)
{
    readCbVariants(state, true);
}
BENCHMARK(BM_ReadFresh_CbVariant)->Unit(benchmark::kMillisecond);

void BM_ReadFresh_Cereal(benchmark::State& state)
{
    readStdVariants(state, true);
}
BENCHMARK(BM_ReadFresh_Cereal)->Unit(benchmark::kMillisecond);

} // namespace
