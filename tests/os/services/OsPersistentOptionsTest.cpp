#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/LongModel.h>

#include "base/exceptions/ExceptionTestSupport.h"
#include "os/services/RegistrySandbox.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Options = OsPersistentOptions;
using cbf::platform::kRegistryTypeNumber;
using cbf::platform::kRegistryTypeText;
constexpr auto kUser = ePersistentOptionsCategoryCurrentUser;
constexpr auto kNoRoot = static_cast<EPersistentOptionsCategory>(5);

class OsPersistentOptionsTest : public cbf::test::RegistrySandbox
{
protected:
    // The bytes stored for an option, read past the class.
    std::vector<unsigned char> Stored(const CStringW& name, EPersistentOptionsCategory category = kUser) const
    {
        std::vector<unsigned char> bytes(8192);
        auto size = static_cast<std::uint32_t>(bytes.size());
        const HKEY root = cbf::platform::RegistryRootKey(category);
        if (!cbf::platform::RegistryQueryValue(root, Key().GetString(), name.GetString(), bytes.data(), size))
            return {};
        bytes.resize(size);
        return bytes;
    }

    void Store(const CStringW& name, std::uint32_t type, const std::vector<unsigned char>& bytes) const
    {
        ASSERT_TRUE(cbf::platform::RegistrySetValue(cbf::platform::RegistryRootKey(kUser), Key().GetString(),
                                                    name.GetString(), type, bytes.data(),
                                                    static_cast<std::uint32_t>(bytes.size())));
    }
};

std::vector<unsigned char> Bytes(std::initializer_list<unsigned> values)
{
    return std::vector<unsigned char>(values.begin(), values.end());
}

std::vector<unsigned char> Utf16Bytes(const std::u16string& text)
{
    std::vector<unsigned char> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

// Every kind is stored as its registry form, under every root, and reads back.
TEST_F(OsPersistentOptionsTest, EachKindIsStoredInItsRegistryFormUnderEveryRoot)
{
    for (unsigned category = 0; category < 5; ++category) {
        SCOPED_TRACE(category);
        const auto root = static_cast<EPersistentOptionsCategory>(category);
        ASSERT_EQ(Options::WriteOption(Key(), L"int", -2, root), 1);
        ASSERT_EQ(Options::WriteOption(Key(), L"ulong", 4000000000ul, root), 1);
        ASSERT_EQ(Options::WriteOption(Key(), L"flag", true, root), 1);
        ASSERT_EQ(Options::WriteOption(Key(), L"text", L"a\U0001F600\u00e9", root), 1);
        ASSERT_EQ(Options::WriteOption(Key(), L"empty", CStringW(), root), 1);
        EXPECT_EQ(Stored(L"int", root), Bytes({0xfe, 0xff, 0xff, 0xff}));
        EXPECT_EQ(Stored(L"ulong", root), Bytes({0x00, 0x28, 0x6b, 0xee}));
        EXPECT_EQ(Stored(L"flag", root), Bytes({1, 0, 0, 0}));
        EXPECT_EQ(Stored(L"text", root), Utf16Bytes(u"a\U0001F600\u00e9"));
        EXPECT_TRUE(Stored(L"empty", root).empty());

        int number = 0;
        unsigned long unsignedNumber = 0;
        bool flag = false;
        CStringW text;
        EXPECT_EQ(Options::ReadOption(Key(), L"int", number, root), 1);
        EXPECT_EQ(Options::ReadOption(Key(), L"ulong", unsignedNumber, root), 1);
        EXPECT_EQ(Options::ReadOption(Key(), L"flag", flag, root), 1);
        EXPECT_EQ(Options::ReadOption(Key(), L"text", text, 4, root), 1);
        EXPECT_EQ(number, -2);
        EXPECT_EQ(unsignedNumber, 4000000000ul);
        EXPECT_TRUE(flag);
        EXPECT_EQ(text, CStringW(L"a\U0001F600\u00e9"));
        ASSERT_EQ(Options::WriteOption(Key(), L"flag", false, root), 1);
        EXPECT_EQ(Stored(L"flag", root), Bytes({0, 0, 0, 0}));
    }
}

// The roots are separate: an option under one is not under another.
TEST_F(OsPersistentOptionsTest, RootsAreSeparate)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"only", 1, ePersistentOptionsCategoryLocalMachine), 1);
    int value = 7;
    EXPECT_EQ(Options::ReadOption(Key(), L"only", value, kUser), 0);
    EXPECT_EQ(Options::ReadOption(Key(), L"only", value, ePersistentOptionsCategoryUsers), 0);
    EXPECT_EQ(value, 7);
}

