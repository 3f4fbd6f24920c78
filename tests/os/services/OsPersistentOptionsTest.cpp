// Tests of persistent options: storage forms, failures, texts, variants and names.
#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/LongModel.h>

#include "base/exceptions/ExceptionTestSupport.h"
#include "os/services/RegistrySandbox.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

namespace {

using Options = OsPersistentOptions;
using cbf::platform::kRegistryTypeNumber;
using cbf::platform::kRegistryTypeText;
constexpr auto kUser = ePersistentOptionsCategoryCurrentUser;
constexpr auto kNoRoot = static_cast<EPersistentOptionsCategory>(5);

std::string Utf16(const std::u16string& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

template <typename T>
CbVariant Variant(const T& value)
{
    CbVariant variant;
    variant = value;
    return variant;
}

class OsPersistentOptionsTest : public cbf::test::RegistrySandbox
{
protected:
    // The bytes stored for an option, read past the class ("" when none).
    std::string Stored(const CStringW& name, EPersistentOptionsCategory category = kUser) const
    {
        std::string bytes(8192, '\0');
        auto size = static_cast<std::uint32_t>(bytes.size());
        const HKEY root = cbf::platform::RegistryRootKey(category);
        if (!cbf::platform::RegistryQueryValue(root, Key().GetString(), name.GetString(), bytes.data(), size))
            return {};
        return bytes.substr(0, size);
    }

    template <typename T>
    int Write(const CStringW& name, const T& value, EPersistentOptionsCategory category = kUser) const
    {
        return Options::WriteOption(Key(), name, value, category);
    }

    template <typename T>
    int Read(const CStringW& name, T& value, EPersistentOptionsCategory category = kUser) const
    {
        return Options::ReadOption(Key(), name, value, category);
    }

    void Store(const CStringW& name, std::uint32_t type, const std::string& bytes) const
    {
        ASSERT_TRUE(cbf::platform::RegistrySetValue(cbf::platform::RegistryRootKey(kUser), Key().GetString(),
                                                    name.GetString(), type, bytes.data(),
                                                    static_cast<std::uint32_t>(bytes.size())));
    }
};

// Every kind is stored in its registry form under each root, apart from the
// other roots (all are written before any is read), and reads back.
TEST_F(OsPersistentOptionsTest, EachKindIsStoredInItsRegistryFormUnderEachRoot)
{
    const CStringW text = L"a\U0001F600\u00e9";
    for (unsigned category = 0; category < 5; ++category) {
        const auto root = static_cast<EPersistentOptionsCategory>(category);
        ASSERT_EQ(Write(L"int", -2 - static_cast<int>(category), root) + Write(L"ulong", 4000000000ul, root) +
                      Write(L"flag", true, root) + Write(L"text", text, root) + Write(L"empty", CStringW(), root),
                  5);
    }
    for (unsigned category = 0; category < 5; ++category) {
        SCOPED_TRACE(category);
        const auto root = static_cast<EPersistentOptionsCategory>(category);
        EXPECT_EQ(Stored(L"int", root), std::string(1, static_cast<char>(0xfe - category)) + "\xff\xff\xff");
        EXPECT_EQ(Stored(L"ulong", root), std::string("\x00\x28\x6b\xee", 4));
        EXPECT_EQ(Stored(L"flag", root), std::string("\x01\x00\x00\x00", 4));
        EXPECT_EQ(Stored(L"text", root), Utf16(u"a\U0001F600\u00e9"));
        EXPECT_EQ(Stored(L"empty", root), "");
        int number = 0;
        unsigned long unsignedNumber = 0;
        bool flag = false;
        CStringW back;
        EXPECT_EQ(Read(L"int", number, root) + Read(L"flag", flag, root) + Read(L"ulong", unsignedNumber, root) +
                      Options::ReadOption(Key(), L"text", back, 4, root),
                  4);
        EXPECT_TRUE(number == -2 - static_cast<int>(category) && unsignedNumber == 4000000000ul && flag);
        EXPECT_EQ(back, text);
    }
    ASSERT_EQ(Write(L"flag", false), 1);
    EXPECT_EQ(Stored(L"flag"), std::string(4, '\0'));
}

// A failed read answers 0 and leaves every output but the unsigned one alone;
// no root, a missing key or value, and a name with a NUL inside all fail.
TEST_F(OsPersistentOptionsTest, FailedOperationsAnswerZeroAndLeaveTheOutputs)
{
    ASSERT_EQ(Write(L"present", 5), 1);
    const std::tuple<CStringW, CStringW, EPersistentOptionsCategory> cases[] = {
        {Key(), L"absent", kUser},
        {Key() + L"\\absent", L"present", kUser},
        {Key(), L"present", kNoRoot},
        {Key(), CStringW(L"present\0x", 9), kUser},
        {Key() + CStringW(L"\0x", 2), L"present", kUser},
    };
    for (const auto& [key, name, category] : cases) {
        SCOPED_TRACE(testing::Message() << CStringA(name).GetString() << ", " << category);
        int number = 11;
        bool flag = true;
        CStringW text = L"old";
        CbVariant variant = Variant(3.5);
        unsigned long unsignedNumber = 0;
        EXPECT_EQ(Options::ReadOption(key, name, number, category) + Options::ReadOption(key, name, flag, category) +
                      Options::ReadOption(key, name, unsignedNumber, category) +
                      Options::ReadOption(key, name, text, 100, category),
                  0);
        for (auto type : {CbVariant::eVariantTypeBool, CbVariant::eVariantTypeUInt, CbVariant::eVariantTypeDouble})
            EXPECT_EQ(Options::ReadOption(key, name, variant, type, category), 0);
        EXPECT_TRUE(number == 11 && flag && text == CStringW(L"old"));
        EXPECT_EQ(static_cast<double>(std::as_const(variant)), 3.5);
        EXPECT_FALSE(Options::DeleteOption(key, name, category));
    }
    EXPECT_EQ(Options::WriteOption(Key(), L"x", 1, kNoRoot), 0);
    EXPECT_EQ(Write(CStringW(L"x\0y", 3), 1), 0);
    EXPECT_EQ(Stored(L"x"), "");
}

// The readers take whatever bytes are stored, whatever their type: numbers
// up to 4 bytes (fewer are zero-extended), a flag only 1 as true.
TEST_F(OsPersistentOptionsTest, ReadersTakeTheStoredBytesWhateverTheirType)
{
    // The type, the bytes and the number read from them (-1: the read fails).
    const std::tuple<std::uint32_t, std::string, int> cases[] = {
        {kRegistryTypeNumber, std::string("\x02\x00\x00\x00", 4), 2},
        {kRegistryTypeNumber, std::string("\x01\x00\x00\x00", 4), 1},
        {kRegistryTypeNumber, "\x01\x02", 0x0201},
        {kRegistryTypeNumber, "", 0},
        {kRegistryTypeText, Utf16(u"ab"), 0x00620061},
        {kRegistryTypeNumber, std::string("\x01\x00\x00\x00\x00", 5), -1},
        {kRegistryTypeText, Utf16(u"abc"), -1},
    };
    for (const auto& [type, bytes, expected] : cases) {
        SCOPED_TRACE(expected);
        Store(L"v", type, bytes);
        int number = -1;
        bool flag = expected != 1;
        CbVariant variant;
        const int read = expected == -1 ? 0 : 1;
        EXPECT_EQ(Read(L"v", number), read);
        EXPECT_EQ(Read(L"v", flag), read);
        EXPECT_EQ(Options::ReadOption(Key(), L"v", variant, CbVariant::eVariantTypeUInt, kUser), read);
        EXPECT_EQ(number, expected);
        EXPECT_EQ(flag, expected == 1 || read == 0);
        EXPECT_EQ(variant.GetType(), read ? CbVariant::eVariantTypeUInt : CbVariant::eVariantTypeNull);
    }
}

// A text is read up to its first NUL and only when it fits the maximum,
// counted in UTF-16 code units.
TEST_F(OsPersistentOptionsTest, TextsFitTheirMaximumAndEndAtTheirFirstNul)
{
    const CStringW longText(L'x', 5000);
    ASSERT_EQ(Write(L"hello", L"hello") + Write(L"pair", L"\U0001F600") + Write(L"nul", CStringW(L"ab\0cd", 5)) +
                  Write(L"empty", L"") + Write(L"long", longText),
              5);
    Store(L"odd", kRegistryTypeText, std::string("a\0b", 3));
    // The name, the maximum and the text read (null: the read fails).
    const wchar_t* const x5000 = longText.GetString();
    const std::tuple<const wchar_t*, unsigned long, const wchar_t*> cases[] = {
        {L"hello", 6, L"hello"},  {L"hello", 5, L"hello"},
        {L"hello", 4, nullptr},   {L"pair", 2, L"\U0001F600"},
        {L"pair", 1, nullptr},    {L"nul", 5, L"ab"},
        {L"nul", 4, nullptr},     {L"empty", 0, L""},
        {L"hello", 0, nullptr},   {L"odd", 2, L"ab"},
        {L"odd", 1, nullptr},     {L"long", 5000, x5000},
        {L"long", 4999, nullptr}, {L"long", 0xFFFFFFFFul, x5000},
    };
    for (const auto& [name, maximum, expected] : cases) {
        SCOPED_TRACE(testing::Message() << CStringA(name).GetString() << ", " << maximum);
        CStringW text = L"old";
        EXPECT_EQ(Options::ReadOption(Key(), name, text, maximum, kUser), expected ? 1 : 0);
        EXPECT_EQ(text, CStringW(expected ? expected : L"old"));
    }
}

// A variant is read by the requested type: bool and int give an int, the
// numbers of other kinds give the stored text; 3, 7 and unknown types throw
// before anything is read.
TEST_F(OsPersistentOptionsTest, VariantsAreReadByTheRequestedType)
{
    ASSERT_EQ(Write(L"one", 1) + Write(L"2.5", L"2.5"), 2);
    // The requested type, the option read and the variant it gives.
    const std::tuple<CbVariant::EVariantType, const wchar_t*, CbVariant> cases[] = {
        {CbVariant::eVariantTypeBool, L"one", Variant(1)},
        {CbVariant::eVariantTypeInt, L"one", Variant(1)},
        {CbVariant::eVariantTypeUInt, L"one", Variant(1u)},
        {CbVariant::eVariantTypeDouble, L"2.5", Variant(L"2.5")},
        {CbVariant::eVariantTypeFloat, L"2.5", Variant(L"2.5")},
        {CbVariant::eVariantTypeStringW, L"2.5", Variant(L"2.5")},
    };
    for (const auto& [requested, name, expected] : cases) {
        SCOPED_TRACE(requested);
        CbVariant variant = Variant(L"a string to replace");
        ASSERT_EQ(Options::ReadOption(Key(), name, variant, requested, kUser), 1);
        EXPECT_TRUE(variant == expected);
    }
    for (unsigned type : {0u, 3u, 7u, 9u, 11u, 18u, 1000u}) {
        SCOPED_TRACE(type);
        CbVariant variant = Variant(9);
        const auto requested = static_cast<CbVariant::EVariantType>(type);
        cbf::test::ExpectThrowsAt([&] { Options::ReadOption(Key(), L"one", variant, requested, kNoRoot); },
                                  "OsPersistentOptions", 232, "OsPersistentOptions::ReadOption");
        EXPECT_EQ(static_cast<int>(std::as_const(variant)), 9);
    }
}

// A variant is written by its type, an unsigned int as a 32-bit number that
// reads back as one; other types throw and write nothing.
TEST_F(OsPersistentOptionsTest, VariantsAreWrittenByTheirTypeOrRefused)
{
    const std::pair<CbVariant, std::string> cases[] = {
        {Variant(true), std::string("\x01\x00\x00\x00", 4)},
        {Variant(-3), std::string("\xfd\xff\xff\xff", 4)},
        {Variant(L"text"), Utf16(u"text")},
        {Variant(3000000000u), std::string("\x00\x5e\xd0\xb2", 4)},
    };
    for (const auto& [value, stored] : cases) {
        SCOPED_TRACE(value.GetType());
        ASSERT_EQ(Write(L"v", value), 1);
        EXPECT_EQ(Stored(L"v"), stored);
    }
    CbVariant back;
    ASSERT_EQ(Options::ReadOption(Key(), L"v", back, CbVariant::eVariantTypeUInt, kUser), 1);
    EXPECT_TRUE(back == cases[3].first);

    const CbVariant refused[] = {CbVariant(),
                                 Variant(2.5),
                                 Variant(2.5f),
                                 Variant(static_cast<__int64>(1)),
                                 Variant('c'),
                                 Variant("narrow"),
                                 Variant(static_cast<short>(1))};
    for (const CbVariant& value : refused) {
        SCOPED_TRACE(value.GetType());
        cbf::test::ExpectThrowsAt([&] { Write(L"refused", value); }, "OsPersistentOptions", 266,
                                  "OsPersistentOptions::WriteOption");
        EXPECT_EQ(Stored(L"refused"), "");
    }
}

// Keys and value names compare without case, letters beyond ASCII included
// (one code unit folds to one: "ß" is not "SS"); a write below missing keys
// creates them. Deleting removes the value once and leaves its neighbours.
TEST_F(OsPersistentOptionsTest, NamesCompareWithoutCaseAndDeletesRemoveTheValueOnce)
{
    const CStringW deep = Key() + L"\\Ärger\\Σοφία\\Дом\\x";
    ASSERT_EQ(Options::WriteOption(deep, L"Größe", 42, kUser) +
                  Options::WriteOption(Key() + L"\\ärger", L"kept", 2, kUser),
              2);
    int value = 0;
    EXPECT_EQ(Options::ReadOption(Key() + L"\\äRGER\\σΟΦΊΑ\\дОМ\\X", L"GRößE", value, kUser), 1);
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(Options::DeleteOption(Key() + L"\\ÄRGER\\Σοφία\\ДОМ\\x", L"GRÖSSE", kUser));
    EXPECT_TRUE(Options::DeleteOption(Key() + L"\\ÄRGER\\Σοφία\\ДОМ\\x", L"GRÖßE", kUser));
    EXPECT_FALSE(Options::DeleteOption(Key() + L"\\ärger\\σοφία\\дом\\x", L"größe", kUser));
    EXPECT_EQ(Options::ReadOption(Key() + L"\\ÄRGER", L"KEPT", value, kUser), 1);
    EXPECT_EQ(value, 2);
}

// Listing gives the values of one key only, each with its name as written,
// its type and its bytes; a key that does not exist (or no root) fails.
TEST_F(OsPersistentOptionsTest, ListingGivesTheValuesOfOneKey)
{
    ASSERT_EQ(Write(L"Zahl", 7) + Write(L"Text\u00e9", L"a\U0001F600") +
                  Options::WriteOption(Key() + L"\\below", L"hidden", 1, kUser),
              3);
    std::map<std::wstring, std::pair<std::uint32_t, std::string>> values;
    const auto collect = [](void* context, const wchar_t* name, std::uint32_t type, const void* data,
                            std::uint32_t size) {
        (*static_cast<decltype(values)*>(context))[name] = {type, std::string(static_cast<const char*>(data), size)};
    };
    const HKEY root = cbf::platform::RegistryRootKey(kUser);
    ASSERT_TRUE(cbf::platform::RegistryListValues(root, Key().GetString(), collect, &values));
    const decltype(values) expected = {{L"Zahl", {kRegistryTypeNumber, std::string("\x07\0\0\0", 4)}},
                                       {L"Text\u00e9", {kRegistryTypeText, Utf16(u"a\U0001F600")}}};
    EXPECT_EQ(values, expected);
    values.clear();
    EXPECT_FALSE(cbf::platform::RegistryListValues(root, (Key() + L"\\none").GetString(), collect, &values));
    EXPECT_FALSE(cbf::platform::RegistryListValues(nullptr, Key().GetString(), collect, &values));
    EXPECT_TRUE(values.empty());
}

TEST_F(OsPersistentOptionsTest, UnsignedLongsBeyondThirtyTwoBitsAreRefused)
{
    if constexpr (cbf::platform::kLongIs32Bit) {
        GTEST_SKIP() << "unsigned long is 32 bits wide here";
    } else {
        const auto tooLarge = static_cast<unsigned long>(0x100000000ull);
        cbf::test::ExpectThrowsAt([&] { Write(L"large", tooLarge); }, "OsPersistentOptions",
                                  Options::kUnsignedLongOutOfRangeLine, "OsPersistentOptions::WriteOption");
        EXPECT_EQ(Stored(L"large"), "");
    }
}

} // namespace
