#include "CbVariantTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <utility>

using namespace variant_test;

const CbRTTI Shape::RTTI(L"CbVariantTest.Shape", &Shape::Create, &Shape::CloneByFactory);

namespace {

// Registered classes whose factories cannot deliver: none at all, one that
// throws, one that returns null.
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

template <const CbRTTI& type>
class BrokenAs : public Broken
{
    const CbRTTI& GetRTTI() const override { return type; }
};

using Action = std::function<void(CbVariant&)>;

template <class T>
Action set(T value)
{
    return [value](CbVariant& v) { v = value; };
}

template <class T>
void value(CbVariant& v)
{
    static_cast<void>(static_cast<T>(std::as_const(v)));
}

template <class T>
void reference(CbVariant& v)
{
    static_cast<void>(static_cast<T&>(v));
}

struct Accessor
{
    unsigned line;
    const char* function;
    Action assignItsType;
    Action access;
};

std::vector<Accessor> accessors()
{
    const Action narrow = set(CStringA("n"));
    const Action wide = set(CStringW(L"w"));
    const Action bytes = set(Bytes({1}));
    const Action date = set(CbDateTime(L"2024-02-29 13:05:09"));
    const Action object = [](CbVariant& v) { v = Shape(); };
    std::vector<Accessor> table = {
        {203, "CbVariant::operator bool", set(true), value<bool>},
        {205, "CbVariant::operator bool &", set(true), reference<bool>},
        {208, "CbVariant::operator char", set('c'), value<char>},
        {210, "CbVariant::operator char &", set('c'), reference<char>},
        {213, "CbVariant::operator signed char", set<signed char>(1), value<signed char>},
        {215, "CbVariant::operator signed char &", set<signed char>(1), reference<signed char>},
        {218, "CbVariant::operator unsigned char", set<unsigned char>(1), value<unsigned char>},
        {220, "CbVariant::operator unsigned char &", set<unsigned char>(1), reference<unsigned char>},
        {223, "CbVariant::operator short", set<short>(1), value<short>},
        {225, "CbVariant::operator short &", set<short>(1), reference<short>},
        {228, "CbVariant::operator unsigned short", set<unsigned short>(1), value<unsigned short>},
        {230, "CbVariant::operator unsigned short &", set<unsigned short>(1), reference<unsigned short>},
        {233, "CbVariant::operator int", set(1), value<int>},
        {235, "CbVariant::operator int &", set(1), reference<int>},
        {238, "CbVariant::operator unsigned int", set(1u), value<unsigned int>},
        {240, "CbVariant::operator unsigned int &", set(1u), reference<unsigned int>},
        {243, "CbVariant::operator __int64", set(1ll), value<__int64>},
        {245, "CbVariant::operator __int64 &", set(1ll), reference<__int64>},
        {248, "CbVariant::operator unsigned __int64", set(1ull), value<unsigned __int64>},
        {250, "CbVariant::operator unsigned __int64 &", set(1ull), reference<unsigned __int64>},
        {253, "CbVariant::operator long", set(1l), value<long>},
        {258, "CbVariant::operator unsigned long", set(1ul), value<unsigned long>},
        {263, "CbVariant::operator float", set(1.0f), value<float>},
        {265, "CbVariant::operator float &", set(1.0f), reference<float>},
        {268, "CbVariant::operator double", set(1.0), value<double>},
        {270, "CbVariant::operator double &", set(1.0), reference<double>},
        {273,
         "CbVariant::operator const class ATL::CStringT<char,class StrTraitMFC_DLL<char,class "
         "ATL::ChTraitsCRT<char> > > &",
         narrow, value<const CStringA&>},
        {275, "CbVariant::operator class ATL::CStringT<char,class StrTraitMFC_DLL<char,class ATL::ChTraitsCRT<char> > > &",
         narrow, reference<CStringA>},
        {277, "CbVariant::operator const char *", narrow, value<const char*>},
        {280,
         "CbVariant::operator const class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
         "ATL::ChTraitsCRT<wchar_t> > > &",
         wide, value<const CStringW&>},
        {282,
         "CbVariant::operator class ATL::CStringT<wchar_t,class StrTraitMFC_DLL<wchar_t,class "
         "ATL::ChTraitsCRT<wchar_t> > > &",
         wide, reference<CStringW>},
        {284, "CbVariant::operator const wchar_t *", wide, value<const wchar_t*>},
        {287, "CbVariant::operator const class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &", bytes,
         value<const CbVariant::ByteArray&>},
        {289, "CbVariant::operator class CbArray<unsigned char,0,class CbArrayPolicyConstructDefault> &", bytes,
         reference<CbVariant::ByteArray>},
        {292, "CbVariant::operator const class CbDateTime &", date, value<const CbDateTime&>},
        {294, "CbVariant::operator class CbDateTime &", date, reference<CbDateTime>},
        {297, "CbVariant::operator const class IObject &", object, value<const IObject&>},
        {299, "CbVariant::operator class IObject &", object, reference<IObject>},
    };
    // References to long exist only where long is 32 bits wide.
    if constexpr (cbf::platform::kLongIs32Bit) {
        table.push_back({255, "CbVariant::operator long &", set(1l), [](auto& v) {
                             if constexpr (cbf::platform::kLongIs32Bit)
                                 static_cast<void>(static_cast<long&>(v));
                         }});
        table.push_back({260, "CbVariant::operator unsigned long &", set(1ul), [](auto& v) {
                             if constexpr (cbf::platform::kLongIs32Bit)
                                 static_cast<void>(static_cast<unsigned long&>(v));
                         }});
    }
    return table;
}

TEST(CbVariantTest, EveryAccessorDemandsExactlyItsTypeAndNamesItself)
{
    for (const Accessor& accessor : accessors()) {
        SCOPED_TRACE(accessor.function);
        CbVariant v;
        ExpectThrowsAt([&] { accessor.access(v); }, "CbVariant.h", accessor.line, accessor.function);
        accessor.assignItsType(v);
        EXPECT_NO_THROW(accessor.access(v));
        if (v.GetType() == CbVariant::eVariantTypeBool)
            v = 1;
        else
            v = true;
        ExpectThrowsAt([&] { accessor.access(v); }, "CbVariant.h", accessor.line, accessor.function);
    }
    EXPECT_EQ(Shape::live, 0);
}

TEST(CbVariantTest, AssignmentsChooseTheirTypeAndLongStaysThirtyTwoBits)
{
    CbVariant v;
    EXPECT_TRUE(v.IsNull());
    v = 5l;
    EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeInt);
    const long viaNonConst = v; // must be unambiguous for both widths of long
    EXPECT_EQ(viaNonConst, 5);
    v = -7;
    EXPECT_EQ(static_cast<long>(std::as_const(v)), -7l) << "widened with its sign";
    v = 4000000000ul;
    EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeUInt);
    EXPECT_EQ(static_cast<unsigned long>(v), 4000000000ul);

    v = static_cast<const char*>(nullptr);
    EXPECT_STREQ(static_cast<const char*>(v), "");
    v = static_cast<const wchar_t*>(nullptr);
    EXPECT_STREQ(static_cast<const wchar_t*>(v), L"");
    v = nullptr;
    EXPECT_TRUE(v.IsNull());

    static_assert(std::is_convertible_v<CbVariant&, long&> == cbf::platform::kLongIs32Bit,
                  "long& is offered exactly where it can refer to the stored 32 bits");
    if constexpr (!cbf::platform::kLongIs32Bit) {
        for (const Action& assign : {set(LONG_MAX), set(LONG_MIN), set(ULONG_MAX)}) {
            v = L"kept";
            try {
                assign(v);
                ADD_FAILURE() << "no exception";
            } catch (const CbVariant::CbExceptionConversion& e) {
                EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
                EXPECT_TRUE(e.GetCodeLine() == CbVariant::kLongOutOfRangeLine ||
                            e.GetCodeLine() == CbVariant::kUnsignedLongOutOfRangeLine);
            }
            EXPECT_EQ(v.GetType(), CbVariant::eVariantTypeStringW) << "a refused long changes nothing";
        }
    }
}

