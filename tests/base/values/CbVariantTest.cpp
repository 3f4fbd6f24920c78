#include "CbVariantTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <climits>
#include <concepts>
#include <cstring>
#include <utility>

using namespace variant_test;

const CbRTTI Shape::RTTI(L"CbVariantTest.Shape", &Shape::Create, &Shape::CloneByFactory);

namespace {

// Registered classes whose factories cannot deliver.
class Broken : public IObject
{
    CB_DECLARE_RTTI(Broken)
public:
    static IObject* Throw() { throw 42; }
    static IObject* Clone(const IObject&) { return Throw(); }
    static IObject* Nothing() { return nullptr; }
    static IObject* CloneNothing(const IObject&) { return nullptr; }
};
const CbRTTI Broken::RTTI(L"CbVariantTest.Broken", nullptr, nullptr);
const CbRTTI throwingType(L"CbVariantTest.Throwing", &Broken::Throw, &Broken::Clone);
const CbRTTI emptyType(L"CbVariantTest.Empty", &Broken::Nothing, &Broken::CloneNothing);

class Throwing : public Broken
{
    const CbRTTI& GetRTTI() const override { return throwingType; }
};
class Empty : public Broken
{
    const CbRTTI& GetRTTI() const override { return emptyType; }
};

struct Accessor
{
    const char* function;
    unsigned line;
    std::function<void(CbVariant&)> assignOwnType;
    std::function<void(CbVariant&)> access;
};

template <class T>
std::function<void(CbVariant&)> assigner(T value)
{
    return [value](CbVariant& v) { v = value; };
}

template <class T>
std::function<void(CbVariant&)> reads()
{
    return [](CbVariant& v) { static_cast<void>(static_cast<T>(std::as_const(v))); };
}

template <class T>
std::function<void(CbVariant&)> refers()
{
    return [](CbVariant& v) {
        T& reference = v;
        static_cast<void>(reference);
    };
}

std::vector<Accessor> accessors()
{
    const CStringA narrow("n");
    const CStringW wide(L"w");
    const CbDateTime date(L"2024-02-29 13:05:09");
    std::vector<Accessor> table = {
        {"CbVariant::operator bool", 203, assigner(true), reads<bool>()},
        {"CbVariant::operator bool &", 205, assigner(true), refers<bool>()},
        {"CbVariant::operator char", 208, assigner('c'), reads<char>()},
        {"CbVariant::operator char &", 210, assigner('c'), refers<char>()},
        {"CbVariant::operator signed char", 213, assigner<signed char>(1), reads<signed char>()},
        {"CbVariant::operator signed char &", 215, assigner<signed char>(1), refers<signed char>()},
        {"CbVariant::operator unsigned char", 218, assigner<unsigned char>(1), reads<unsigned char>()},
        {"CbVariant::operator unsigned char &", 220, assigner<unsigned char>(1), refers<unsigned char>()},
        {"CbVariant::operator short", 223, assigner<short>(1), reads<short>()},
        {"CbVariant::operator short &", 225, assigner<short>(1), refers<short>()},
        {"CbVariant::operator unsigned short", 228, assigner<unsigned short>(1), reads<unsigned short>()},
        {"CbVariant::operator unsigned short &", 230, assigner<unsigned short>(1), refers<unsigned short>()},
        {"CbVariant::operator int", 233, assigner(1), reads<int>()},
        {"CbVariant::operator int &", 235, assigner(1), refers<int>()},
        {"CbVariant::operator unsigned int", 238, assigner(1u), reads<unsigned int>()},
        {"CbVariant::operator unsigned int &", 240, assigner(1u), refers<unsigned int>()},
        {"CbVariant::operator __int64", 243, assigner(1ll), reads<__int64>()},
        {"CbVariant::operator __int64 &", 245, assigner(1ll), refers<__int64>()},
        {"CbVariant::operator unsigned __int64", 248, assigner(1ull), reads<unsigned __int64>()},
        {"CbVariant::operator unsigned __int64 &", 250, assigner(1ull), refers<unsigned __int64>()},
        {"CbVariant::operator long", 253, assigner(1l), reads<long>()},
        {"CbVariant::operator unsigned long", 258, assigner(1ul), reads<unsigned long>()},
        {"CbVariant::operator float", 263, assigner(1.0f), reads<float>()},
        {"CbVariant::operator float &", 265, assigner(1.0f), refers<float>()},
        {"CbVariant::operator double", 268, assigner(1.0), reads<double>()},
        {"CbVariant::operator double &", 270, assigner(1.0), refers<double>()},
        {"CbVariant::operator const class ATL::CStringT<char,class StrTraitMFC_DLL<char,class "
         "ATL::ChTraitsCRT<char> > > &",
         273, assigner(narrow), reads<const CStringA&>()},
        {"CbVariant::operator class ATL::CStringT<char,class StrTraitMFC_DLL<char,class ATL::ChTraitsCRT<char> > > &",
         275, assigner(narrow), refers<CStringA>()},
        {"CbVariant::operator const char *", 277, assigner(narrow), reads<const char*>()},
        {"CbVariant::operator const class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
         "ATL::ChTraitsCRT<wchar_t> > > &",
         280, assigner(wide), reads<const CStringW&>()},
        {"CbVariant::operator class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
         "ATL::ChTraitsCRT<wchar_t> > > &",
         282, assigner(wide), refers<CStringW>()},
        {"CbVariant::operator const wchar_t *", 284, assigner(wide), reads<const wchar_t*>()},
        {"CbVariant::operator const class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &", 287,
         assigner(Bytes({1})), reads<const CbVariant::ByteArray&>()},
        {"CbVariant::operator class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &", 289,
         assigner(Bytes({1})), refers<CbVariant::ByteArray>()},
        {"CbVariant::operator const class CbDateTime &", 292, assigner(date), reads<const CbDateTime&>()},
        {"CbVariant::operator class CbDateTime &", 294, assigner(date), refers<CbDateTime>()},
        {"CbVariant::operator const class IObject &", 297, [](CbVariant& v) { v = Shape(); },
         reads<const IObject&>()},
        {"CbVariant::operator class IObject &", 299, [](CbVariant& v) { v = Shape(); }, refers<IObject>()},
    };
    // The reference accessors of long exist only where long is 32 bits wide.
    if constexpr (cbf::platform::kLongIs32Bit) {
        table.push_back({"CbVariant::operator long &", 255, assigner(1l), [](auto& v) {
                             if constexpr (cbf::platform::kLongIs32Bit) {
                                 long& reference = v;
                                 static_cast<void>(reference);
                             }
                         }});
        table.push_back({"CbVariant::operator unsigned long &", 260, assigner(1ul), [](auto& v) {
                             if constexpr (cbf::platform::kLongIs32Bit) {
                                 unsigned long& reference = v;
                                 static_cast<void>(reference);
                             }
                         }});
    }
    return table;
}

TEST(CbVariantTest, IsATagAndAnEightByteSlot)
{
    static_assert(sizeof(CbVariant) == 16);
    CbVariant v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeNull);
    v = L"text";
    unsigned tag = 0;
    std::memcpy(&tag, &v, sizeof tag);
    EXPECT_EQ(tag, 8u);
}

