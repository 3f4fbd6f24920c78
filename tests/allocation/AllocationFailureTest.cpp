// Makes each allocation of the main operations fail in turn: the operation must
// throw what it documents, keep its guarantee and leak nothing.

#include <cbfoundation/cbfoundation.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// Allocations left until the failing one; 0 when disarmed. Atomic, so that
// an allocation on another thread than the test's stays well defined.
std::atomic<std::size_t> g_countdown{0};
std::atomic<bool> g_failed{false};

// Every form of the global operator new of this executable, and with them
// those the library calls, comes here.
void* allocate(std::size_t size, std::size_t alignment) noexcept
{
    std::size_t left = g_countdown.load(std::memory_order_relaxed);
    while (left != 0 && !g_countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
    }
    if (left == 1) {
        g_failed.store(true, std::memory_order_relaxed);
        return nullptr;
    }
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size == 0 ? 1 : size);
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment)
{
    void* memory = allocate(size, alignment);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

// What an operation may end in when one of its allocations fails.
enum Ending : unsigned
{
    kBadAlloc = 1,
    kOutOfMemory = 2,
    kCloneFailed = 4,     // the variant's "no usable clone function"
    kConversionFailed = 8 // ConvertTo's translation of what is not a CbException
};

unsigned endingOf(const std::exception_ptr& thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const CbExceptionOutOfMemory&) {
        return kOutOfMemory;
    } catch (const CbVariant::CbExceptionConversion& e) {
        return e.GetCodeLine() == 631 && !e.GetHistory() ? kConversionFailed : 0u;
    } catch (const CbException& e) {
        return e.GetCodeLine() == 416 && CStringA(e.GetFilename()) == "CbVariant.cpp" ? kCloneFailed : 0u;
    } catch (const std::bad_alloc&) {
        return kBadAlloc;
    } catch (...) {
        return 0;
    }
}

// One run of an operation with the `n`th allocation failing. Only the
// operation runs armed: the set-up before and the checks after allocate freely.
struct Armed
{
    std::size_t n;
    bool injected = false;
    std::exception_ptr thrown;

    // Runs `operation` armed and tells whether it threw.
    template <class Operation>
    bool operator()(Operation&& operation)
    {
        g_failed.store(false, std::memory_order_relaxed);
        g_countdown.store(n, std::memory_order_relaxed);
        try {
            operation();
        } catch (...) {
            thrown = std::current_exception();
        }
        g_countdown.store(0, std::memory_order_relaxed);
        injected = g_failed.load(std::memory_order_relaxed);
        return thrown != nullptr;
    }
};

// One operation: `body` builds its objects, runs it through the Armed it is
// given and checks the state it leaves.
struct Case
{
    std::string name;
    unsigned endings;
    std::function<void(Armed&)> body;
};

// N = 1, 2, 3, ... until the operation runs through without meeting the failure.
void runUntilSuccess(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        for (std::size_t n = 1;; ++n) {
            SCOPED_TRACE(c.name + ", allocation " + std::to_string(n));
            Armed run{n, false, nullptr};
            c.body(run);
            if (!run.injected) {
                EXPECT_FALSE(run.thrown);
                break;
            }
            EXPECT_TRUE(!run.thrown || (endingOf(run.thrown) & c.endings) != 0);
            ASSERT_LT(n, 1000u);
        }
    }
}

// An edit with the strong guarantee: a failure leaves the value as `make`
// makes it, success as the same edit does unarmed, and a copy that shared the
// value's data keeps it either way.
template <class T, class Equal = std::equal_to<T>>
Case strong(std::string name, unsigned endings, std::function<T()> make, std::function<void(T&)> edit, Equal equal = {})
{
    T expected = make();
    edit(expected);
    return {std::move(name), endings, [=](Armed& run) {
                T value = make();
                const T sharer = value;
                EXPECT_TRUE(equal(value, run([&] { edit(value); }) ? make() : expected));
                EXPECT_TRUE(equal(sharer, make()));
            }};
}

// Variants holding objects hold exceptions here, told apart by their line.
bool same(const CbVariant& left, const CbVariant& right)
{
    const auto line = [](const CbVariant& v) {
        return dynamic_cast<const CbException&>(static_cast<const IObject&>(v)).GetCodeLine();
    };
    if (left.GetType() == CbVariant::eVariantTypeObject && right.GetType() == CbVariant::eVariantTypeObject)
        return line(left) == line(right);
    return left == right;
}

template <class Value>
CbVariant variant(const Value& value)
{
    CbVariant v;
    v = value;
    return v;
}

CbVariant::ByteArray bytes(unsigned count, unsigned char first)
{
    CbVariant::ByteArray array;
    array.SetSize(count);
    for (unsigned i = 0; i < count; ++i)
        array[i] = static_cast<unsigned char>(first + i);
    return array;
}

TEST(AllocationFailure, RegistrationIsAllOrNothing)
{
    using Descriptor = std::optional<CbRTTI>;
    const CbRTTI& a = CbException::RTTI;
    const wchar_t* const name = L"AllocationFailureTest::Registered";
    const auto construct = [&](Descriptor& d) {
        d.emplace(name, a, CbExceptionStream::RTTI, CbStreamWrite::RTTI, nullptr, nullptr);
    };
    runUntilSuccess(
        {{"alone", kBadAlloc | kOutOfMemory,
          [&](Armed& run) {
              Descriptor d;
              run([&] { construct(d); });
              EXPECT_EQ(CbRTTI::Find(name), d ? &*d : nullptr);
              d.reset();
              EXPECT_EQ(CbRTTI::Find(name), nullptr);
          }},
         // A second descriptor of a name takes it over when the first goes only if it was constructed whole.
         {"second of a name", kBadAlloc | kOutOfMemory, [&](Armed& run) {
              Descriptor first(std::in_place, name, nullptr, nullptr);
              Descriptor second;
              run([&] { construct(second); });
              first.reset();
              EXPECT_EQ(CbRTTI::Find(name), second ? &*second : nullptr);
          }}});
}

