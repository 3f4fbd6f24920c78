// Makes each allocation of the main operations fail in turn: the operation must
// throw what it documents, keep its guarantee and leak nothing.

#include <cbfoundation/cbfoundation.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
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
    const CbRTTI& b = CbExceptionStream::RTTI;
    const CbRTTI& c = CbStreamWrite::RTTI;
    const wchar_t* const name = L"AllocationFailureTest::Registered";
    const std::function<void(Descriptor&)> constructors[] = {
        [&](Descriptor& d) { d.emplace(name, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, b, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, b, c, nullptr, nullptr); },
    };
    std::vector<Case> cases;
    for (std::size_t bases = 0; bases < std::size(constructors); ++bases) {
        const auto& construct = constructors[bases];
        cases.push_back({std::to_string(bases) + " bases", kBadAlloc | kOutOfMemory, [&, bases](Armed& run) {
                             Descriptor d;
                             run([&] { construct(d); });
                             EXPECT_EQ(CbRTTI::Find(name), d ? &*d : nullptr);
                             EXPECT_TRUE(!d || bases == 0 || d->IsKindOf(a));
                             d.reset();
                             EXPECT_EQ(CbRTTI::Find(name), nullptr);
                         }});
        // A second descriptor of a registered name must not take the name
        // over when the first goes, unless it was constructed whole.
        cases.push_back({std::to_string(bases) + " bases, second of a name", kBadAlloc | kOutOfMemory, [&](Armed& run) {
                             Descriptor first(std::in_place, name, nullptr, nullptr);
                             Descriptor second;
                             run([&] { construct(second); });
                             EXPECT_EQ(CbRTTI::Find(name), &*first);
                             first.reset();
                             EXPECT_EQ(CbRTTI::Find(name), second ? &*second : nullptr);
                         }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, StringEditsLeaveTheStringUnchanged)
{
    // Longer than the texts that copies copy rather than share, so that every
    // edit of a copy first needs a text of its own.
    const CStringW original(L'x', CStringW::kLongestCopiedText + 10);
    const std::function<CStringW()> make = [&] { return original; };
    const std::pair<const char*, std::function<void(CStringW&)>> edits[] = {
        {"assign", [](CStringW& s) { s = L"assigned"; }},
        {"assign narrow", [](CStringW& s) { s = "assigned"; }},
        {"append", [](CStringW& s) { s += L"appended"; }},
        {"append itself", [](CStringW& s) { s += s; }},
        {"insert", [](CStringW& s) { s.Insert(3, L"inserted"); }},
        {"replace", [](CStringW& s) { s.Replace(L"x", L"yz"); }},
        {"replace character", [](CStringW& s) { s.Replace(L'x', L'y'); }},
        {"delete", [](CStringW& s) { s.Delete(2, 5); }},
        {"upper case", [](CStringW& s) { s.MakeUpper(); }},
        {"format", [](CStringW& s) { s.Format(L"%d %S %s", 42, "narrow", L"wide"); }},
        {"append format", [](CStringW& s) { s.AppendFormat(L"%08.3f", 3.25); }},
        {"get buffer", [](CStringW& s) { s.GetBuffer(200)[0] = L'b'; }},
        {"concatenate", [](CStringW& s) { s = L"<" + s + L">"; }},
    };
    std::vector<Case> cases;
    for (const auto& [name, edit] : edits)
        cases.push_back(strong<CStringW>(name, kBadAlloc, make, edit));
    cases.push_back(strong<CStringA>(
        "narrow from wide", kBadAlloc, [] { return CStringA("old"); }, [&](CStringA& s) { s = original; }));
    runUntilSuccess(cases);
}

TEST(AllocationFailure, VariantsStayValid)
{
    const struct
    {
        const char* name;
        CbVariant value;
        CbVariant sameType; // another value of the same type
        unsigned endings;
    } sources[] = {
        {"wide string", variant(L"wide text"), variant(CStringW(L'w', 100)), kBadAlloc},
        {"narrow string", variant("narrow text"), variant(CStringA('n', 300)), kBadAlloc},
        {"small byte array", variant(bytes(20, 1)), variant(bytes(5, 9)), kBadAlloc | kOutOfMemory},
        {"large byte array", variant(bytes(3000, 2)), variant(bytes(10, 7)), kBadAlloc | kOutOfMemory},
        {"date", variant(CbDateTime(1700000000LL)), variant(CbDateTime(86400LL)), kBadAlloc},
        {"object", variant<IObject>(CbException("Object.cpp", 5, "f")),
         variant<IObject>(CbException("Object.cpp", 6, "f")), kCloneFailed},
    };
    const CbVariant otherType = variant(7);
    std::vector<Case> cases;
    for (const auto& source : sources) {
        const std::string name = source.name;
        const bool isObject = source.value.GetType() == CbVariant::eVariantTypeObject;
        cases.push_back({name + ": copy", source.endings, [&](Armed& run) {
                             std::optional<CbVariant> copy;
                             EXPECT_TRUE(run([&] { copy.emplace(source.value); }) ? !copy : same(*copy, source.value));
                         }});
        // Over another type a failure leaves null; over the same type the
        // value changes in place, except objects, which are cloned anew.
        for (const CbVariant* before : {&source.sameType, &otherType}) {
            const bool inPlace = before == &source.sameType && !isObject;
            cases.push_back(
                {name + (before == &otherType ? ": assign over another type" : ": assign over the same type"),
                 source.endings, [&, before, inPlace](Armed& run) {
                     CbVariant target = *before;
                     EXPECT_TRUE(!run([&] { target = source.value; })
                                     ? same(target, source.value)
                                     : target.IsNull() || (inPlace && same(target, *before)));
                 }});
        }
        if (isObject)
            continue;
        CbStreamWriteBinaryMemory record;
        source.value.Serialize(record);
        const std::vector<unsigned char> recordBytes(record.GetData(), record.GetData() + record.GetSize());
        cases.push_back({name + ": write", kBadAlloc, [&, recordBytes](Armed& run) {
                             CbStreamWriteBinaryMemory out;
                             out << 1u;
                             EXPECT_TRUE(run([&] { source.value.Serialize(out); }) ||
                                         std::vector<unsigned char>(out.GetData() + 4, out.GetData() + out.GetSize()) ==
                                             recordBytes);
                         }});
        // A failure inside the value may leave the record's type with part of
        // the value; a date that cannot be made reads as null.
        cases.push_back(
            {name + ": read", source.endings, [&, recordBytes](Armed& run) {
                 CbVariant target = source.sameType;
                 CbStreamReadBinaryMemory in(recordBytes.data(), recordBytes.size());
                 run([&] { target.Serialize(in); });
                 const bool mayBeNull =
                     run.thrown || (run.injected && source.value.GetType() == CbVariant::eVariantTypeDateTime);
                 EXPECT_TRUE((mayBeNull && target.IsNull()) ||
                             (run.thrown ? target.GetType() == source.value.GetType() : same(target, source.value)));
             }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ConversionsKeepTheValue)
{
    const struct
    {
        const char* name;
        CbVariant source;
        CbVariant::EVariantType target;
    } conversions[] = {
        {"int to wide text", variant(-123456), CbVariant::eVariantTypeStringW},
        {"double to narrow text", variant(2.5), CbVariant::eVariantTypeStringA},
        {"date to narrow text", variant(CbDateTime(1700000000LL)), CbVariant::eVariantTypeStringA},
        {"narrow to wide text", variant("narrow text"), CbVariant::eVariantTypeStringW},
        {"wide text to date", variant(L"2024-02-29 13:05:09"), CbVariant::eVariantTypeDateTime},
        {"wide text to double", variant(L"0.125"), CbVariant::eVariantTypeDouble},
    };
    std::vector<Case> cases;
    for (const auto& c : conversions)
        cases.push_back(strong<CbVariant>(
            c.name, kBadAlloc | kConversionFailed, [&] { return c.source; },
            [&](CbVariant& v) { v.ConvertTo(c.target); }, same));
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ByteArrayGrowthKeepsTheElements)
{
    using Array = CbVariant::ByteArray;
    Array large = bytes(5000, 3);
    large.SetUserValue(7);
    // Growth leaves the new elements' values unspecified: the first ten are the kept ones.
    const auto equal = [](const Array& left, const Array& right) {
        return left.GetCount() == right.GetCount() && left.GetUserValue() == right.GetUserValue() &&
               std::memcmp(left.GetData(), right.GetData(), 10) == 0;
    };
    const std::pair<const char*, std::function<void(Array&)>> growths[] = {
        {"set size small", [](Array& a) { a.SetSize(40); }},
        {"set size large", [](Array& a) { a.SetSize(4000); }},
        {"set capacity", [](Array& a) { a.SetCapacity(1000); }},
        {"assign larger", [&](Array& a) { a = large; }},
    };
    std::vector<Case> cases;
    for (const auto& [name, grow] : growths)
        cases.push_back(strong<Array>(
            name, kOutOfMemory, [] { return bytes(10, 100); }, grow, equal));
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ExceptionsWithHistory)
{
    const CbExceptionWrongFileVersion cause(L"Reader.cpp", 3, CbExceptionStream(L"Deep.cpp", 1));
    const std::runtime_error standard("disk full");
    // A history that cannot be copied is dropped; the exception itself stands.
    const std::vector<Case> cases = {
        {"history copied through the registry", kBadAlloc,
         [&](Armed& run) {
             std::optional<CbExceptionStream> e;
             run([&] { e.emplace(L"Writer.cpp", 12, cause); });
             if (e) {
                 EXPECT_STREQ(e->GetFilename(), "Writer.cpp");
                 const CbSmartPointer<const CbException> history = e->GetHistory();
                 EXPECT_TRUE(history || run.injected) << "history dropped without a failure";
                 EXPECT_TRUE(!history || (history->Is(CbExceptionWrongFileVersion::RTTI) &&
                                          CStringA(history->GetFilename()) == "Reader.cpp" &&
                                          history->GetHistory().Get() == cause.GetHistory().Get()));
             }
         }},
        {"history from a standard exception", kBadAlloc,
         [&](Armed& run) {
             std::optional<CbException> e;
             run([&] { e.emplace("Writer.cpp", 12, "Write", standard); });
             EXPECT_TRUE(!e || (CStringA(e->GetFunctionName()) == "Write" && e->GetHistory() &&
                                CStringA(e->GetHistory()->GetFilename()) == "std::exception (disk full)"));
         }},
    };
    runUntilSuccess(cases);
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
