// Makes each allocation of the main operations fail in turn: the operation must
// throw what it documents, keep its guarantee and leak nothing.

#include "FailingAllocator.h"

#include <cbfoundation/cbfoundation.h>

#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

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

struct Attempt
{
    bool injected;
    std::exception_ptr thrown;
};

// Runs `operation` with the `n`th allocation failing. Nothing else may
// allocate while armed: the checks come after.
template <class Operation>
Attempt underFailure(std::size_t n, Operation&& operation)
{
    cbf::test::FailNthAllocation(n);
    std::exception_ptr thrown;
    try {
        operation();
    } catch (...) {
        thrown = std::current_exception();
    }
    const bool injected = cbf::test::Disarm();
    return {injected, thrown};
}

// One operation: `attempt` builds its objects, runs it under failure and
// checks the state it leaves, for the allocation it is given.
struct Case
{
    std::string name;
    unsigned endings;
    std::function<Attempt(std::size_t)> attempt;
};

// N = 1, 2, 3, ... until the operation runs through without meeting the failure.
void runUntilSuccess(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        for (std::size_t n = 1;; ++n) {
            SCOPED_TRACE(c.name + ", allocation " + std::to_string(n));
            const Attempt attempt = c.attempt(n);
            if (!attempt.injected) {
                EXPECT_FALSE(attempt.thrown);
                break;
            }
            if (attempt.thrown) {
                EXPECT_NE(endingOf(attempt.thrown) & c.endings, 0u);
            }
            ASSERT_LT(n, 1000u);
        }
    }
}

class Token : public IObject
{
    CB_DECLARE_RTTI(Token)
    CB_DECLARE_CLONE(Token)

public:
    explicit Token(int value)
        : value(value)
    {}
    int value;
};
const CbRTTI Token::RTTI(L"AllocationFailureTest::Token", nullptr, &Token::CloneByFactory);

