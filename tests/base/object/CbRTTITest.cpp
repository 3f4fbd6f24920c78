// Tests of the type registry: registration, lookup, kinds and derived classes.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/object/CbHashKey.h>
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
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

TEST(CbRTTITest, IsKindOfFollowsEveryBaseDepthFirst)
{
    const std::tuple<const CbRTTI&, const CbRTTI&, bool> cases[] = {
        {dog, dog, true},        {dog, animal, true},    {animal, dog, false},   {watchdog, animal, true},
        {watchdog, guard, true}, {lapdog, animal, true}, {lapdog, guard, false},
    };
    for (const auto& [type, target, expected] : cases) {
        EXPECT_EQ(type.IsKindOf(target), expected) << type.GetName() << " / " << target.GetName();
        EXPECT_EQ(type.IsKindOf(target.GetName()), expected) << type.GetName() << " by name";
    }
    EXPECT_FALSE(dog.IsKindOf(static_cast<const wchar_t*>(nullptr)));
}

// Identity is by address: a second descriptor of a name is another type.
TEST(CbRTTITest, FindAnswersExactNamesWithTheFirstDescriptor)
{
    const std::pair<const wchar_t*, const CbRTTI*> cases[] = {
        {L"Test.Dog", &dog}, {L"test.dog", nullptr}, {L"Test.Do", nullptr}, {nullptr, nullptr}};
    for (const auto& [name, type] : cases)
        EXPECT_EQ(CbRTTI::Find(name), type) << (name ? name : L"(null)");

    const CbRTTI twin(L"Test.Dog", nullptr, nullptr);
    EXPECT_TRUE(twin != dog && !(twin == dog) && !twin.Is(dog) && dog.Is(dog));
    EXPECT_EQ(CbRTTI::Find(L"Test.Dog"), &dog);
    cbf::test::ExpectThrowsAt([] { CbRTTI unnamed(nullptr, nullptr, nullptr); }, "CbRTTI", 1, nullptr,
                              &CbExceptionPreconditionViolation::RTTI);
}

// The base list is null without bases, else their count followed by the bases
// in order. The library's own classes are registered under their names.
TEST(CbRTTITest, BaseListHoldsCountThenBasesInOrder)
{
    const std::pair<const CbRTTI&, std::vector<const CbRTTI*>> cases[] = {
        {CbException::RTTI, {}},
        {CbExceptionStream::RTTI, {&CbException::RTTI}},
        {watchdog, {&dog, &pet, &guard}},
        {CbStreamWriteASCIIStringT<void>::RTTI, {&CbStreamWriteASCII::RTTI}},
    };
    for (const auto& [type, expected] : cases) {
        const CbRTTI** bases = type.GetBaseClassRTTI();
        std::vector<const CbRTTI*> actual;
        if (bases != nullptr)
            actual.assign(bases + 1, bases + 1 + reinterpret_cast<std::uintptr_t>(bases[0]));
        EXPECT_EQ(actual, expected) << type.GetName();
        EXPECT_EQ(bases == nullptr, expected.empty()) << type.GetName();
        EXPECT_EQ(CbRTTI::Find(type.GetName()), &type);
    }
}

// Each call replaces what the list held before.
TEST(CbRTTITest, GetDerivedOfListsTheClassAndAllDescendants)
{
    using Names = std::vector<std::wstring>;
    const std::pair<const wchar_t*, Names> cases[] = {
        {L"Test.Mammal", {L"Test.Dog", L"Test.Lapdog", L"Test.Mammal", L"Test.Watchdog"}},
        {nullptr, {}},
    };
    CbRTTI::DerivedList list;
    CbRTTI::GetDerivedOf(dog, list);
    for (const auto& [name, expected] : cases) {
        CbRTTI::GetDerivedOf(name, list);
        Names actual;
        for (const CbRTTI* type : list)
            actual.emplace_back(type->GetName());
        EXPECT_TRUE(std::is_sorted(actual.begin(), actual.end(), [](const auto& a, const auto& b) {
            return CbHashKey<wchar_t*>::Hash(a.c_str()) % 400 < CbHashKey<wchar_t*>::Hash(b.c_str()) % 400;
        })) << "map order over the registry's 400 buckets";
        std::sort(actual.begin(), actual.end());
        EXPECT_EQ(actual, expected) << (name ? name : L"(null)");
        EXPECT_EQ(list.GetCount(), expected.size());
    }
}

// A character outside the BMP hashes as its surrogate pair on every
// platform, a lone surrogate as itself; the sum wraps modulo 2^32.
TEST(CbRTTITest, HashIsTimes33OverUtf16Units)
{
    const std::wstring astral = sizeof(wchar_t) == 2 ? std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}
                                                     : std::wstring(1, static_cast<wchar_t>(0x1F600));
    const std::pair<std::wstring, unsigned> cases[] = {
        {L"", 0u},
        {L"." + astral + L".", ((46u * 33 + 0xD83Du) * 33 + 0xDE00u) * 33 + 46u},
        {{wchar_t(0xDBFF), L'a', wchar_t(0xDC00)}, (0xDBFFu * 33 + 97u) * 33 + 0xDC00u},
        {std::wstring(8, wchar_t(0xFFFF)), 0xA7E41C78u},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CbHashKey<wchar_t*>::Hash(text.c_str()), expected) << text.size() << " characters";
}

} // namespace
