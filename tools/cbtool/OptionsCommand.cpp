// cbtool options: get, set, delete and list persistent options below the five root keys.

#include "Tool.h"

#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/Registry.h>

#include <cctype>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>

namespace cbtool {
namespace {

enum class Kind
{
    kText,
    kInt,
    kUInt,
    kBool
};

struct Request
{
    std::string root;
    std::string key;
    std::string name;
    std::string value;
    Kind kind = Kind::kText;
};

// The root keys by the names Windows gives them, long and short.
EPersistentOptionsCategory RootOf(const std::string& name)
{
    static const std::map<std::string, EPersistentOptionsCategory> kRoots = {
        {"HKCR", ePersistentOptionsCategoryClassesRoot},
        {"HKEY_CLASSES_ROOT", ePersistentOptionsCategoryClassesRoot},
        {"HKCU", ePersistentOptionsCategoryCurrentUser},
        {"HKEY_CURRENT_USER", ePersistentOptionsCategoryCurrentUser},
        {"HKLM", ePersistentOptionsCategoryLocalMachine},
        {"HKEY_LOCAL_MACHINE", ePersistentOptionsCategoryLocalMachine},
        {"HKU", ePersistentOptionsCategoryUsers},
        {"HKEY_USERS", ePersistentOptionsCategoryUsers},
        {"HKCC", ePersistentOptionsCategoryCurrentConfig},
        {"HKEY_CURRENT_CONFIG", ePersistentOptionsCategoryCurrentConfig},
    };
    std::string upper = name;
    for (char& character : upper)
        character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    const auto found = kRoots.find(upper);
    if (found == kRoots.end())
        throw Failure("unknown root key " + name + " (HKCR, HKCU, HKLM, HKU or HKCC)", kExitUsage);
    return found->second;
}

std::string Where(const Request& request)
{
    return request.root + "\\" + request.key + (request.name.empty() ? "" : " value " + request.name);
}

std::string Text(std::uint32_t type, const void* data, std::uint32_t size)
{
    if (type == cbf::platform::kRegistryTypeNumber && size == 4) {
        std::uint32_t number = 0;
        std::memcpy(&number, data, 4);
        return std::to_string(number);
    }
    if (type == cbf::platform::kRegistryTypeText) {
        std::u16string units(size / 2, u'\0');
        std::memcpy(units.data(), data, units.size() * 2);
        return ToUtf8(FromUtf16(units.substr(0, units.find(u'\0'))));
    }
    return ToHex(data, size);
}

std::string TypeName(std::uint32_t type)
{
    if (type == cbf::platform::kRegistryTypeNumber)
        return "REG_DWORD";
    if (type == cbf::platform::kRegistryTypeText)
        return "REG_SZ";
    return "type " + std::to_string(type);
}

void Get(const Request& request)
{
    const CStringW key = FromArgument(request.key);
    const CStringW name = FromArgument(request.name);
    const EPersistentOptionsCategory root = RootOf(request.root);
    bool found = false;
    std::string text;
    switch (request.kind) {
    case Kind::kText: {
        CStringW value;
        found = OsPersistentOptions::ReadOption(key, name, value, 0xFFFFFFFFul, root) != 0;
        text = ToUtf8(value);
        break;
    }
    case Kind::kInt: {
        int value = 0;
        found = OsPersistentOptions::ReadOption(key, name, value, root) != 0;
        text = std::to_string(value);
        break;
    }
    case Kind::kUInt: {
        unsigned long value = 0;
        found = OsPersistentOptions::ReadOption(key, name, value, root) != 0;
        text = std::to_string(value);
        break;
    }
    case Kind::kBool: {
        bool value = false;
        found = OsPersistentOptions::ReadOption(key, name, value, root) != 0;
        text = value ? "true" : "false";
        break;
    }
    }
    if (!found)
        throw Failure("no option " + Where(request));
    std::cout << text << std::endl;
}

template <class T>
T NumberOf(const Request& request)
{
    T number{};
    if (!CLI::detail::lexical_cast(request.value, number))
        throw Failure("'" + request.value + "' is no " +
                          (request.kind == Kind::kInt ? "int" : "unsigned 32-bit number"),
                      kExitUsage);
    return number;
}

bool FlagOf(const Request& request)
{
    if (request.value == "true" || request.value == "1")
        return true;
    if (request.value == "false" || request.value == "0")
        return false;
    throw Failure("'" + request.value + "' is no bool (true, false, 1 or 0)", kExitUsage);
}

void Set(const Request& request)
{
    const CStringW key = FromArgument(request.key);
    const CStringW name = FromArgument(request.name);
    const EPersistentOptionsCategory root = RootOf(request.root);
    int written = 0;
    switch (request.kind) {
    case Kind::kText:
        written = OsPersistentOptions::WriteOption(key, name, FromArgument(request.value), root);
        break;
    case Kind::kInt:
        written = OsPersistentOptions::WriteOption(key, name, NumberOf<int>(request), root);
        break;
    case Kind::kUInt:
        written = OsPersistentOptions::WriteOption(key, name,
                                                   static_cast<unsigned long>(NumberOf<std::uint32_t>(request)), root);
        break;
    case Kind::kBool:
        written = OsPersistentOptions::WriteOption(key, name, FlagOf(request), root);
        break;
    }
    if (written == 0)
        throw Failure("cannot write " + Where(request));
}

void Delete(const Request& request)
{
    if (!OsPersistentOptions::DeleteOption(FromArgument(request.key), FromArgument(request.name), RootOf(request.root)))
        throw Failure("no option " + Where(request));
}

void PrintValue(void*, const wchar_t* name, std::uint32_t type, const void* data, std::uint32_t size)
{
    std::cout << ToUtf8(CStringW(name)) << "\t" << TypeName(type) << "\t" << Text(type, data, size) << "\n";
}

void List(const Request& request)
{
    const HKEY root = cbf::platform::RegistryRootKey(RootOf(request.root));
    if (!cbf::platform::RegistryListValues(root, FromArgument(request.key).GetString(), PrintValue, nullptr))
        throw Failure("no key " + Where(request));
    std::cout << std::flush;
}

CLI::App* AddRequest(CLI::App& options, const char* name, const char* description, Request& request)
{
    CLI::App* command = options.add_subcommand(name, description);
    command->add_option("ROOT", request.root, "Root key: HKCR, HKCU, HKLM, HKU, HKCC or their long names")->required();
    command->add_option("KEY", request.key, "Key path below the root, separated by backslashes")->required();
    return command;
}

void AddKind(CLI::App& command, Request& request)
{
    const std::map<std::string, Kind> kinds = {
        {"text", Kind::kText}, {"int", Kind::kInt}, {"uint", Kind::kUInt}, {"bool", Kind::kBool}};
    command.add_option("--type", request.kind, "How the value is stored: text (REG_SZ), int, uint or bool (REG_DWORD)")
        ->transform(CLI::CheckedTransformer(kinds, CLI::ignore_case))
        ->default_str("text");
}

} // namespace

void AddOptionsCommand(CLI::App& app)
{
    CLI::App* options = app.add_subcommand("options", "Persistent options: the registry, or its stand-in elsewhere");
    options->require_subcommand(1);

    auto get = std::make_shared<Request>();
    CLI::App* getCommand = AddRequest(*options, "get", "Print one option's value", *get);
    getCommand->add_option("NAME", get->name, "The option's name")->required();
    AddKind(*getCommand, *get);
    getCommand->callback([get] { Get(*get); });

    auto set = std::make_shared<Request>();
    CLI::App* setCommand = AddRequest(*options, "set", "Write one option, creating missing keys", *set);
    setCommand->add_option("NAME", set->name, "The option's name")->required();
    setCommand->add_option("VALUE", set->value, "The value")->required();
    AddKind(*setCommand, *set);
    setCommand->callback([set] { Set(*set); });

    auto remove = std::make_shared<Request>();
    CLI::App* deleteCommand = AddRequest(*options, "delete", "Delete one option; its key stays", *remove);
    deleteCommand->add_option("NAME", remove->name, "The option's name")->required();
    deleteCommand->callback([remove] { Delete(*remove); });

    auto list = std::make_shared<Request>();
    CLI::App* listCommand =
        AddRequest(*options, "list", "Print every option of a key: name, type and value, tab-separated", *list);
    listCommand->callback([list] { List(*list); });
}

} // namespace cbtool
