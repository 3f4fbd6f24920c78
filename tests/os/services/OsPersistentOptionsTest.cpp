// Tests of persistent options: storage forms, failures, texts, variants and names.
#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/LongModel.h>

#include "base/exceptions/ExceptionTestSupport.h"
#include "os/services/RegistrySandbox.h"

#include <cstdint>
#include <string>
#include <tuple>

namespace {

using Options = OsPersistentOptions;
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
};

// Every kind is stored in its registry form and reads back; each root keeps
// values of its own (all are written before any is read).
TEST_F(OsPersistentOptionsTest, EachKindIsStoredInItsRegistryFormUnderEachRoot)
{
    for (int root = 0; root < 5; ++root)
        ASSERT_EQ(Write(L"int", -2 - root, static_cast<EPersistentOptionsCategory>(root)), 1);
    for (int root = 0; root < 5; ++root) {
        const auto category = static_cast<EPersistentOptionsCategory>(root);
        int number = 0;
        EXPECT_EQ(Stored(L"int", category), std::string(1, static_cast<char>(0xfe - root)) + "\xff\xff\xff");
        EXPECT_TRUE(Options::ReadOption(Key(), L"int", number, category) == 1 && number == -2 - root) << root;
    }
    ASSERT_EQ(Write(L"ulong", 4000000000ul) + Write(L"flag", true) + Write(L"text", L"a\U0001F600"), 3);
    EXPECT_EQ(Stored(L"ulong") + Stored(L"flag"), std::string("\x00\x28\x6b\xee\x01\x00\x00\x00", 8));
    EXPECT_EQ(Stored(L"text"), Utf16(u"a\U0001F600"));
    unsigned long unsignedNumber = 0;
    bool flag = false;
    EXPECT_EQ(Options::ReadOption(Key(), L"ulong", unsignedNumber, kUser) +
                  Options::ReadOption(Key(), L"flag", flag, kUser),
              2);
    EXPECT_TRUE(unsignedNumber == 4000000000ul && flag);
    // Where unsigned long is wider than the wire's 32 bits, a larger value is refused.
    if constexpr (!cbf::platform::kLongIs32Bit) {
        cbf::test::ExpectThrowsAt([&] { Write(L"large", static_cast<unsigned long>(0x100000000ull)); },
                                  "OsPersistentOptions", Options::kUnsignedLongOutOfRangeLine,
                                  "OsPersistentOptions::WriteOption");
        EXPECT_EQ(Stored(L"large"), "");
    }
}

// A failed read answers 0 and leaves every output alone; no root, a missing
// key or value, and a name with a NUL inside all fail.
TEST_F(OsPersistentOptionsTest, FailedOperationsAnswerZeroAndLeaveTheOutputs)
{
    ASSERT_EQ(Write(L"present", 5), 1);
    const std::tuple<CStringW, CStringW, EPersistentOptionsCategory> cases[] = {
        {Key(), L"absent", kUser},
        {Key(), L"present", kNoRoot},
        {Key(), CStringW(L"present\0x", 9), kUser},
    };
    for (const auto& [key, name, category] : cases) {
        int number = 11;
        bool flag = true;
        CStringW text = L"old";
        EXPECT_EQ(Options::ReadOption(key, name, number, category) + Options::ReadOption(key, name, flag, category) +
                      Options::ReadOption(key, name, text, 100, category),
                  0);
        EXPECT_TRUE(number == 11 && flag && text == CStringW(L"old")) << CStringA(name).GetString();
        EXPECT_FALSE(Options::DeleteOption(key, name, category));
    }
    EXPECT_EQ(Options::WriteOption(Key(), L"x", 1, kNoRoot) + Write(CStringW(L"x\0y", 3), 1), 0);
    EXPECT_EQ(Stored(L"x"), "");
}

// A text is read up to its first NUL and only when it fits the maximum,
// counted in UTF-16 code units; a long one takes a second read.
TEST_F(OsPersistentOptionsTest, TextsFitTheirMaximumAndEndAtTheirFirstNul)
{
    const CStringW longText(L'x', 5000);
    ASSERT_EQ(Write(L"pair", L"\U0001F600") + Write(L"nul", CStringW(L"ab\0cd", 5)) + Write(L"long", longText), 3);
    // The name, the maximum and the text read (null: the read fails).
    const std::tuple<const wchar_t*, unsigned long, const wchar_t*> cases[] = {
        {L"pair", 2, L"\U0001F600"},           {L"pair", 1, nullptr},    {L"nul", 5, L"ab"}, {L"nul", 4, nullptr},
        {L"long", 5000, longText.GetString()}, {L"long", 4999, nullptr},
    };
    for (const auto& [name, maximum, expected] : cases) {
        SCOPED_TRACE(maximum);
        CStringW text = L"old";
        EXPECT_EQ(Options::ReadOption(Key(), name, text, maximum, kUser), expected ? 1 : 0);
        EXPECT_EQ(text, CStringW(expected ? expected : L"old"));
    }
}

// A variant is read by the requested type: bool gives an int, the numbers of
// other kinds the stored text; it is written by its type, an unsigned int as
// a 32-bit number. Other types throw and neither read nor write.
TEST_F(OsPersistentOptionsTest, VariantsAreReadAndWrittenByTheirType)
{
    ASSERT_EQ(Write(L"one", 1) + Write(L"2.5", L"2.5"), 2);
    const std::tuple<CbVariant::EVariantType, const wchar_t*, CbVariant> reads[] = {
        {CbVariant::eVariantTypeBool, L"one", Variant(1)},
        {CbVariant::eVariantTypeDouble, L"2.5", Variant(L"2.5")},
    };
    for (const auto& [requested, name, expected] : reads) {
        CbVariant variant = Variant(L"a string to replace");
        ASSERT_EQ(Options::ReadOption(Key(), name, variant, requested, kUser), 1);
        EXPECT_TRUE(variant == expected) << requested;
    }
    CbVariant variant = Variant(9);
    cbf::test::ExpectThrowsAt(
        [&] { Options::ReadOption(Key(), L"one", variant, static_cast<CbVariant::EVariantType>(3), kNoRoot); },
        "OsPersistentOptions", 232, "OsPersistentOptions::ReadOption");
    ASSERT_EQ(Write(L"flag", Variant(true)) + Write(L"uint", Variant(3000000000u)), 2);
    EXPECT_EQ(Stored(L"flag") + Stored(L"uint"), std::string("\x01\x00\x00\x00\x00\x5e\xd0\xb2", 8));
    cbf::test::ExpectThrowsAt([&] { Write(L"refused", Variant(2.5)); }, "OsPersistentOptions", 266,
                              "OsPersistentOptions::WriteOption");
    EXPECT_TRUE(static_cast<int>(std::as_const(variant)) == 9 && Stored(L"refused").empty());
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
    EXPECT_TRUE(Options::ReadOption(Key() + L"\\äRGER\\σΟΦΊΑ\\дОМ\\X", L"GRößE", value, kUser) == 1 && value == 42);
    EXPECT_FALSE(Options::DeleteOption(deep, L"GRÖSSE", kUser));
    EXPECT_TRUE(Options::DeleteOption(Key() + L"\\ÄRGER\\Σοφία\\ДОМ\\x", L"GRÖßE", kUser));
    EXPECT_FALSE(Options::DeleteOption(deep, L"größe", kUser));
    EXPECT_TRUE(Options::ReadOption(Key() + L"\\ÄRGER", L"KEPT", value, kUser) == 1 && value == 2);
}

} // namespace
