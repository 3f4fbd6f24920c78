// Stores arbitrary bytes under arbitrary key paths and names, with any
// registry type, and reads them back through every reader of
// OsPersistentOptions, in a temporary database.
//
// The input is: a category byte (6 and 7 name no root), a flags byte, a
// maximum text length byte, the lengths of the key path and the name in code
// units (a byte each), their UTF-16 code units, a 32-bit registry type, and
// the value's bytes. The flags' high four bits are a variant type to request.
// With flag 1 the stored row is then spoiled through
// SQLite itself (its data made text or a number), as a damaged or
// foreign writer could leave it.
//
// Besides surviving every input, it checks the readers' answers against the
// bytes stored: a number reads when it has at most 4 bytes, zero-extended; a
// flag is true exactly for the number 1; a text reads when it fits the
// maximum and ends at its first NUL; a spoiled row reads as nothing.

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/Utf16.h>

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kHeader = 5;

std::filesystem::path g_folder;

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

CStringW TextOf(const std::uint8_t* units, std::size_t count)
{
    if (count == 0)
        return CStringW();
    std::vector<char16_t> utf16(count);
    std::memcpy(utf16.data(), units, count * 2);
    std::vector<wchar_t> wide(count + 1);
    const std::size_t length = cbf::platform::FromUtf16(utf16.data(), count, wide.data());
    return CStringW(wide.data(), static_cast<int>(length));
}

// Makes the row's data something other than a blob; false when it could not.
bool Spoil(int how)
{
    static const char* const kChanges[] = {"UPDATE registry_values SET data = CAST(data AS TEXT)",
                                           "UPDATE registry_values SET data = 7",
                                           "UPDATE registry_values SET data = 2.5"};
    sqlite3* database = nullptr;
    const std::string file = (g_folder / "registry.sqlite3").string();
    bool spoiled = false;
    if (sqlite3_open(file.c_str(), &database) == SQLITE_OK) {
        sqlite3_busy_timeout(database, 10000);
        spoiled = sqlite3_exec(database, kChanges[how % 3], nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_changes(database) > 0;
    }
    sqlite3_close(database);
    return spoiled;
}

void ReadEverything(const CStringW& key, const CStringW& name, EPersistentOptionsCategory category,
                    unsigned long maximum, const std::vector<std::uint8_t>* stored)
{
    int number = -7;
    const int numberRead = OsPersistentOptions::ReadOption(key, name, number, category);
    bool flag = false;
    const int flagRead = OsPersistentOptions::ReadOption(key, name, flag, category);
    unsigned long unsignedNumber = 0;
    const int unsignedRead = OsPersistentOptions::ReadOption(key, name, unsignedNumber, category);
    CStringW text = L"untouched";
    const int textRead = OsPersistentOptions::ReadOption(key, name, text, maximum, category);
    for (auto type : {CbVariant::eVariantTypeBool, CbVariant::eVariantTypeUInt, CbVariant::eVariantTypeDouble}) {
        CbVariant variant;
        OsPersistentOptions::ReadOption(key, name, variant, type, category);
    }

    const bool isNumber = stored != nullptr && stored->size() <= 4;
    check(numberRead == (isNumber ? 1 : 0) && flagRead == numberRead && unsignedRead == numberRead);
    if (isNumber) {
        std::uint32_t expected = 0;
        if (!stored->empty())
            std::memcpy(&expected, stored->data(), stored->size());
        check(static_cast<std::uint32_t>(number) == expected && flag == (expected == 1) && unsignedNumber == expected);
    } else {
        check(number == -7);
    }
    const bool fits = stored != nullptr && stored->size() <= 2 * maximum;
    check(textRead == (fits ? 1 : 0));
    if (fits) {
        std::vector<std::uint8_t> units(*stored);
        units.resize((units.size() + 1) & ~std::size_t{1}, 0);
        std::size_t count = 0;
        while (count < units.size() / 2 && (units[2 * count] != 0 || units[2 * count + 1] != 0))
            ++count;
        check(text == TextOf(units.data(), count));
    } else {
        check(text == CStringW(L"untouched"));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_folder = std::filesystem::temp_directory_path() / ("cbf-options-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(g_folder);
    setenv("CBFOUNDATION_REGISTRY", (g_folder / "registry.sqlite3").c_str(), 1);
    setenv("HOME", g_folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", g_folder.c_str(), 1);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeader)
        return 0;
    const auto category = static_cast<EPersistentOptionsCategory>(data[0] % 8);
    const std::uint8_t flags = data[1];
    const unsigned long maximum = data[2];
    const std::size_t keyLength = data[3];
    const std::size_t nameLength = data[4];
    if (size < kHeader + 2 * (keyLength + nameLength) + 4)
        return 0;
    const CStringW key = TextOf(data + kHeader, keyLength);
    const CStringW name = TextOf(data + kHeader + 2 * keyLength, nameLength);
    const std::uint8_t* rest = data + kHeader + 2 * (keyLength + nameLength);
    std::uint32_t type = 0;
    std::memcpy(&type, rest, 4);
    const std::vector<std::uint8_t> value(rest + 4, data + size);

    // The platform layer stores anything; names it cannot take (a NUL inside,
    // an empty level) are refused by both layers alike.
    const HKEY root = cbf::platform::RegistryRootKey(category);
    const bool clean = std::wcslen(key.GetString()) == static_cast<std::size_t>(key.GetLength()) &&
                       std::wcslen(name.GetString()) == static_cast<std::size_t>(name.GetLength());
    std::vector<std::uint8_t> written(value);
    const bool stored =
        clean && cbf::platform::RegistrySetValue(root, key.GetString(), name.GetString(), type, written.data(),
                                                 static_cast<std::uint32_t>(written.size()));
    check(root != nullptr || !stored);
    const bool spoiled = stored && (flags & 1) != 0 && Spoil(flags >> 1);
    ReadEverything(key, name, category, maximum, stored && !spoiled ? &value : nullptr);
    if (stored)
        check(OsPersistentOptions::DeleteOption(key, name, category));
    check(!OsPersistentOptions::DeleteOption(key, name, category));
    // Types 1, 2, 4, 5, 6 and 8 may be requested; any other throws first.
    const unsigned requested = flags >> 4;
    const bool admitted = requested != 0 && requested <= 8 && requested != 3 && requested != 7;
    try {
        CbVariant variant;
        OsPersistentOptions::ReadOption(key, name, variant, static_cast<CbVariant::EVariantType>(requested), category);
        check(admitted);
    } catch (const CbException& e) {
        check(!admitted && e.GetCodeLine() == 232);
    }
    return 0;
}