TEST(CbVariantTest, EveryAccessorDemandsExactlyItsTypeAndNamesItself)
{
    for (const Accessor& accessor : accessors()) {
        SCOPED_TRACE(accessor.function);
        CbVariant v;
        ExpectThrowsAt([&] { accessor.access(v); }, "CbVariant.h", accessor.line, accessor.function);
        accessor.assignOwnType(v);
        EXPECT_NO_THROW(accessor.access(v));
        const auto type = v.GetType();
        if (type != CbVariant::eVariantTypeBool)
            v = true;
        else
            v = 1;
        ExpectThrowsAt([&] { accessor.access(v); }, "CbVariant.h", accessor.line, accessor.function);
    }
}

TEST(CbVariantTest, ValueAssignmentsSetTheTagOfTheTable)
{
    struct Case
    {
        std::function<void(CbVariant&)> assign;
        CbVariant::EVariantType type;
    };
    const Case cases[] = {
        {assigner(true), CbVariant::eVariantTypeBool},
        {assigner('a'), CbVariant::eVariantTypeChar},
        {assigner<signed char>(-1), CbVariant::eVariantTypeSChar},
        {assigner<unsigned char>(1), CbVariant::eVariantTypeUChar},
        {assigner<short>(-1), CbVariant::eVariantTypeShort},
        {assigner<unsigned short>(1), CbVariant::eVariantTypeUShort},
        {assigner(-1), CbVariant::eVariantTypeInt},
        {assigner(-1l), CbVariant::eVariantTypeInt},
        {assigner(1u), CbVariant::eVariantTypeUInt},
        {assigner(1ul), CbVariant::eVariantTypeUInt},
        {assigner<__int64>(-1), CbVariant::eVariantTypeInt64},
        {assigner<unsigned __int64>(1), CbVariant::eVariantTypeUInt64},
        {assigner(1.5f), CbVariant::eVariantTypeFloat},
        {assigner(1.5), CbVariant::eVariantTypeDouble},
        {assigner(L"w"), CbVariant::eVariantTypeStringW},
        {assigner(static_cast<const wchar_t*>(nullptr)), CbVariant::eVariantTypeStringW},
        {assigner("n"), CbVariant::eVariantTypeStringA},
        {assigner(static_cast<const char*>(nullptr)), CbVariant::eVariantTypeStringA},
        {assigner(Bytes({})), CbVariant::eVariantTypeByteArray},
        {assigner(CbDateTime(L"2024-02-29 13:05:09")), CbVariant::eVariantTypeDateTime},
        {[](CbVariant& v) { v = Shape(); }, CbVariant::eVariantTypeObject},
        {[](CbVariant& v) { v = nullptr; }, CbVariant::eVariantTypeNull},
    };
    for (const Case& c : cases) {
        CbVariant v;
        v = L"previous value";
        c.assign(v);
        EXPECT_EQ(v.GetType(), c.type);
    }
    EXPECT_EQ(Shape::live, 0);
}

