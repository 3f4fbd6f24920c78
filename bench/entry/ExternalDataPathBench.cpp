// GetExternalDataPath on a parameter file of 100,000 records whose match is
// the last one, plain and compressed, against the physical limit of the call:
// reading the same file's bytes with fread_unlocked in 64 KiB pieces (and
// inflating them with zlib for the compressed file) without parsing anything.
// Compare the medians of repeated runs (--benchmark_repetitions=5).

#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/platform/Utf16.h>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr std::size_t kPiece = 64 * 1024;
constexpr std::size_t kHeaderSize = 28;

std::string path(std::int64_t compressed)
{
    return (std::filesystem::temp_directory_path() /
            (compressed != 0 ? "cbf-bench-params-zip.par" : "cbf-bench-params.par"))
        .string();
}

CStringW wideOf(const std::string& narrow)
{
    const std::u16string units = std::filesystem::path(narrow).u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(cbf::platform::FromUtf16(units.data(), units.size(), text.data()));
    return CStringW(text.data(), static_cast<int>(text.size()));
}

// Records of the kinds a program keeps (texts, integers, numbers), each named
// like the one looked for, which comes last.
void writeFile(std::int64_t compressed)
{
    static bool written[2] = {false, false};
    if (written[compressed])
        return;
    CbParameterFile file;
    file.firstGroups.push_back({L"Defaults", {}});
    file.parameters.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        CbVariant value;
        switch (i % 3) {
        case 0:
            value = (L"C:\\Measurements\\Run " + std::to_wstring(i)).c_str();
            break;
        case 1:
            value = i;
            break;
        default:
            value = i * 0.5;
        }
        const bool last = i == kRecords - 1;
        const std::wstring name = last ? L"ExternalDataPath" : L"ExternalValue" + std::to_wstring(i);
        file.parameters.emplace_back(name.c_str(), value, false, i);
        if (last)
            file.parameters.back().value = L"D:\\Data\\External";
    }
    file.Save(wideOf(path(compressed)),
              {compressed != 0 ? CbParameterFile::eContainerCompressed : CbParameterFile::eContainerPlain,
               CbParameterFile::eCompressionLevelDefault});
    written[compressed] = true;
}

void BM_ExternalDataPath_Ours(benchmark::State& state)
{
    writeFile(state.range(0));
    const std::string file = path(state.range(0));
    for (auto _ : state) {
        std::uint32_t status = 99;
        const BSTR result = GetExternalDataPath(file.c_str(), &status);
        if (status != OK)
            state.SkipWithError("the record was not found");
        SysFreeString(result);
    }
}
BENCHMARK(BM_ExternalDataPath_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Reads the whole file; for the compressed one, inflates the payload after
// the container header into a piece buffer that is overwritten each time.
void BM_ExternalDataPath_ReadBytes(benchmark::State& state)
{
    writeFile(state.range(0));
    const std::string file = path(state.range(0));
    std::vector<unsigned char> in(kPiece);
    std::vector<unsigned char> out(kPiece);
    for (auto _ : state) {
        std::FILE* stream = std::fopen(file.c_str(), "rb");
        z_stream zlib{};
        const bool inflating = state.range(0) != 0;
        if (inflating) {
            inflateInit(&zlib);
            fread_unlocked(in.data(), 1, kHeaderSize, stream);
        }
        std::size_t total = 0;
        for (std::size_t got; (got = fread_unlocked(in.data(), 1, kPiece, stream)) > 0;) {
            total += got;
            if (!inflating)
                continue;
            zlib.next_in = in.data();
            zlib.avail_in = static_cast<uInt>(got);
            do {
                zlib.next_out = out.data();
                zlib.avail_out = static_cast<uInt>(out.size());
                inflate(&zlib, Z_NO_FLUSH);
                total += out.size() - zlib.avail_out;
            } while (zlib.avail_out == 0);
        }
        if (inflating)
            inflateEnd(&zlib);
        std::fclose(stream);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ExternalDataPath_ReadBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
