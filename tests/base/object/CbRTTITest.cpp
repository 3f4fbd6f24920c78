#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/CbHashKey.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A small client hierarchy: Animal <- Mammal <- Dog, and Pet, Guard with
// Watchdog deriving from three bases.
const CbRTTI animal(L"Test.Animal", nullptr, nullptr);
const CbRTTI mammal(L"Test.Mammal", animal, nullptr, nullptr);
const CbRTTI dog(L"Test.Dog", mammal, nullptr, nullptr);
const CbRTTI pet(L"Test.Pet", nullptr, nullptr);
const CbRTTI guard(L"Test.Guard", nullptr, nullptr);
const CbRTTI watchdog(L"Test.Watchdog", dog, pet, guard, nullptr, nullptr);
const CbRTTI lapdog(L"Test.Lapdog", pet, mammal, nullptr, nullptr);

std::vector<std::wstring> names(const CbRTTI::DerivedList& list)
{
    std::vector<std::wstring> result;
    for (const CbRTTI* type : list)
        result.emplace_back(type->GetName());
    return result;
}

std::vector<std::wstring> sorted(std::vector<std::wstring> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

TEST(CbRTTITest, IsKindOfFollowsEveryBaseDepthFirst)
{
    struct Case
    {
        const CbRTTI& type;
        const CbRTTI& target;
        bool expected;
    };
    const Case cases[] = {
        {animal, animal, true},   {dog, dog, true},       {dog, mammal, true},     {dog, animal, true},
        {animal, dog, false},     {watchdog, animal, true}, {watchdog, pet, true}, {watchdog, guard, true},
        {lapdog, animal, true},   {lapdog, guard, false}, {pet, animal, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.type.IsKindOf(c.target), c.expected) << c.type.GetName() << " / " << c.target.GetName();
        EXPECT_EQ(c.type.IsKindOf(c.target.GetName()), c.expected) << c.type.GetName() << " by name";
    }
    EXPECT_FALSE(dog.IsKindOf(L"Test.NoSuchClass"));
    EXPECT_FALSE(dog.IsKindOf(static_cast<const wchar_t*>(nullptr)));
}

TEST(CbRTTITest, FindAnswersExactNamesWithTheFirstDescriptor)
{
    EXPECT_EQ(CbRTTI::Find(L"Test.Dog"), &dog);
    EXPECT_EQ(CbRTTI::Find(L"test.dog"), nullptr);
    EXPECT_EQ(CbRTTI::Find(L"Test.Do"), nullptr);
    EXPECT_EQ(CbRTTI::Find(L""), nullptr);
    EXPECT_EQ(CbRTTI::Find(nullptr), nullptr);
    EXPECT_EQ(CbRTTI::Find(L"CbExceptionStream"), &CbExceptionStream::RTTI);

    // Identity is by address: a second descriptor of a name is another type.
    const CbRTTI twin(L"Test.Dog", nullptr, nullptr);
    EXPECT_TRUE(twin != dog && !(twin == dog) && !twin.Is(dog));
    EXPECT_TRUE(dog.Is(dog));
    EXPECT_EQ(CbRTTI::Find(L"Test.Dog"), &dog) << "the first descriptor of a name stays registered";
}

TEST(CbRTTITest, BaseListHoldsCountThenBasesInOrder)
{
    EXPECT_EQ(CbException::RTTI.GetBaseClassRTTI(), nullptr);

    const CbRTTI** bases = CbExceptionStream::RTTI.GetBaseClassRTTI();
    ASSERT_NE(bases, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bases[0]), 1u);
    EXPECT_EQ(bases[1], &CbException::RTTI);

    bases = watchdog.GetBaseClassRTTI();
    ASSERT_NE(bases, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bases[0]), 3u);
    EXPECT_EQ(bases[1], &dog);
    EXPECT_EQ(bases[2], &pet);
    EXPECT_EQ(bases[3], &guard);
}

TEST(CbRTTITest, GetDerivedOfListsTheClassAndAllDescendants)
{
    CbRTTI::DerivedList list;
    CbRTTI::GetDerivedOf(mammal, list);
    EXPECT_EQ(sorted(names(list)),
              (std::vector<std::wstring>{L"Test.Dog", L"Test.Lapdog", L"Test.Mammal", L"Test.Watchdog"}));
    EXPECT_EQ(list.GetCount(), 4u);

    CbRTTI::GetDerivedOf(L"CbException", list);
    EXPECT_EQ(sorted(names(list)),
              (std::vector<std::wstring>{L"CbException", L"CbExceptionCondition", L"CbExceptionOutOfMemory",
                                         L"CbExceptionPreconditionViolation", L"CbExceptionStream",
                                         L"CbExceptionWrongFileVersion", L"CbVariant::CbExceptionConversion"}))
        << "old contents are replaced";
}