TEST(CbVariantTest, ValuesComeBackThroughTheirAccessors)
{
    CbVariant v;
    v = 5l;
    EXPECT_EQ(static_cast<int>(std::as_const(v)), 5);
    EXPECT_EQ(static_cast<long>(std::as_const(v)), 5);
    long viaNonConst = v; // unambiguous on both long widths
    EXPECT_EQ(viaNonConst, 5);
    v = -7;
    EXPECT_EQ(static_cast<long>(std::as_const(v)), -7l) << "widened with its sign";
    v = 4000000000ul;
    unsigned long unsignedLong = v;
    EXPECT_EQ(unsignedLong, 4000000000ul);

    v = static_cast<const char*>(nullptr);
    EXPECT_STREQ(static_cast<const char*>(v), "");
    v = L"wide";
    EXPECT_STREQ(static_cast<const wchar_t*>(v), L"wide");
    ExpectThrowsAt([&] { static_cast<void>(static_cast<const char*>(v)); }, "CbVariant.h", 277,
                   "CbVariant::operator const char *");

    v = static_cast<short>(5);
    ExpectThrowsAt([&] { static_cast<void>(static_cast<int>(std::as_const(v))); }, "CbVariant.h", 233,
                   "CbVariant::operator int");
    EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeShort) << "a failed access changes nothing";

    int& slot = v = 1;
    slot = 9;
    EXPECT_EQ(static_cast<int>(std::as_const(v)), 9) << "references reach the stored value";
}