// A failed read answers 0 and leaves every output but the unsigned one alone;
// no root, a missing key or value, and a name with a NUL inside all fail.
TEST_F(OsPersistentOptionsTest, FailedOperationsAnswerZeroAndLeaveTheOutputs)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"present", 5, kUser), 1);
    struct Case
    {
        const char* what;
        CStringW key;
        CStringW name;
        EPersistentOptionsCategory category;
    };
    const Case cases[] = {
        {"missing value", Key(), L"absent", kUser},
        {"missing key", Key() + L"\\absent", L"present", kUser},
        {"no root", Key(), L"present", kNoRoot},
        {"NUL in the name", Key(), CStringW(L"present\0x", 9), kUser},
        {"NUL in the key", Key() + CStringW(L"\0x", 2), L"present", kUser},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int number = 11;
        bool flag = true;
        CStringW text = L"old";
        CbVariant variant;
        variant = 3.5;
        unsigned long unsignedNumber = 0;
        EXPECT_EQ(Options::ReadOption(c.key, c.name, number, c.category), 0);
        EXPECT_EQ(Options::ReadOption(c.key, c.name, unsignedNumber, c.category), 0);
        EXPECT_EQ(Options::ReadOption(c.key, c.name, flag, c.category), 0);
        EXPECT_EQ(Options::ReadOption(c.key, c.name, text, 100, c.category), 0);
        for (auto type : {CbVariant::eVariantTypeBool, CbVariant::eVariantTypeUInt, CbVariant::eVariantTypeDouble})
            EXPECT_EQ(Options::ReadOption(c.key, c.name, variant, type, c.category), 0);
        EXPECT_EQ(number, 11);
        EXPECT_TRUE(flag);
        EXPECT_EQ(text, CStringW(L"old"));
        EXPECT_EQ(static_cast<double>(std::as_const(variant)), 3.5);
        EXPECT_FALSE(Options::DeleteOption(c.key, c.name, c.category));
    }
    EXPECT_EQ(Options::WriteOption(Key(), L"x", 1, kNoRoot), 0);
    EXPECT_EQ(Options::WriteOption(Key(), CStringW(L"x\0y", 3), 1, kUser), 0);
    EXPECT_EQ(Stored(L"x").size(), 0u);
}

// The readers take whatever bytes are stored, whatever their type: numbers
// up to 4 bytes (fewer are zero-extended), a flag only 1 as true.
TEST_F(OsPersistentOptionsTest, ReadersTakeTheStoredBytesWhateverTheirType)
{
    struct Case
    {
        const wchar_t* name;
        std::uint32_t type;
        std::vector<unsigned char> bytes;
        int number; // 0 with `read` false: the read fails
        bool read;
        bool flag;
    };
    const Case cases[] = {
        {L"two", kRegistryTypeNumber, Bytes({2, 0, 0, 0}), 2, true, false},
        {L"one", kRegistryTypeNumber, Bytes({1, 0, 0, 0}), 1, true, true},
        {L"short", kRegistryTypeNumber, Bytes({1, 2}), 0x0201, true, false},
        {L"none", kRegistryTypeNumber, Bytes({}), 0, true, false},
        {L"text of two", kRegistryTypeText, Utf16Bytes(u"ab"), 0x00620061, true, false},
        {L"too long", kRegistryTypeNumber, Bytes({1, 0, 0, 0, 0}), 0, false, false},
        {L"long text", kRegistryTypeText, Utf16Bytes(u"abc"), 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.name)));
        Store(c.name, c.type, c.bytes);
        int number = -1;
        bool flag = !c.flag;
        CbVariant variant;
        EXPECT_EQ(Options::ReadOption(Key(), c.name, number, kUser), c.read ? 1 : 0);
        EXPECT_EQ(Options::ReadOption(Key(), c.name, flag, kUser), c.read ? 1 : 0);
        EXPECT_EQ(Options::ReadOption(Key(), c.name, variant, CbVariant::eVariantTypeUInt, kUser), c.read ? 1 : 0);
        if (c.read) {
            EXPECT_EQ(number, c.number);
            EXPECT_EQ(flag, c.flag);
            EXPECT_EQ(static_cast<unsigned int>(std::as_const(variant)), static_cast<unsigned>(c.number));
        }
    }
}

