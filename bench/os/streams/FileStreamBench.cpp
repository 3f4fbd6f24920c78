// The binary file streams against the C library and zlib on the same 64 MiB
// of mixed values (int, double, bool, short in turn): plain files against a
// loop calling fwrite_unlocked / fread_unlocked once per value; compressed
// files against zlib's deflate / inflate over the same bytes in 64 KiB pieces
// and against gzwrite / gzread once per value, at zlib levels -1, 1 and 9.

#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/platform/Utf16.h>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRecordBytes = 4 + 8 + 1 + 2;
constexpr std::size_t kRecords = (64u << 20) / kRecordBytes;
constexpr std::size_t kBytes = kRecords * kRecordBytes;
constexpr std::size_t kPiece = 64 * 1024;

struct Values
{
    Values()
    {
        for (std::size_t i = 0; i < kRecords; ++i) {
            ints.push_back(static_cast<int>(i % 1000 * 7));
            doubles.push_back(static_cast<double>(i % 5000) * 0.25);
            bools.push_back(i % 3 == 0);
            shorts.push_back(static_cast<short>(i % 300));
        }
    }

    std::vector<int> ints;
    std::vector<double> doubles;
    std::vector<char> bools;
    std::vector<short> shorts;
};

const Values& values()
{
    static const Values instance;
    return instance;
}

const std::string& path(const char* name)
{
    static const std::string plain = (std::filesystem::temp_directory_path() / "cbf-bench-plain.bin").string();
    static const std::string packed = (std::filesystem::temp_directory_path() / "cbf-bench-packed.bin").string();
    return std::string(name) == "plain" ? plain : packed;
}

CStringW widePath(const char* name)
{
    const std::u16string units = std::filesystem::path(path(name)).u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(cbf::platform::FromUtf16(units.data(), units.size(), text.data()));
    return CStringW(text.data(), static_cast<int>(text.size()));
}

int zlibLevel(std::int64_t level)
{
    return level == 0 ? Z_DEFAULT_COMPRESSION : level == 1 ? 1 : 9;
}

void finish(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void writeOurs(OsStreamWriteBinaryFile::ECompressionMode mode, OsStreamWriteBinaryFile::ECompressionLevel level,
               const char* name)
{
    const Values& v = values();
    OsStreamWriteBinaryFile out(widePath(name), OsStreamWriteBinaryFile::eAccessModeOverwrite, mode, level);
    for (std::size_t i = 0; i < kRecords; ++i)
        out << v.ints[i] << v.doubles[i] << (v.bools[i] != 0) << v.shorts[i];
}

void readOurs(const char* name)
{
    OsStreamReadBinaryFile in(widePath(name));
    int i32 = 0;
    double f64 = 0;
    bool flag = false;
    short i16 = 0;
    for (std::size_t i = 0; i < kRecords; ++i) {
        in >> i32 >> f64 >> flag >> i16;
        benchmark::DoNotOptimize(i32 + f64 + flag + i16);
    }
}

// The bytes of the plain file, as our writer makes them.
std::vector<unsigned char> plainBytes()
{
    writeOurs(OsStreamWriteBinaryFile::eCompressionModeNone, OsStreamWriteBinaryFile::eCompressionLevelDefault,
              "plain");
    std::vector<unsigned char> bytes(kBytes);
    std::FILE* source = std::fopen(path("plain").c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), source));
    std::fclose(source);
    return bytes;
}

void BM_PlainWrite_Ours(benchmark::State& state)
{
    for (auto _ : state)
        writeOurs(OsStreamWriteBinaryFile::eCompressionModeNone, OsStreamWriteBinaryFile::eCompressionLevelDefault,
                  "plain");
    finish(state);
}
BENCHMARK(BM_PlainWrite_Ours)->Unit(benchmark::kMillisecond);