TEST(CbVariantTest, SameTypeAssignmentChangesTheHeldObjectInPlace)
{
    CbVariant v;
    v = L"first";
    const CStringW& wide = v;
    v = L"second";
    EXPECT_STREQ(wide.GetString(), L"second");
    CbVariant other;
    other = L"from a variant";
    v = other;
    EXPECT_STREQ(wide.GetString(), L"from a variant");

    v = Bytes({1, 2});
    const CbVariant::ByteArray& bytes = v;
    v = Bytes({3, 4, 5});
    EXPECT_EQ(bytes.GetCount(), 3u);

    v = CbDateTime(L"2020-01-01 00:00:00");
    const CbDateTime& date = v;
    v = CbDateTime(L"2021-06-15 12:00:00");
    EXPECT_EQ(date.GetYear(), 2021u);

    int& slot = v = 1;
    slot = 9;
    EXPECT_EQ(static_cast<int>(std::as_const(v)), 9);
}

TEST(CbVariantTest, CopiesAreDeepAndMovesHandTheObjectOver)
{
    CbVariant original;
    original = L"text";
    CbVariant copy(original);
    static_cast<CStringW&>(copy) = L"changed";
    EXPECT_STREQ(static_cast<const wchar_t*>(original), L"text");

    const CStringW* held = &static_cast<CStringW&>(original);
    CbVariant moved(std::move(original));
    EXPECT_TRUE(original.IsNull());
    EXPECT_EQ(&static_cast<CStringW&>(moved), held);
    CbVariant target;
    target = Bytes({1});
    target = std::move(moved);
    EXPECT_TRUE(moved.IsNull());
    EXPECT_EQ(&static_cast<CStringW&>(target), held);

    CbVariant& alias = target;
    target = alias;
    target = std::move(alias);
    EXPECT_EQ(&static_cast<CStringW&>(target), held) << "self-assignment changes nothing";
}