TEST(AllocationFailure, StringEditsLeaveTheStringUnchanged)
{
    // Longer than the texts that copies copy rather than share, so that every
    // edit of a copy first needs a text of its own.
    const CStringW original(L'x', CStringW::kLongestCopiedText + 10);
    const auto make = [&] { return original; };
    runUntilSuccess(
        {strong<CStringW>("append itself", kBadAlloc, make, [](CStringW& s) { s += s; }),
         strong<CStringW>("format", kBadAlloc, make, [](CStringW& s) { s.Format(L"%d %S %s", 42, "narrow", L"wide"); }),
         strong<CStringA>(
             "narrow from wide", kBadAlloc, [] { return CStringA("old"); }, [&](CStringA& s) { s = original; })});
}

TEST(AllocationFailure, VariantsStayValid)
{
    const struct
    {
        const char* name;
        CbVariant value;
        unsigned endings;
    } sources[] = {
        {"wide string", variant(CStringW(L'w', 100)), kBadAlloc},
        {"byte array", variant(bytes(3000, 2)), kBadAlloc | kOutOfMemory},
        {"object", variant<IObject>(CbException("Object.cpp", 5, "f")), kCloneFailed},
    };
    const CbVariant before = variant(7);
    std::vector<Case> cases;
    // A failed assignment leaves null.
    for (const auto& source : sources)
        cases.push_back({source.name, source.endings, [&](Armed& run) {
                             CbVariant target = before;
                             EXPECT_TRUE(run([&] { target = source.value; }) ? target.IsNull()
                                                                             : same(target, source.value));
                         }});
    // A failed conversion keeps the value.
    cases.push_back(strong<CbVariant>(
        "int to text", kBadAlloc | kConversionFailed, [] { return variant(-123456); },
        [](CbVariant& v) { v.ConvertTo(CbVariant::eVariantTypeStringW); }, same));
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ByteArrayGrowthKeepsTheElements)
{
    using Array = CbVariant::ByteArray;
    const Array large = bytes(5000, 3);
    // Growth leaves the new elements' values unspecified: the first ten are the kept ones.
    const auto equal = [](const Array& left, const Array& right) {
        return left.GetCount() == right.GetCount() && std::memcmp(left.GetData(), right.GetData(), 10) == 0;
    };
    runUntilSuccess(
        {strong<Array>(
             "set size", kOutOfMemory, [] { return bytes(10, 100); }, [](Array& a) { a.SetSize(4000); }, equal),
         strong<Array>(
             "assign larger", kOutOfMemory, [] { return bytes(10, 100); }, [&](Array& a) { a = large; }, equal)});
}

TEST(AllocationFailure, FilesOpenOrThrow)
{
    cbf::test::FileSystemSandbox sandbox;
    const CStringW path = sandbox(L"file.bin");
    runUntilSuccess({{"compressed file written and read", kBadAlloc | kOutOfMemory, [&](Armed& run) {
                          unsigned char read[4] = {};
                          const bool thrown = run([&] {
                              {
                                  OsStreamWriteBinaryFile out(path, OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                                              OsStreamWriteBinaryFile::eCompressionModeZIP,
                                                              OsStreamWriteBinaryFile::eCompressionLevelDefault);
                                  out.WriteBuffer("data", 4);
                              }
                              OsStreamReadBinaryFile(path).ReadBuffer(read, 4);
                          });
                          EXPECT_TRUE(thrown || std::memcmp(read, "data", 4) == 0);
                      }}});
}

TEST(AllocationFailure, ExceptionsWithHistory)
{
    const CbExceptionWrongFileVersion cause(L"Reader.cpp", 3, CbExceptionStream(L"Deep.cpp", 1));
    // A history that cannot be copied is dropped; the exception itself stands.
    runUntilSuccess({{"history copied through the registry", kBadAlloc, [&](Armed& run) {
                          std::optional<CbExceptionStream> e;
                          run([&] { e.emplace(L"Writer.cpp", 12, cause); });
                          const CbSmartPointer<const CbException> history = e ? e->GetHistory() : nullptr;
                          EXPECT_TRUE(!e || history || run.injected) << "history dropped without a failure";
                          EXPECT_TRUE(!history || (history->Is(CbExceptionWrongFileVersion::RTTI) &&
                                                   history->GetHistory().Get() == cause.GetHistory().Get()));
                      }}});
}

} // namespace

#define CBF_TEST_EXPORT __attribute__((visibility("default")))

// clang-format off
CBF_TEST_EXPORT void* operator new(std::size_t size) { return allocateOrThrow(size, 0); }
CBF_TEST_EXPORT void* operator new[](std::size_t size) { return allocateOrThrow(size, 0); }
CBF_TEST_EXPORT void* operator new(std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
CBF_TEST_EXPORT void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocate(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocate(size, std::size_t(a)); }

CBF_TEST_EXPORT void operator delete(void* p) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::size_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
// clang-format on