TEST(CbRTTITest, GetDerivedOfFollowsRegistryOrder)
{
    // Map order: buckets ascending (hash mod 400), and within a bucket the
    // name registered last first. Colliding names make the second rule show.
    std::vector<std::wstring> texts;
    for (int i = 0; i < 1200; ++i)
        texts.push_back(L"Test.Order." + std::to_wstring(i));
    std::vector<std::unique_ptr<CbRTTI>> types;
    for (const std::wstring& text : texts)
        types.push_back(std::make_unique<CbRTTI>(text.c_str(), guard, nullptr, nullptr));

    struct Entry
    {
        unsigned bucket;
        int registration;
        std::wstring name;
    };
    std::vector<Entry> expected{{CbHashKey<wchar_t*>::Hash(L"Test.Guard") % 400, -1, L"Test.Guard"},
                                {CbHashKey<wchar_t*>::Hash(L"Test.Watchdog") % 400, -2, L"Test.Watchdog"}};
    for (int i = 0; i < static_cast<int>(texts.size()); ++i)
        expected.push_back({CbHashKey<wchar_t*>::Hash(texts[i].c_str()) % 400, i, texts[i]});
    std::stable_sort(expected.begin(), expected.end(), [](const Entry& a, const Entry& b) {
        return a.bucket != b.bucket ? a.bucket < b.bucket : a.registration > b.registration;
    });

    CbRTTI::DerivedList list;
    CbRTTI::GetDerivedOf(guard, list);
    std::vector<std::wstring> expectedNames;
    for (const Entry& entry : expected)
        expectedNames.push_back(entry.name);
    EXPECT_EQ(names(list), expectedNames);

    // More names than the registry's first pool block holds come and go cleanly.
    types.clear();
    CbRTTI::GetDerivedOf(guard, list);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(CbRTTI::Find(L"Test.Order.0"), nullptr);
}

TEST(CbRTTITest, HashIsTimes33OverUtf16Units)
{
    EXPECT_EQ(CbHashKey<wchar_t*>::Hash(L""), 0u);
    EXPECT_EQ(CbHashKey<wchar_t*>::Hash(L"A"), 65u);
    EXPECT_EQ(CbHashKey<wchar_t*>::Hash(L"AB"), 65u * 33 + 66);
    // A character outside the BMP hashes as its surrogate pair on every platform.
    const wchar_t astral[] = {static_cast<wchar_t>(0x1F600), 0};
    const wchar_t pair[] = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), 0};
    EXPECT_EQ(CbHashKey<wchar_t*>::Hash(sizeof(wchar_t) == 2 ? pair : astral), 0xD83Du * 33 + 0xDE00u);

    // Every length and mix of characters hashes like the one-at-a-time rule.
    std::mt19937 random(7);
    const unsigned alphabet[] = {'a', 'Z', '.', 0xE9, 0xFFFF, 0x1F600, 0x10FFFF, 0xD800};
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned> units;
        std::wstring text;
        for (int n = random() % 13; n > 0; --n) {
            unsigned c = alphabet[random() % 8];
            if (sizeof(wchar_t) == 2 && c > 0xFFFF)
                c = 0xDBFF; // a lone surrogate where wchar_t is 16-bit
            text.push_back(static_cast<wchar_t>(c));
            if (c > 0xFFFF) {
                units.push_back(0xD800 + ((c - 0x10000) >> 10));
                units.push_back(0xDC00 + (c & 0x3FF));
            } else {
                units.push_back(c);
            }
        }
        unsigned expected = 0;
        for (unsigned unit : units)
            expected = expected * 33 + unit;
        ASSERT_EQ(CbHashKey<wchar_t*>::Hash(text.c_str()), expected) << "round " << round;
    }
}

TEST(CbRTTITest, GetDerivedOfUnknownNameEmptiesTheList)
{
    CbRTTI::DerivedList list;
    CbRTTI::GetDerivedOf(dog, list);
    ASSERT_FALSE(list.IsEmpty());
    CbRTTI::GetDerivedOf(L"Test.Unknown", list);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCount(), 0u);
    CbRTTI::GetDerivedOf(static_cast<const wchar_t*>(nullptr), list);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(CbRTTITest, NameStaysRegisteredWhileAnyDescriptorOfItLives)
{
    auto first = std::make_unique<CbRTTI>(L"Test.Shared", nullptr, nullptr);
    auto second = std::make_unique<CbRTTI>(L"Test.Shared", nullptr, nullptr);
    EXPECT_EQ(CbRTTI::Find(L"Test.Shared"), first.get());

    first.reset();
    EXPECT_EQ(CbRTTI::Find(L"Test.Shared"), second.get()) << "the name passes to the survivor";

    second.reset();
    EXPECT_EQ(CbRTTI::Find(L"Test.Shared"), nullptr);

    // The other order: the later descriptor goes first.
    first = std::make_unique<CbRTTI>(L"Test.Shared", nullptr, nullptr);
    second = std::make_unique<CbRTTI>(L"Test.Shared", nullptr, nullptr);
    second.reset();
    EXPECT_EQ(CbRTTI::Find(L"Test.Shared"), first.get());
    first.reset();
    EXPECT_EQ(CbRTTI::Find(L"Test.Shared"), nullptr);
}

TEST(CbRTTITest, NullNameIsAPreconditionViolation)
{
    try {
        CbRTTI broken(nullptr, nullptr, nullptr);
        FAIL() << "constructed a descriptor without a name";
    } catch (const CbExceptionPreconditionViolation& e) {
        EXPECT_STREQ(e.GetFilename(), "CbRTTI");
    }
}

} // namespace
