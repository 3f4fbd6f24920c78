// The object model against the standard library's nearest equivalents:
// registry lookups against std::unordered_map, smart-pointer copies and final
// releases against std::shared_ptr, and the cost of IsKindOf.

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbSmartPointer.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kClientClasses = 1000;

// The library's own classes plus 1000 client classes, and the same names in
// a std::unordered_map.
struct Names
{
    Names()
    {
        for (const wchar_t* name :
             {L"CbException", L"CbExceptionCondition", L"CbExceptionOutOfMemory", L"CbExceptionPreconditionViolation",
              L"CbExceptionStream", L"CbExceptionWrongFileVersion"})
            texts.emplace_back(name);
        for (int i = 0; i < kClientClasses; ++i)
            texts.push_back(L"Client.Module.Class" + std::to_wstring(i));
        // The descriptors keep names of their own, as a client's literals
        // would be: lookups never find the very text they ask with.
        registeredTexts.assign(texts.begin() + 6, texts.end());
        for (const std::wstring& text : registeredTexts)
            clientTypes.push_back(std::make_unique<CbRTTI>(text.c_str(), nullptr, nullptr));
        for (const std::wstring& text : texts)
            map.emplace(text, CbRTTI::Find(text.c_str()));
    }

    std::vector<std::wstring> texts;
    std::vector<std::wstring> registeredTexts;
    std::vector<std::unique_ptr<CbRTTI>> clientTypes;
    std::unordered_map<std::wstring, const CbRTTI*> map;
};

Names& names()
{
    static Names instance;
    return instance;
}

void BM_CbRTTI_Find(benchmark::State& state)
{
    const std::vector<std::wstring>& texts = names().texts;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CbRTTI::Find(texts[i].c_str()));
        i = i + 1 == texts.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_CbRTTI_Find);

void BM_UnorderedMap_Find(benchmark::State& state)
{
    const std::vector<std::wstring>& texts = names().texts;
    const auto& map = names().map;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.find(texts[i]));
        i = i + 1 == texts.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_UnorderedMap_Find);

class Counted : public CbReferenceCounted
{};

// The object that the copy benchmarks share gets cache lines of its own, and
// so do the counts of std::make_shared's control block for it. Otherwise
// whatever the heap happens to place next to the object shares its line, and
// the figures of two threads copying at once change from run to run.
class alignas(64) SharedCounted : public CbReferenceCounted
{};

// libstdc++ skips the atomic instructions of std::shared_ptr in a process
// that never started a thread; start one so both sides pay for atomics.
void ensureThreadsExisted()
{
    static const bool started = [] {
        std::thread([] {}).join();
        return true;
    }();
    benchmark::DoNotOptimize(started);
}

void BM_CbSmartPointer_CopyRelease(benchmark::State& state)
{
    ensureThreadsExisted();
    static CbSmartPointer<SharedCounted> shared(new SharedCounted);
    for (auto _ : state) {
        CbSmartPointer<SharedCounted> copy(shared);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CbSmartPointer_CopyRelease);
BENCHMARK(BM_CbSmartPointer_CopyRelease)->Threads(2)->UseRealTime();

void BM_SharedPtr_CopyRelease(benchmark::State& state)
{
    ensureThreadsExisted();
    static std::shared_ptr<SharedCounted> shared = std::make_shared<SharedCounted>();
    for (auto _ : state) {
        std::shared_ptr<SharedCounted> copy(shared);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_SharedPtr_CopyRelease);
BENCHMARK(BM_SharedPtr_CopyRelease)->Threads(2)->UseRealTime();

// An object's whole life with one owner: the last release takes its pool
// lock; the baseline is std::make_shared with one shared_ptr.
void BM_CbSmartPointer_NewFinalRelease(benchmark::State& state)
{
    ensureThreadsExisted();
    for (auto _ : state) {
        CbSmartPointer<Counted> only(new Counted);
        benchmark::DoNotOptimize(only);
    }
}
BENCHMARK(BM_CbSmartPointer_NewFinalRelease);

void BM_SharedPtr_MakeFinalRelease(benchmark::State& state)
{
    ensureThreadsExisted();
    for (auto _ : state) {
        std::shared_ptr<Counted> only = std::make_shared<Counted>();
        benchmark::DoNotOptimize(only);
    }
}
BENCHMARK(BM_SharedPtr_MakeFinalRelease);

// A three-level hierarchy: Leaf <- Middle <- Root, queried from the leaf.
const CbRTTI root(L"Bench.Root", nullptr, nullptr);
const CbRTTI middle(L"Bench.Middle", root, nullptr, nullptr);
const CbRTTI leaf(L"Bench.Leaf", middle, nullptr, nullptr);

void BM_IsKindOf_Descriptor(benchmark::State& state)
{
    const CbRTTI* target = &root;
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        benchmark::DoNotOptimize(leaf.IsKindOf(*target));
    }
}
BENCHMARK(BM_IsKindOf_Descriptor);

void BM_IsKindOf_Name(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(leaf.IsKindOf(L"Bench.Root"));
}
BENCHMARK(BM_IsKindOf_Name);

} // namespace
