// The binary memory streams against cereal's binary archive over a
// std::stringstream, on the same 1,000,000 values: ints, doubles, bools and
// 16-character wide strings, in turn. Also each stream against the floor, a
// hand-written loop doing the same work in the same run: the memory writer
// against loops that store the same bytes in a preallocated buffer (with the
// strings converted beforehand, and converted as they go), the memory reader
// against a loop that decodes the same buffer, and the byte counter against
// a loop that adds the same sizes.

#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/platform/Utf16.h>

#include <benchmark/benchmark.h>
#include <cereal/archives/binary.hpp>
#include <cereal/types/string.hpp>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kValues = 1'000'000;
constexpr std::size_t kRecords = kValues / 4; // one int, double, bool and string each
constexpr std::size_t kTextLength = 16;

struct Values
{
    Values()
    {
        for (std::size_t i = 0; i < kRecords; ++i) {
            ints.push_back(static_cast<int>(i * 2654435761u));
            doubles.push_back(static_cast<double>(i) * 1.000001);
            bools.push_back(i % 3 == 0);
            std::wstring text = L"r\u00e9cord-" + std::to_wstring(1000000 + i);
            text.resize(kTextLength, L'.');
            wideTexts.push_back(text);
            texts.emplace_back(text.c_str());
            utf16Texts.emplace_back(text.begin(), text.end());
        }
    }

    std::vector<int> ints;
    std::vector<double> doubles;
    std::vector<char> bools;
    std::vector<CStringW> texts;
    std::vector<std::wstring> wideTexts;
    std::vector<std::u16string> utf16Texts;
};

const Values& values()
{
    static const Values instance;
    return instance;
}

void writeAll(CbStreamWrite& out, const Values& v)
{
    for (std::size_t i = 0; i < kRecords; ++i)
        out << v.ints[i] << v.doubles[i] << (v.bools[i] != 0) << v.texts[i];
}

void finish(benchmark::State& state, std::size_t bytes)
{
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_Encode_MemoryWriter(benchmark::State& state)
{
    const Values& v = values();
    std::size_t bytes = 0;
    for (auto _ : state) {
        CbStreamWriteBinaryMemory out;
        writeAll(out, v);
        benchmark::DoNotOptimize(out.GetData());
        bytes = out.GetSize();
    }
    finish(state, bytes);
}
BENCHMARK(BM_Encode_MemoryWriter)->Unit(benchmark::kMillisecond);

void BM_Encode_Cereal(benchmark::State& state)
{
    const Values& v = values();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::stringstream stream;
        {
            cereal::BinaryOutputArchive archive(stream);
            for (std::size_t i = 0; i < kRecords; ++i)
                archive(v.ints[i], v.doubles[i], v.bools[i] != 0, v.wideTexts[i]);
        }
        bytes = static_cast<std::size_t>(stream.tellp());
        benchmark::DoNotOptimize(bytes);
    }
    finish(state, bytes);
}
BENCHMARK(BM_Encode_Cereal)->Unit(benchmark::kMillisecond);

void BM_Decode_MemoryReader(benchmark::State& state)
{
    CbStreamWriteBinaryMemory encoded;
    writeAll(encoded, values());
    int i32 = 0;
    double f64 = 0;
    bool flag = false;
    CStringW text;
    for (auto _ : state) {
        CbStreamReadBinaryMemory in(encoded.GetData(), encoded.GetSize());
        for (std::size_t i = 0; i < kRecords; ++i) {
            in >> i32 >> f64 >> flag >> text;
            benchmark::DoNotOptimize(text.GetString());
        }
    }
    benchmark::DoNotOptimize(i32 + f64 + flag);
    finish(state, encoded.GetSize());
}
BENCHMARK(BM_Decode_MemoryReader)->Unit(benchmark::kMillisecond);

void BM_Decode_Cereal(benchmark::State& state)
{
    const Values& v = values();
    std::stringstream source;
    {
        cereal::BinaryOutputArchive archive(source);
        for (std::size_t i = 0; i < kRecords; ++i)
            archive(v.ints[i], v.doubles[i], v.bools[i] != 0, v.wideTexts[i]);
    }
    const std::string encoded = source.str();
    int i32 = 0;
    double f64 = 0;
    bool flag = false;
    std::wstring text;
    for (auto _ : state) {
        state.PauseTiming();
        std::stringstream stream(encoded);
        state.ResumeTiming();
        cereal::BinaryInputArchive archive(stream);
        for (std::size_t i = 0; i < kRecords; ++i) {
            archive(i32, f64, flag, text);
            benchmark::DoNotOptimize(text.data());
        }
    }
    benchmark::DoNotOptimize(i32 + f64 + flag);
    finish(state, encoded.size());
}
BENCHMARK(BM_Decode_Cereal)->Unit(benchmark::kMillisecond);

void BM_Encode_ByteCount(benchmark::State& state)
{
    const Values& v = values();
    unsigned __int64 bytes = 0;
    for (auto _ : state) {
        CbStreamWriteBinaryByteCount counter;
        writeAll(counter, v);
        bytes = counter.GetByteCount();
        benchmark::DoNotOptimize(bytes);
    }
    finish(state, bytes);
}
BENCHMARK(BM_Encode_ByteCount)->Unit(benchmark::kMillisecond);

// The memory writer with its buffer kept from the previous round, to compare
// with the preallocated memcpy loop below.
void BM_Encode_MemoryWriterReused(benchmark::State& state)
{
    const Values& v = values();
    CbStreamWriteBinaryMemory out;
    for (auto _ : state) {
        out.Clear();
        writeAll(out, v);
        benchmark::DoNotOptimize(out.GetData());
    }
    finish(state, out.GetSize());
}
BENCHMARK(BM_Encode_MemoryWriterReused)->Unit(benchmark::kMillisecond);