bool same(const CbVariant& left, const CbVariant& right)
{
    if (left.GetType() == CbVariant::eVariantTypeObject && right.GetType() == CbVariant::eVariantTypeObject)
        return static_cast<const Token&>(static_cast<const IObject&>(left)).value ==
               static_cast<const Token&>(static_cast<const IObject&>(right)).value;
    return left == right;
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
    const std::vector<std::function<void(Descriptor&)>> constructors = {
        [&](Descriptor& d) { d.emplace(name, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, b, nullptr, nullptr); },
        [&](Descriptor& d) { d.emplace(name, a, b, c, nullptr, nullptr); },
    };
    std::vector<Case> cases;
    for (std::size_t bases = 0; bases < constructors.size(); ++bases) {
        const auto& construct = constructors[bases];
        cases.push_back({std::to_string(bases) + " bases", kBadAlloc | kOutOfMemory, [&, bases](std::size_t n) {
                             Descriptor d;
                             Attempt attempt = underFailure(n, [&] { construct(d); });
                             EXPECT_EQ(CbRTTI::Find(name), d ? &*d : nullptr);
                             if (d && bases > 0) {
                                 EXPECT_TRUE(d->IsKindOf(a));
                             }
                             d.reset();
                             EXPECT_EQ(CbRTTI::Find(name), nullptr);
                             return attempt;
                         }});
        // A second descriptor of a registered name must not take the name
        // over when the first goes, unless it was constructed whole.
        cases.push_back(
            {std::to_string(bases) + " bases, second of a name", kBadAlloc | kOutOfMemory, [&](std::size_t n) {
                 Descriptor first(std::in_place, name, nullptr, nullptr);
                 Descriptor second;
                 Attempt attempt = underFailure(n, [&] { construct(second); });
                 EXPECT_EQ(CbRTTI::Find(name), &*first);
                 first.reset();
                 EXPECT_EQ(CbRTTI::Find(name), second ? &*second : nullptr);
                 return attempt;
             }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, StringEditsLeaveTheStringUnchanged)
{
    // Longer than the texts that copies copy rather than share, and shared
    // by a second string, so that every edit first needs a text of its own.
    const CStringW original(L'x', CStringW::kLongestCopiedText + 10);
    struct Edit
    {
        const char* name;
        std::function<void(CStringW&)> edit;
    };
    const std::vector<Edit> edits = {
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
    for (const Edit& edit : edits) {
        CStringW expected = original;
        edit.edit(expected);
        cases.push_back({edit.name, kBadAlloc, [&, expected](std::size_t n) {
                             CStringW text = original;
                             const CStringW sharer = text;
                             Attempt attempt = underFailure(n, [&] { edit.edit(text); });
                             EXPECT_TRUE(text == (attempt.thrown ? original : expected));
                             EXPECT_TRUE(sharer == original);
                             return attempt;
                         }});
    }
    cases.push_back({"narrow from wide", kBadAlloc, [&](std::size_t n) {
                         CStringA narrow = "old";
                         Attempt attempt = underFailure(n, [&] { narrow = original; });
                         EXPECT_EQ(narrow, attempt.thrown ? CStringA("old") : CStringA(original));
                         return attempt;
                     }});
    runUntilSuccess(cases);
}

TEST(AllocationFailure, VariantsStayValid)
{
    struct Source
    {
        const char* name;
        CbVariant value;
        CbVariant sameType; // another value of the same type
        unsigned endings;
    };
    auto make = [](const auto& value) {
        CbVariant variant;
        variant = value;
        return variant;
    };
    const CbDateTime date(static_cast<__int64>(1700000000));
    std::vector<Source> sources;
    sources.push_back({"wide string", make(L"wide text"), make(CStringW(L'w', 100)), kBadAlloc});
    sources.push_back({"narrow string", make("narrow text"), make(CStringA('n', 300)), kBadAlloc});
    sources.push_back({"small byte array", make(bytes(20, 1)), make(bytes(5, 9)), kBadAlloc | kOutOfMemory});
    sources.push_back({"large byte array", make(bytes(3000, 2)), make(bytes(10, 7)), kBadAlloc | kOutOfMemory});
    sources.push_back({"date", make(date), make(CbDateTime(static_cast<__int64>(86400))), kBadAlloc});
    sources.push_back({"object", make(Token(5)), make(Token(6)), kCloneFailed});

    std::vector<Case> cases;
    for (const Source& source : sources) {
        const std::string name = source.name;
        const unsigned endings = source.endings;
        cases.push_back({name + ": copy", endings, [&](std::size_t n) {
                             std::optional<CbVariant> copy;
                             Attempt attempt = underFailure(n, [&] { copy.emplace(source.value); });
                             EXPECT_TRUE(attempt.thrown ? !copy : same(*copy, source.value));
                             return attempt;
                         }});
        cases.push_back({name + ": assign over another type", endings, [&](std::size_t n) {
                             CbVariant target = make(7);
                             Attempt attempt = underFailure(n, [&] { target = source.value; });
                             EXPECT_TRUE(attempt.thrown ? target.IsNull() : same(target, source.value));
                             return attempt;
                         }});
        cases.push_back({name + ": assign over the same type", endings, [&](std::size_t n) {
                             CbVariant target = source.sameType;
                             Attempt attempt = underFailure(n, [&] { target = source.value; });
                             // Objects are cloned anew; the other types change in place.
                             if (!attempt.thrown) {
                                 EXPECT_TRUE(same(target, source.value));
                             } else if (target.GetType() == CbVariant::eVariantTypeObject) {
                                 ADD_FAILURE() << "an object whose clone failed stays held";
                             } else {
                                 EXPECT_TRUE(target.IsNull() || same(target, source.sameType));
                             }
                             return attempt;
                         }});
        if (source.value.GetType() == CbVariant::eVariantTypeObject)
            continue;
        CbStreamWriteBinaryMemory record;
        source.value.Serialize(record);
        const std::vector<unsigned char> recordBytes(record.GetData(), record.GetData() + record.GetSize());
        cases.push_back({name + ": write", kBadAlloc, [&, recordBytes](std::size_t n) {
                             CbStreamWriteBinaryMemory out;
                             out << 1u;
                             Attempt attempt = underFailure(n, [&] { source.value.Serialize(out); });
                             if (!attempt.thrown) {
                                 const std::vector<unsigned char> written(out.GetData() + 4,
                                                                          out.GetData() + out.GetSize());
                                 EXPECT_EQ(written, recordBytes);
                             }
                             return attempt;
                         }});
        cases.push_back({name + ": read", endings, [&, recordBytes](std::size_t n) {
                             CbVariant target = source.sameType;
                             CbStreamReadBinaryMemory in(recordBytes.data(), recordBytes.size());
                             Attempt attempt = underFailure(n, [&] { target.Serialize(in); });
                             // A failure inside the value may leave the record's type with
                             // part of the value; a date that cannot be made reads as null.
                             const bool mayBeNull =
                                 attempt.injected && source.value.GetType() == CbVariant::eVariantTypeDateTime;
                             if (attempt.thrown) {
                                 EXPECT_TRUE(target.IsNull() || target.GetType() == source.value.GetType());
                             } else {
                                 EXPECT_TRUE((mayBeNull && target.IsNull()) || same(target, source.value));
                             }
                             return attempt;
                         }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ConversionsKeepTheValue)
{
    auto make = [](const auto& value) {
        CbVariant variant;
        variant = value;
        return variant;
    };
    const struct
    {
        const char* name;
        CbVariant source;
        CbVariant::EVariantType target;
    } conversions[] = {
        {"int to wide text", make(-123456), CbVariant::eVariantTypeStringW},
        {"double to narrow text", make(2.5), CbVariant::eVariantTypeStringA},
        {"date to narrow text", make(CbDateTime(static_cast<__int64>(1700000000))), CbVariant::eVariantTypeStringA},
        {"narrow to wide text", make("narrow text"), CbVariant::eVariantTypeStringW},
        {"wide text to date", make(L"2024-02-29 13:05:09"), CbVariant::eVariantTypeDateTime},
        {"wide text to double", make(L"0.125"), CbVariant::eVariantTypeDouble},
    };
    std::vector<Case> cases;
    for (const auto& conversion : conversions) {
        cases.push_back({conversion.name, kBadAlloc | kConversionFailed, [&conversion](std::size_t n) {
                             CbVariant v = conversion.source;
                             Attempt attempt = underFailure(n, [&] { v.ConvertTo(conversion.target); });
                             EXPECT_TRUE(attempt.thrown ? same(v, conversion.source)
                                                        : v.GetType() == conversion.target);
                             return attempt;
                         }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ByteArrayGrowthKeepsTheElements)
{
    struct Growth
    {
        const char* name;
        std::function<void(CbVariant::ByteArray&)> grow;
        unsigned count;
    };
    CbVariant::ByteArray large = bytes(5000, 3);
    large.SetUserValue(7);
    const std::vector<Growth> growths = {
        {"set size small", [](CbVariant::ByteArray& a) { a.SetSize(40); }, 40},
        {"set size large", [](CbVariant::ByteArray& a) { a.SetSize(4000); }, 4000},
        {"set capacity", [](CbVariant::ByteArray& a) { a.SetCapacity(1000); }, 10},
        {"assign larger", [&](CbVariant::ByteArray& a) { a = large; }, 5000},
    };
    std::vector<Case> cases;
    for (const Growth& growth : growths) {
        cases.push_back({growth.name, kOutOfMemory, [&](std::size_t n) {
                             CbVariant::ByteArray array = bytes(10, 100);
                             Attempt attempt = underFailure(n, [&] { growth.grow(array); });
                             EXPECT_EQ(array.GetCount(), attempt.thrown ? 10u : growth.count);
                             EXPECT_EQ(array.GetUserValue(), attempt.thrown || growth.count != 5000 ? 0u : 7u);
                             const CbVariant::ByteArray& expected =
                                 growth.count == 5000 && !attempt.thrown ? large : bytes(10, 100);
                             EXPECT_EQ(std::memcmp(array.GetData(), expected.GetData(), 10), 0);
                             return attempt;
                         }});
    }
    runUntilSuccess(cases);
}

TEST(AllocationFailure, ExceptionsWithHistory)
{
    const CbExceptionWrongFileVersion cause(L"Reader.cpp", 3, CbExceptionStream(L"Deep.cpp", 1));
    const std::runtime_error standard("disk full");
    std::vector<Case> cases;
    // A history that cannot be copied is dropped; the exception itself stands.
    cases.push_back({"history copied through the registry", kBadAlloc, [&](std::size_t n) {
                         std::optional<CbExceptionStream> e;
                         Attempt attempt = underFailure(n, [&] { e.emplace(L"Writer.cpp", 12, cause); });
                         if (e) {
                             EXPECT_STREQ(e->GetFilename(), "Writer.cpp");
                             const CbSmartPointer<const CbException> history = e->GetHistory();
                             if (!history) {
                                 EXPECT_TRUE(attempt.injected) << "history dropped without a failure";
                             } else {
                                 EXPECT_TRUE(history->Is(CbExceptionWrongFileVersion::RTTI));
                                 EXPECT_STREQ(history->GetFilename(), "Reader.cpp");
                                 EXPECT_EQ(history->GetHistory().Get(), cause.GetHistory().Get());
                             }
                         }
                         return attempt;
                     }});
    cases.push_back({"history from a standard exception", kBadAlloc, [&](std::size_t n) {
                         std::optional<CbException> e;
                         Attempt attempt = underFailure(n, [&] { e.emplace("Writer.cpp", 12, "Write", standard); });
                         if (e) {
                             EXPECT_STREQ(e->GetFunctionName(), "Write");
                             const CbSmartPointer<const CbException> history = e->GetHistory();
                             EXPECT_TRUE(history && CStringA(history->GetFilename()) == "std::exception (disk full)");
                         }
                         return attempt;
                     }});
    runUntilSuccess(cases);
}

} // namespace
