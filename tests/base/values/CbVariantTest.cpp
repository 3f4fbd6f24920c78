// Tests of variant assignment, typed access, copies, comparison and the conversion exception.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

using namespace variant_test;

const CbRTTI Shape::RTTI(L"CbVariantTest.Shape", &Shape::Create, &Shape::CloneByFactory);

namespace {

const CbRTTI noFactory(L"CbVariantTest.NoFactory", nullptr, nullptr);
const CbRTTI throwing(
    L"CbVariantTest.Throwing", []() -> IObject* { throw 42; }, [](const IObject&) -> IObject* { throw 42; });
const CbRTTI empty(
    L"CbVariantTest.Empty", []() -> IObject* { return nullptr; }, [](const IObject&) -> IObject* { return nullptr; });

template <const CbRTTI& type>
struct Unclonable : IObject
{
    const CbRTTI& GetRTTI() const override { return type; }
};

using Action = std::function<void(CbVariant&)>;

struct Accessor
{
    unsigned line;
    std::string function;
    CbVariant sample; // of the accessor's type
    Action access;
};

// The value accessor of T (for classes, "const T &") and, unless refLine is 0,
// the reference accessor "T &".
template <class T>
void add(std::vector<Accessor>& table, unsigned valueLine, unsigned refLine, const std::string& type,
         const CbVariant& sample)
{
    using Value = std::conditional_t<std::is_class_v<T>, const T&, T>;
    const std::string name = "CbVariant::operator " + std::string(std::is_class_v<T> ? "const " : "") + type;
    table.push_back({valueLine, name + (std::is_class_v<T> ? " &" : ""), sample,
                     [](CbVariant& v) { static_cast<void>(static_cast<Value>(std::as_const(v))); }});
    if (refLine)
        table.push_back({refLine, "CbVariant::operator " + type + " &", sample, [](CbVariant& v) {
                             if constexpr (std::is_convertible_v<CbVariant&, T&>) // not long& where long is 64 bits
                                 static_cast<void>(static_cast<T&>(v));
                         }});
}

std::vector<Accessor> accessors()
{
    const std::string narrow = "class ATL::CStringT<char,class StrTraitMFC_DLL<char,class ATL::ChTraitsCRT<char> > >";
    const std::string wide =
        "class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class ATL::ChTraitsCRT<wchar_t> > >";
    std::vector<Accessor> table;
    add<bool>(table, 203, 205, "bool", Make(true));
    add<char>(table, 208, 210, "char", Make('c'));
    add<signed char>(table, 213, 215, "signed char", Make<signed char>(1));
    add<unsigned char>(table, 218, 220, "unsigned char", Make<unsigned char>(1));
    add<short>(table, 223, 225, "short", Make<short>(1));
    add<unsigned short>(table, 228, 230, "unsigned short", Make<unsigned short>(1));
    add<int>(table, 233, 235, "int", Make(1));
    add<unsigned int>(table, 238, 240, "unsigned int", Make(1u));
    add<__int64>(table, 243, 245, "__int64", Make(1ll));
    add<unsigned __int64>(table, 248, 250, "unsigned __int64", Make(1ull));
    // References to long exist only where long is 32 bits wide.
    add<long>(table, 253, cbf::platform::kLongIs32Bit ? 255 : 0, "long", Make(1l));
    add<unsigned long>(table, 258, cbf::platform::kLongIs32Bit ? 260 : 0, "unsigned long", Make(1ul));
    add<float>(table, 263, 265, "float", Make(1.0f));
    add<double>(table, 268, 270, "double", Make(1.0));
    add<CStringA>(table, 273, 275, narrow, Make("n"));
    add<const char*>(table, 277, 0, "const char *", Make("n"));
    add<CStringW>(table, 280, 282, wide, Make(L"w"));
    add<const wchar_t*>(table, 284, 0, "const wchar_t *", Make(L"w"));
    add<CbVariant::ByteArray>(table, 287, 289, "class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault>",
                              Make(Bytes({1})));
    add<CbDateTime>(table, 292, 294, "class CbDateTime", Make(CbDateTime(0ULL)));
    add<IObject>(table, 297, 299, "class IObject", Make(Shape()));
    return table;
}

TEST(CbVariantTest, EveryAccessorDemandsExactlyItsTypeAndNamesItself)
{
    for (const Accessor& accessor : accessors()) {
        CbVariant v;
        ExpectThrowsAt([&] { accessor.access(v); }, "CbVariant.h", accessor.line, accessor.function.c_str());
        v = accessor.sample;
        EXPECT_NO_THROW(accessor.access(v)) << accessor.function;
    }
}

TEST(CbVariantTest, AssignmentsChooseTheirTypeAndLongTakesTheIntTags)
{
    CbVariant v = Make(-7l);
    const long viaNonConst = v; // must be unambiguous for both widths of long
    EXPECT_TRUE(v.GetType() == CbVariant::eVariantTypeInt && viaNonConst == -7l) << "widened with its sign";
    v = 4000000000ul;
    EXPECT_TRUE(v.GetType() == CbVariant::eVariantTypeUInt && static_cast<unsigned long>(v) == 4000000000ul);
}

TEST(CbVariantTest, LongsOutsideThirtyTwoBitsAreRefused)
{
    if (cbf::platform::kLongIs32Bit)
        GTEST_SKIP() << "long is 32 bits wide here: every value fits";
    const std::pair<Action, unsigned> cases[] = {
        {[](CbVariant& v) { v = LONG_MIN; }, CbVariant::kLongOutOfRangeLine},
        {[](CbVariant& v) { v = ULONG_MAX; }, CbVariant::kUnsignedLongOutOfRangeLine}};
    for (const auto& [assign, line] : cases) {
        CbVariant v;
        v = L"kept";
        ExpectThrowsAt([&] { assign(v); }, "CbVariant.cpp", line, nullptr, &CbVariant::CbExceptionConversion::RTTI);
        EXPECT_STREQ(static_cast<const wchar_t*>(v), L"kept") << "a refused long changes nothing";
    }
}

// An assignment of the held type changes the held object in place.
TEST(CbVariantTest, SameTypeAssignmentsChangeInPlaceCopiesAreDeepAndMovesHandTheObjectOver)
{
    CbVariant original = Make(L"first");
    const CStringW* held = &static_cast<CStringW&>(original);
    original = L"text";
    CbVariant copy(original);
    static_cast<CStringW&>(copy) = L"changed";
    EXPECT_TRUE(&static_cast<CStringW&>(original) == held && static_cast<const CStringW&>(original) == L"text");

    CbVariant moved(std::move(original));
    CbVariant target = Make(Bytes({1}));
    target = std::move(moved);
    EXPECT_TRUE(original.IsNull() && moved.IsNull());
    EXPECT_EQ(&static_cast<CStringW&>(target), held);
    CbVariant& alias = target;
    target = alias;
    target = std::move(alias);
    EXPECT_EQ(&static_cast<CStringW&>(target), held) << "self-assignment changes nothing";
}

TEST(CbVariantTest, ObjectsAreClonedThroughTheRegistryAndOwnedAlone)
{
    CbVariant a = Make(Shape(5));
    const CbVariant b(a);
    a = static_cast<const IObject&>(a); // its own object: cloned before it goes
    EXPECT_EQ(static_cast<const Shape&>(static_cast<const IObject&>(a)).sides, 5);
    EXPECT_NE(&static_cast<const IObject&>(a), &static_cast<const IObject&>(b));
    CbVariant created(Shape::RTTI);
    EXPECT_TRUE(static_cast<IObject&>(created).GetRTTI() == Shape::RTTI);

    // Factories missing, throwing or returning null: one guard serves creation and cloning.
    for (const CbRTTI* type : {&noFactory, &throwing, &empty})
        ExpectThrowsAt([&] { CbVariant v(*type); }, "CbVariant.cpp", 146, "CbVariant::CbVariant", &CbException::RTTI);
    CbVariant v = Make(L"released");
    ExpectThrowsAt([&] { v = Unclonable<throwing>(); }, "CbVariant.cpp", 416, "CbVariant::operator =");
    EXPECT_TRUE(v.IsNull());
}

// Only damaged memory holds tag 11 or a tag above 18; every operation that
// switches on the tag must reject it without undefined behaviour.
TEST(CbVariantTest, UnknownTagsAreRejectedWherever)
{
    for (const unsigned unknown : {11u, 40u}) {
        CbVariant damaged;
        std::memcpy(static_cast<void*>(&damaged), &unknown, sizeof unknown);
        CbVariant target = Make(3);
        ExpectThrowsAt([&] { target = damaged; }, "CbVariant.cpp", 218, "", &CbVariant::CbExceptionConversion::RTTI);
        EXPECT_EQ(static_cast<int>(std::as_const(target)), 3) << "the target is unchanged";
        EXPECT_THROW(static_cast<void>(target < damaged), CbException);
    }
}

// Each type by its own signedness, wide strings by UTF-16 unit: the left value,
// the relation ('<', '=', '>', or '?' for unordered and unequal) and the right value.
TEST(CbVariantCompareTest, SameTypesCompareByValueAndNullIsBelowEverything)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<CbVariant, char, CbVariant> cases[] = {
        {CbVariant(), '=', CbVariant()},
        {Make(Bytes({})), '>', CbVariant()},
        {Make('\x80'), '<', Make('\x7F')},
        {Make<unsigned char>(0x80), '>', Make<unsigned char>(0x7F)},
        {Make<short>(-2), '<', Make<short>(1)},
        {Make<unsigned short>(0xFFFF), '>', Make<unsigned short>(1)},
        {Make(-2), '<', Make(1)},
        {Make(0xFFFFFFFFu), '>', Make(1u)},
        {Make<__int64>(-2), '<', Make<__int64>(1)},
        {Make(~0ull), '>', Make(1ull)},
        {Make(0.0f), '=', Make(-0.0f)},
        {Make(nan), '?', Make(nan)},
        {Make(L"a"), '>', Make(L"B")},
        {Make(CStringA("a\0b", 3)), '>', Make(CStringA("a"))},
        {Make(CbDateTime(0ULL)), '<', Make(CbDateTime(1ULL << 40))}};
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const auto& [left, relation, right] = cases[row];
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(left == right, relation == '=');
        EXPECT_EQ(left != right, relation != '=');
        EXPECT_EQ(left < right, relation == '<');
        EXPECT_EQ(left > right, relation == '>');
    }
}

TEST(CbVariantCompareTest, DifferentTypesAreUnequalArraysOnlyEqualAndObjectsNeither)
{
    EXPECT_FALSE(Make(1) == Make(1u) || Make("abc") == Make(L"abc") || Make(Shape()) == CbVariant());
    EXPECT_TRUE(Make(Bytes({1, 2})) == Make(Bytes({1, 2})) && Make(Bytes({})) == Make(Bytes({})));
    EXPECT_FALSE(Make(Bytes({1, 2})) == Make(Bytes({1})));
    ExpectThrowsAt([] { static_cast<void>(Make(Shape()) == Make(Shape())); }, "CbVariant.cpp", 500,
                   "CbVariant::operator ==");
    for (const CbVariant& unordered : {Make(Bytes({1})), Make(Shape())}) {
        ExpectThrowsAt([&] { static_cast<void>(unordered < unordered); }, "CbVariant.cpp", 534,
                       "CbVariant::operator <");
        ExpectThrowsAt([&] { static_cast<void>(Make(1) > unordered); }, "CbVariant.cpp", 568, "CbVariant::operator >");
    }
}

} // namespace