void BM_PlainWrite_FwriteUnlocked(benchmark::State& state)
{
    const Values& v = values();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path("plain").c_str(), "wb");
        std::setvbuf(file, nullptr, _IOFBF, 4096);
        for (std::size_t i = 0; i < kRecords; ++i) {
            const bool flag = v.bools[i] != 0;
            fwrite_unlocked(&v.ints[i], sizeof(int), 1, file);
            fwrite_unlocked(&v.doubles[i], sizeof(double), 1, file);
            fwrite_unlocked(&flag, 1, 1, file);
            fwrite_unlocked(&v.shorts[i], sizeof(short), 1, file);
        }
        std::fclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PlainWrite_FwriteUnlocked)->Unit(benchmark::kMillisecond);

// The floor under every plain writer: the same bytes, already encoded, in
// 4096-byte writes (what the file streams' buffer hands the system). No
// writer that keeps that buffer can be faster than this.
void BM_PlainWrite_EncodedBlocks(benchmark::State& state)
{
    std::vector<unsigned char> bytes = plainBytes();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path("plain").c_str(), "wb");
        std::setvbuf(file, nullptr, _IOFBF, 4096);
        for (std::size_t at = 0; at < kBytes; at += 4096)
            fwrite_unlocked(bytes.data() + at, 1, std::min<std::size_t>(4096, kBytes - at), file);
        std::fclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PlainWrite_EncodedBlocks)->Unit(benchmark::kMillisecond);

void BM_PlainRead_Ours(benchmark::State& state)
{
    writeOurs(OsStreamWriteBinaryFile::eCompressionModeNone, OsStreamWriteBinaryFile::eCompressionLevelDefault,
              "plain");
    for (auto _ : state)
        readOurs("plain");
    finish(state);
}
BENCHMARK(BM_PlainRead_Ours)->Unit(benchmark::kMillisecond);