// A text is read up to its first NUL and only when it fits the maximum,
// counted in UTF-16 code units.
TEST_F(OsPersistentOptionsTest, TextsFitTheirMaximumAndEndAtTheirFirstNul)
{
    const CStringW longText(L'x', 3000);
    ASSERT_EQ(Options::WriteOption(Key(), L"hello", L"hello", kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"pair", L"\U0001F600", kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"nul", CStringW(L"ab\0cd", 5), kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"empty", L"", kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"long", longText, kUser), 1);
    Store(L"odd", kRegistryTypeText, Bytes({'a', 0, 'b'}));
    struct Case
    {
        const wchar_t* name;
        unsigned long maximum;
        const wchar_t* expected; // null: the read fails
    };
    const Case cases[] = {
        {L"hello", 6, L"hello"},  {L"hello", 5, L"hello"},
        {L"hello", 4, nullptr},   {L"pair", 2, L"\U0001F600"},
        {L"pair", 1, nullptr},    {L"nul", 5, L"ab"},
        {L"nul", 4, nullptr},     {L"empty", 0, L""},
        {L"hello", 0, nullptr},   {L"odd", 2, L"ab"},
        {L"odd", 1, nullptr},     {L"long", 3000, longText.GetString()},
        {L"long", 2999, nullptr}, {L"long", 0xFFFFFFFFul, longText.GetString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.name)) + " max " + std::to_string(c.maximum));
        CStringW text = L"old";
        EXPECT_EQ(Options::ReadOption(Key(), c.name, text, c.maximum, kUser), c.expected ? 1 : 0);
        EXPECT_EQ(text, CStringW(c.expected ? c.expected : L"old"));
    }
}

// A variant is read by the requested type: bool and int give an int, the
// numbers of other kinds give the stored text; 3, 7 and unknown types throw
// before anything is read.
TEST_F(OsPersistentOptionsTest, VariantsAreReadByTheRequestedType)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"one", 1, kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"number text", L"2.5", kUser), 1);
    struct Case
    {
        const wchar_t* name;
        CbVariant::EVariantType requested;
        CbVariant::EVariantType held;
    };
    const Case cases[] = {
        {L"one", CbVariant::eVariantTypeBool, CbVariant::eVariantTypeInt},
        {L"one", CbVariant::eVariantTypeInt, CbVariant::eVariantTypeInt},
        {L"one", CbVariant::eVariantTypeUInt, CbVariant::eVariantTypeUInt},
        {L"number text", CbVariant::eVariantTypeDouble, CbVariant::eVariantTypeStringW},
        {L"number text", CbVariant::eVariantTypeFloat, CbVariant::eVariantTypeStringW},
        {L"number text", CbVariant::eVariantTypeStringW, CbVariant::eVariantTypeStringW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        CbVariant variant;
        variant = L"a string to replace";
        ASSERT_EQ(Options::ReadOption(Key(), c.name, variant, c.requested, kUser), 1);
        ASSERT_EQ(variant.GetType(), c.held);
        if (c.held == CbVariant::eVariantTypeStringW)
            EXPECT_EQ(static_cast<const CStringW&>(std::as_const(variant)), CStringW(L"2.5"));
        else
            EXPECT_EQ(c.held == CbVariant::eVariantTypeInt ? static_cast<int>(std::as_const(variant))
                                                           : static_cast<int>(static_cast<unsigned>(variant)),
                      1);
    }
    for (unsigned type : {0u, 3u, 7u, 9u, 11u, 18u, 1000u}) {
        SCOPED_TRACE(type);
        CbVariant variant;
        variant = 9;
        cbf::test::ExpectThrowsAt(
            [&] { Options::ReadOption(Key(), L"one", variant, static_cast<CbVariant::EVariantType>(type), kNoRoot); },
            "OsPersistentOptions", 232, "OsPersistentOptions::ReadOption");
        EXPECT_EQ(static_cast<int>(std::as_const(variant)), 9);
    }
}