// The same bytes written by hand: memcpy of each value, and for each string
// the four bytes of tag and length and its UTF-16 units, converted beforehand.
void BM_Encode_MemcpyBaseline(benchmark::State& state)
{
    const Values& v = values();
    const unsigned char header[] = {0xFF, 0xFE, 0xFF, kTextLength};
    const std::size_t size = kRecords * (sizeof(int) + sizeof(double) + 1 + sizeof header + 2 * kTextLength);
    std::vector<unsigned char> buffer(size);
    for (auto _ : state) {
        unsigned char* p = buffer.data();
        for (std::size_t i = 0; i < kRecords; ++i) {
            std::memcpy(p, &v.ints[i], sizeof(int));
            p += sizeof(int);
            std::memcpy(p, &v.doubles[i], sizeof(double));
            p += sizeof(double);
            *p++ = v.bools[i] != 0 ? 1 : 0;
            std::memcpy(p, header, sizeof header);
            p += sizeof header;
            std::memcpy(p, v.utf16Texts[i].data(), 2 * kTextLength);
            p += 2 * kTextLength;
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    finish(state, size);
}
BENCHMARK(BM_Encode_MemcpyBaseline)->Unit(benchmark::kMillisecond);

// The same bytes written by hand, each string converted from its wide
// characters to UTF-16 units as it is stored (all of them are below U+10000).
void BM_Encode_ConvertingBaseline(benchmark::State& state)
{
    const Values& v = values();
    const std::size_t size = kRecords * (sizeof(int) + sizeof(double) + 1 + 4 + 2 * kTextLength);
    std::vector<unsigned char> buffer(size);
    for (auto _ : state) {
        unsigned char* p = buffer.data();
        for (std::size_t i = 0; i < kRecords; ++i) {
            std::memcpy(p, &v.ints[i], sizeof(int));
            p += sizeof(int);
            std::memcpy(p, &v.doubles[i], sizeof(double));
            p += sizeof(double);
            *p++ = v.bools[i] != 0 ? 1 : 0;
            const wchar_t* text = v.texts[i].GetString();
            const auto length = static_cast<std::size_t>(v.texts[i].GetLength());
            const unsigned char header[] = {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(length)};
            std::memcpy(p, header, sizeof header);
            p += sizeof header;
            for (std::size_t k = 0; k < length; ++k) {
                const auto unit = static_cast<char16_t>(text[k]);
                std::memcpy(p + 2 * k, &unit, sizeof unit);
            }
            p += 2 * length;
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    finish(state, size);
}
BENCHMARK(BM_Encode_ConvertingBaseline)->Unit(benchmark::kMillisecond);

// The same buffer decoded by hand: each value copied out after checking that
// it is there, each string's tag and length checked and its units widened
// into one reused string of the type the reader fills.
void BM_Decode_HandBaseline(benchmark::State& state)
{
    CbStreamWriteBinaryMemory encoded;
    writeAll(encoded, values());
    int i32 = 0;
    double f64 = 0;
    bool flag = false;
    CStringW text;
    for (auto _ : state) {
        const unsigned char* p = encoded.GetData();
        const unsigned char* const end = p + encoded.GetSize();
        for (std::size_t i = 0; i < kRecords; ++i) {
            if (end - p < static_cast<std::ptrdiff_t>(sizeof(int) + sizeof(double) + 1 + 4))
                state.SkipWithError("short data");
            std::memcpy(&i32, p, sizeof i32);
            p += sizeof i32;
            std::memcpy(&f64, p, sizeof f64);
            p += sizeof f64;
            flag = *p++ != 0;
            if (p[0] != 0xFF || p[1] != 0xFE || p[2] != 0xFF || p[3] == 0xFF)
                state.SkipWithError("bad tag");
            const std::size_t length = p[3];
            p += 4;
            if (static_cast<std::size_t>(end - p) < 2 * length)
                state.SkipWithError("short text");
            wchar_t* characters = text.GetBufferSetLength(static_cast<int>(length));
            for (std::size_t k = 0; k < length; ++k) {
                char16_t unit;
                std::memcpy(&unit, p + 2 * k, sizeof unit);
                characters[k] = static_cast<wchar_t>(unit);
            }
            text.ReleaseBufferSetLength(static_cast<int>(length));
            p += 2 * length;
            benchmark::DoNotOptimize(text.GetString());
        }
    }
    benchmark::DoNotOptimize(i32 + f64 + flag);
    finish(state, encoded.GetSize());
}
BENCHMARK(BM_Decode_HandBaseline)->Unit(benchmark::kMillisecond);

// The sizes the byte counter adds up, added by hand: the strings' UTF-16
// lengths have to be counted, since a character may take two units.
void BM_Encode_ByteCountBaseline(benchmark::State& state)
{
    const Values& v = values();
    unsigned __int64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (std::size_t i = 0; i < kRecords; ++i) {
            const CStringW& text = v.texts[i];
            const std::uint64_t units =
                cbf::platform::Utf16Length(text.GetString(), static_cast<std::size_t>(text.GetLength()));
            bytes += sizeof(int) + sizeof(double) + 1 + (units < 0xFF ? 4 : 6) + 2 * units;
        }
        benchmark::DoNotOptimize(bytes);
    }
    finish(state, bytes);
}
BENCHMARK(BM_Encode_ByteCountBaseline)->Unit(benchmark::kMillisecond);

} // namespace