void BM_PlainRead_FreadUnlocked(benchmark::State& state)
{
    writeOurs(OsStreamWriteBinaryFile::eCompressionModeNone, OsStreamWriteBinaryFile::eCompressionLevelDefault,
              "plain");
    for (auto _ : state) {
        std::FILE* file = std::fopen(path("plain").c_str(), "rb");
        std::setvbuf(file, nullptr, _IOFBF, 4096);
        int i32 = 0;
        double f64 = 0;
        bool flag = false;
        short i16 = 0;
        for (std::size_t i = 0; i < kRecords; ++i) {
            fread_unlocked(&i32, sizeof(int), 1, file);
            fread_unlocked(&f64, sizeof(double), 1, file);
            fread_unlocked(&flag, 1, 1, file);
            fread_unlocked(&i16, sizeof(short), 1, file);
            benchmark::DoNotOptimize(i32 + f64 + flag + i16);
        }
        std::fclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PlainRead_FreadUnlocked)->Unit(benchmark::kMillisecond);

void BM_PackedWrite_Ours(benchmark::State& state)
{
    const auto level = static_cast<OsStreamWriteBinaryFile::ECompressionLevel>(state.range(0));
    for (auto _ : state)
        writeOurs(OsStreamWriteBinaryFile::eCompressionModeZIP, level, "packed");
    finish(state);
}
BENCHMARK(BM_PackedWrite_Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same bytes as the plain file, deflated in 64 KiB pieces into a file.
void BM_PackedWrite_Deflate(benchmark::State& state)
{
    std::vector<unsigned char> bytes = plainBytes();
    std::vector<unsigned char> out(kPiece);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path("packed").c_str(), "wb");
        z_stream zlib{};
        deflateInit(&zlib, zlibLevel(state.range(0)));
        for (std::size_t at = 0; at < kBytes; at += kPiece) {
            zlib.next_in = bytes.data() + at;
            zlib.avail_in = static_cast<unsigned>(std::min(kPiece, kBytes - at));
            const int flush = at + kPiece >= kBytes ? Z_FINISH : Z_NO_FLUSH;
            do {
                zlib.next_out = out.data();
                zlib.avail_out = kPiece;
                deflate(&zlib, flush);
                std::fwrite(out.data(), 1, kPiece - zlib.avail_out, file);
            } while (zlib.avail_out == 0);
        }
        deflateEnd(&zlib);
        std::fclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PackedWrite_Deflate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PackedWrite_Gzwrite(benchmark::State& state)
{
    const Values& v = values();
    const std::string mode = "wb" + std::to_string(state.range(0) == 0 ? 6 : zlibLevel(state.range(0)));
    for (auto _ : state) {
        gzFile file = gzopen(path("packed").c_str(), mode.c_str());
        for (std::size_t i = 0; i < kRecords; ++i) {
            const bool flag = v.bools[i] != 0;
            gzwrite(file, &v.ints[i], sizeof(int));
            gzwrite(file, &v.doubles[i], sizeof(double));
            gzwrite(file, &flag, 1);
            gzwrite(file, &v.shorts[i], sizeof(short));
        }
        gzclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PackedWrite_Gzwrite)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PackedRead_Ours(benchmark::State& state)
{
    writeOurs(OsStreamWriteBinaryFile::eCompressionModeZIP,
              static_cast<OsStreamWriteBinaryFile::ECompressionLevel>(state.range(0)), "packed");
    for (auto _ : state)
        readOurs("packed");
    finish(state);
}
BENCHMARK(BM_PackedRead_Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Inflates the payload of the same container in 64 KiB pieces.
void BM_PackedRead_Inflate(benchmark::State& state)
{
    writeOurs(OsStreamWriteBinaryFile::eCompressionModeZIP,
              static_cast<OsStreamWriteBinaryFile::ECompressionLevel>(state.range(0)), "packed");
    std::vector<unsigned char> in(kPiece);
    std::vector<unsigned char> out(kPiece);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path("packed").c_str(), "rb");
        std::fseek(file, 28, SEEK_SET);
        z_stream zlib{};
        inflateInit(&zlib);
        int result = Z_OK;
        while (result == Z_OK) {
            zlib.next_in = in.data();
            zlib.avail_in = static_cast<unsigned>(std::fread(in.data(), 1, kPiece, file));
            if (zlib.avail_in == 0)
                break;
            do {
                zlib.next_out = out.data();
                zlib.avail_out = kPiece;
                result = inflate(&zlib, Z_NO_FLUSH);
                benchmark::DoNotOptimize(out.data());
            } while (result == Z_OK && zlib.avail_out == 0);
        }
        inflateEnd(&zlib);
        std::fclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PackedRead_Inflate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PackedRead_Gzread(benchmark::State& state)
{
    const Values& v = values();
    const std::string mode = "wb" + std::to_string(state.range(0) == 0 ? 6 : zlibLevel(state.range(0)));
    gzFile out = gzopen(path("packed").c_str(), mode.c_str());
    for (std::size_t i = 0; i < kRecords; ++i) {
        const bool flag = v.bools[i] != 0;
        gzwrite(out, &v.ints[i], sizeof(int));
        gzwrite(out, &v.doubles[i], sizeof(double));
        gzwrite(out, &flag, 1);
        gzwrite(out, &v.shorts[i], sizeof(short));
    }
    gzclose(out);
    for (auto _ : state) {
        gzFile file = gzopen(path("packed").c_str(), "rb");
        int i32 = 0;
        double f64 = 0;
        bool flag = false;
        short i16 = 0;
        for (std::size_t i = 0; i < kRecords; ++i) {
            gzread(file, &i32, sizeof(int));
            gzread(file, &f64, sizeof(double));
            gzread(file, &flag, 1);
            gzread(file, &i16, sizeof(short));
            benchmark::DoNotOptimize(i32 + f64 + flag + i16);
        }
        gzclose(file);
    }
    finish(state);
}
BENCHMARK(BM_PackedRead_Gzread)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