// A variant is written by its type; an unsigned int as a 32-bit number. Other
// types throw and write nothing.
TEST_F(OsPersistentOptionsTest, VariantsAreWrittenByTheirTypeOrRefused)
{
    CbVariant variant;
    variant = true;
    ASSERT_EQ(Options::WriteOption(Key(), L"bool", variant, kUser), 1);
    variant = -3;
    ASSERT_EQ(Options::WriteOption(Key(), L"int", variant, kUser), 1);
    variant = 3000000000u;
    ASSERT_EQ(Options::WriteOption(Key(), L"uint", variant, kUser), 1);
    variant = L"text";
    ASSERT_EQ(Options::WriteOption(Key(), L"text", variant, kUser), 1);
    EXPECT_EQ(Stored(L"bool"), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(Stored(L"int"), Bytes({0xfd, 0xff, 0xff, 0xff}));
    EXPECT_EQ(Stored(L"uint"), Bytes({0x00, 0x5e, 0xd0, 0xb2}));
    EXPECT_EQ(Stored(L"text"), Utf16Bytes(u"text"));
    CbVariant back;
    ASSERT_EQ(Options::ReadOption(Key(), L"uint", back, CbVariant::eVariantTypeUInt, kUser), 1);
    CbVariant expected;
    expected = 3000000000u;
    EXPECT_TRUE(back == expected);

    std::vector<CbVariant> refused(7);
    refused[1] = 2.5;
    refused[2] = 2.5f;
    refused[3] = static_cast<__int64>(1);
    refused[4] = 'c';
    refused[5] = "narrow";
    refused[6] = static_cast<short>(1);
    for (const CbVariant& value : refused) {
        SCOPED_TRACE(value.GetType());
        cbf::test::ExpectThrowsAt([&] { Options::WriteOption(Key(), L"refused", value, kUser); }, "OsPersistentOptions",
                                  266, "OsPersistentOptions::WriteOption");
        EXPECT_TRUE(Stored(L"refused").empty());
        CStringW text;
        EXPECT_EQ(Options::ReadOption(Key(), L"refused", text, 10, kUser), 0);
    }
}

// Keys and value names compare without case, letters beyond ASCII included;
// a write below missing keys creates them all.
TEST_F(OsPersistentOptionsTest, NamesCompareWithoutCaseAndMissingKeysAreCreated)
{
    const CStringW deep = Key() + L"\\Ärger\\Σοφία\\Дом\\x";
    ASSERT_EQ(Options::WriteOption(deep, L"Größe", 42, kUser), 1);
    int value = 0;
    EXPECT_EQ(Options::ReadOption(Key() + L"\\äRGER\\σΟΦΊΑ\\дОМ\\X", L"GRößE", value, kUser), 1);
    EXPECT_EQ(value, 42);
    ASSERT_EQ(Options::WriteOption(Key() + L"\\ärger", L"upper level", 1, kUser), 1);
    EXPECT_EQ(Options::ReadOption(Key() + L"\\ÄRGER", L"UPPER LEVEL", value, kUser), 1);
}

// Deleting removes the value alone: a second delete answers false, and the
// key takes new values.
TEST_F(OsPersistentOptionsTest, DeleteRemovesTheValueOnce)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"gone", 1, kUser), 1);
    ASSERT_EQ(Options::WriteOption(Key(), L"kept", 2, kUser), 1);
    EXPECT_TRUE(Options::DeleteOption(Key(), L"GONE", kUser));
    EXPECT_FALSE(Options::DeleteOption(Key(), L"gone", kUser));
    int value = 0;
    EXPECT_EQ(Options::ReadOption(Key(), L"gone", value, kUser), 0);
    EXPECT_EQ(Options::ReadOption(Key(), L"kept", value, kUser), 1);
    EXPECT_EQ(value, 2);
}

TEST_F(OsPersistentOptionsTest, UnsignedLongsBeyondThirtyTwoBitsAreRefused)
{
    if constexpr (cbf::platform::kLongIs32Bit) {
        GTEST_SKIP() << "unsigned long is 32 bits wide here";
    } else {
        const auto tooLarge = static_cast<unsigned long>(0x100000000ull);
        cbf::test::ExpectThrowsAt([&] { Options::WriteOption(Key(), L"large", tooLarge, kUser); },
                                  "OsPersistentOptions", Options::kUnsignedLongOutOfRangeLine,
                                  "OsPersistentOptions::WriteOption");
        EXPECT_TRUE(Stored(L"large").empty());
    }
}

} // namespace