TEST(CbVariantTest, ObjectsAreClonedThroughTheRegistryAndOwnedAlone)
{
    {
        CbVariant a;
        a = Shape(5);
        CbVariant b(a);
        EXPECT_EQ(Shape::live, 2);
        EXPECT_EQ(static_cast<const Shape&>(static_cast<const IObject&>(b)).sides, 5);
        a = static_cast<const IObject&>(a); // its own object: cloned before it goes
        EXPECT_EQ(static_cast<const Shape&>(static_cast<const IObject&>(a)).sides, 5);
        b = nullptr;
        EXPECT_EQ(Shape::live, 1);
    }
    EXPECT_EQ(Shape::live, 0);
    CbVariant created(Shape::RTTI);
    EXPECT_TRUE(static_cast<IObject&>(created).GetRTTI() == Shape::RTTI);

    for (const CbRTTI* type : {&Broken::RTTI, &throwingType, &emptyType})
        ExpectThrowsAt([&] { CbVariant v(*type); }, "CbVariant.cpp", 146, "CbVariant::CbVariant");
    const Broken unclonable;
    const BrokenAs<throwingType> throwing;
    const BrokenAs<emptyType> empty;
    for (const IObject* object : std::initializer_list<const IObject*>{&unclonable, &throwing, &empty}) {
        CbVariant v;
        v = L"released";
        ExpectThrowsAt([&] { v = *object; }, "CbVariant.cpp", 416, "CbVariant::operator =");
        EXPECT_TRUE(v.IsNull());
    }
}

TEST(CbVariantTest, ConversionExceptionIsARegisteredCbException)
{
    EXPECT_EQ(CbRTTI::Find(L"CbVariant::CbExceptionConversion"), &CbVariant::CbExceptionConversion::RTTI);
    const CbVariant::CbExceptionConversion e(218, CbExceptionStream(L"cause", 7));
    EXPECT_STREQ(e.GetFilename(), "CbVariant.cpp");
    EXPECT_EQ(e.GetCodeLine(), 218u);
    EXPECT_TRUE(e.GetHistory()->Is(CbExceptionStream::RTTI));
    const CbException wrapper("outer", 1, "f", e);
    EXPECT_TRUE(wrapper.GetHistory()->Is(CbVariant::CbExceptionConversion::RTTI)) << "cloned with its class";
}

// Only damaged memory holds tag 11 or a tag above 18; every operation that
// switches on the tag must reject it without undefined behaviour.
TEST(CbVariantTest, UnknownTagsAreRejectedWherever)
{
    for (const unsigned unknown : {11u, 40u}) {
        CbVariant damaged;
        std::memcpy(static_cast<void*>(&damaged), &unknown, sizeof unknown);
        CbVariant target;
        target = 3;
        ExpectThrowsAt([&] { target = damaged; }, "CbVariant.cpp", 218, "");
        EXPECT_EQ(static_cast<int>(std::as_const(target)), 3) << "the target is unchanged";
        EXPECT_THROW(CbVariant{damaged}, CbVariant::CbExceptionConversion);
        ExpectThrowsAt([&] { static_cast<void>(damaged == damaged); }, "CbVariant.cpp", 500, "CbVariant::operator ==");
        ExpectThrowsAt([&] { static_cast<void>(target < damaged); }, "CbVariant.cpp", 534, "CbVariant::operator <");
    }
}

} // namespace