TEST(CbVariantTest, LongIsA32BitTypeOnEveryPlatform)
{
    static_assert(std::is_convertible_v<CbVariant&, long&> == cbf::platform::kLongIs32Bit,
                  "long& is offered exactly where it can refer to the stored 32 bits");
    if constexpr (!cbf::platform::kLongIs32Bit) {
        const long tooLarge = static_cast<long>(INT_MAX) + 1;
        const long tooSmall = static_cast<long>(INT_MIN) - 1;
        const unsigned long tooLargeUnsigned = static_cast<unsigned long>(UINT_MAX) + 1;
        for (auto assign : std::vector<std::function<void(CbVariant&)>>{
                 assigner(tooLarge), assigner(tooSmall), assigner(tooLargeUnsigned)}) {
            CbVariant v;
            v = L"kept";
            EXPECT_THROW(assign(v), CbVariant::CbExceptionConversion);
            EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeStringW) << "a refused long changes nothing";
        }
        try {
            CbVariant v;
            v = tooLarge;
        } catch (const CbVariant::CbExceptionConversion& e) {
            EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
            EXPECT_EQ(e.GetCodeLine(), CbVariant::kLongOutOfRangeLine);
        }
    }
}

TEST(CbVariantTest, SameTypeAssignmentChangesTheHeldObjectInPlace)
{
    CbVariant v;
    v = L"first";
    CStringW& wide = v;
    v = L"second";
    EXPECT_STREQ(wide.GetString(), L"second");

    v = "first";
    CStringA& narrow = v;
    v = CStringA("second");
    EXPECT_STREQ(narrow.GetString(), "second");

    v = Bytes({1, 2});
    CbVariant::ByteArray& bytes = v;
    v = Bytes({3, 4, 5});
    EXPECT_EQ(bytes.GetCount(), 3u);
    EXPECT_EQ(bytes[2], 5);

    v = CbDateTime(L"2020-01-01 00:00:00");
    CbDateTime& date = v;
    v = CbDateTime(L"2021-06-15 12:00:00");
    EXPECT_EQ(date.GetYear(), 2021u);

    CbVariant other;
    other = L"from a variant";
    v = L"held";
    CStringW& held = v;
    v = other;
    EXPECT_STREQ(held.GetString(), L"from a variant") << "copy assignment reuses the object too";
}

TEST(CbVariantTest, CopiesAreDeepAndMovesHandTheObjectOver)
{
    CbVariant original;
    original = L"text";
    CbVariant copy(original);
    static_cast<CStringW&>(copy) = L"changed";
    EXPECT_STREQ(static_cast<const wchar_t*>(original), L"text");

    original = Bytes({1, 2, 3});
    copy = original;
    static_cast<CbVariant::ByteArray&>(copy)[0] = 9;
    EXPECT_EQ(static_cast<const CbVariant::ByteArray&>(original)[0], 1);

    const CStringW* heldString = &static_cast<CStringW&>(original = L"moved");
    CbVariant moved(std::move(original));
    EXPECT_TRUE(original.IsNull());
    EXPECT_EQ(&static_cast<CStringW&>(moved), heldString);

    CbVariant target;
    target = 1.5;
    target = std::move(moved);
    EXPECT_TRUE(moved.IsNull());
    EXPECT_EQ(&static_cast<CStringW&>(target), heldString);

    CbVariant& alias = target;
    target = alias;
    target = std::move(alias);
    EXPECT_EQ(&static_cast<CStringW&>(target), heldString) << "self-assignment changes nothing";
}

TEST(CbVariantTest, ObjectsAreClonedThroughTheRegistryAndOwnedAlone)
{
    {
        CbVariant a;
        a = Shape(5);
        EXPECT_EQ(Shape::live, 1);
        CbVariant b(a);
        EXPECT_EQ(Shape::live, 2);
        EXPECT_NE(&static_cast<IObject&>(a), &static_cast<IObject&>(b));
        EXPECT_EQ(static_cast<Shape&>(static_cast<IObject&>(b)).sides, 5);

        // The variant's own object as the source: cloned before it goes.
        a = static_cast<const IObject&>(a);
        EXPECT_EQ(static_cast<const Shape&>(static_cast<const IObject&>(a)).sides, 5);
        EXPECT_EQ(Shape::live, 2);
        b = nullptr;
        EXPECT_EQ(Shape::live, 1);
    }
    EXPECT_EQ(Shape::live, 0);

    CbVariant created(Shape::RTTI);
    EXPECT_EQ(created.GetType(), CbVariant::eVariantTypeObject);
    EXPECT_TRUE(static_cast<IObject&>(created).GetRTTI() == Shape::RTTI);
}

TEST(CbVariantTest, ObjectsWithoutUsableFactoriesAreRefused)
{
    for (const CbRTTI* type : {&Broken::RTTI, &throwingType, &emptyType}) {
        SCOPED_TRACE(CStringA(type->GetName()).GetString());
        ExpectThrowsAt([&] { CbVariant v(*type); }, "CbVariant.cpp", 146, "CbVariant::CbVariant");
    }
    Broken unclonable;
    Throwing throwing;
    Empty empty;
    for (const IObject* object : std::initializer_list<const IObject*>{&unclonable, &throwing, &empty}) {
        CbVariant v;
        v = L"released";
        ExpectThrowsAt([&] { v = *object; }, "CbVariant.cpp", 416, "CbVariant::operator =");
        EXPECT_TRUE(v.IsNull());
    }
}

TEST(CbVariantTest, ConversionExceptionIsARegisteredCbException)
{
    const CbRTTI* type = CbRTTI::Find(L"CbVariant::CbExceptionConversion");
    ASSERT_EQ(type, &CbVariant::CbExceptionConversion::RTTI);
    EXPECT_TRUE(type->IsKindOf(CbException::RTTI));

    const CbExceptionStream cause(L"cause", 7);
    const CbVariant::CbExceptionConversion e(218, cause);
    EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
    EXPECT_EQ(e.GetCodeLine(), 218u);
    EXPECT_STREQ(e.GetFunctionName(), "");
    ASSERT_TRUE(e.GetHistory());
    EXPECT_TRUE(e.GetHistory()->Is(CbExceptionStream::RTTI));

    // A CbException constructed with it as history keeps its class.
    const CbException wrapper("outer", 1, "f", e);
    EXPECT_TRUE(wrapper.GetHistory()->Is(CbVariant::CbExceptionConversion::RTTI));
    EXPECT_EQ(wrapper.GetHistory()->GetCodeLine(), 218u);
}

// Only damaged memory holds tag 11 or a tag above 18; every operation that
// switches on the tag must reject it without undefined behaviour.
TEST(CbVariantTest, UnknownTagsAreRejectedWherever)
{
    for (const unsigned unknown : {11u, 40u}) {
        SCOPED_TRACE(unknown);
        CbVariant damaged;
        std::memcpy(static_cast<void*>(&damaged), &unknown, sizeof unknown);
        CbVariant target;
        target = 3;
        try {
            target = damaged;
            ADD_FAILURE() << "no exception";
        } catch (const CbVariant::CbExceptionConversion& e) {
            EXPECT_EQ(e.GetCodeLine(), 218u);
        }
        EXPECT_EQ(static_cast<int>(std::as_const(target)), 3) << "the target is unchanged";
        EXPECT_THROW(CbVariant{damaged}, CbVariant::CbExceptionConversion);
        ExpectThrowsAt([&] { static_cast<void>(damaged == damaged); }, "CbVariant.cpp", 500, "CbVariant::operator ==");
        ExpectThrowsAt([&] { static_cast<void>(target < damaged); }, "CbVariant.cpp", 534, "CbVariant::operator <");
        damaged.SetNull();
    }
}

} // namespace
