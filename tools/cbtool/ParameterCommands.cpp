// cbtool dump, build and set: parameter files as tables and JSON, built from JSON, changed record by record.

#include "Container.h"
#include "ParameterJson.h"
#include "Tool.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <memory>
#include <optional>

namespace cbtool {
namespace {

const char* LevelName(CbParameterFile::ECompressionLevel level)
{
    switch (level) {
    case CbParameterFile::eCompressionLevelFastest:
        return "fastest";
    case CbParameterFile::eCompressionLevelBest:
        return "best";
    default:
        return "default";
    }
}

Json ContainerJson(const ContainerInfo& info, const CbParameterFile::Format& format)
{
    Json container{{"kind", info.KindName()}};
    if (info.IsArchive()) {
        container["method"] = info.method;
        container["lengthField"] = info.lengthField;
        if (format.container == CbParameterFile::eContainerCompressed)
            container["level"] = LevelName(format.level);
    }
    return container;
}

// A value as the table shows it: texts in JSON quotes, so that control
// characters and spaces at either end are seen.
std::string ValueText(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string Count(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void PrintRecords(const std::vector<PmCParameter>& records, const std::string& indent)
{
    std::vector<std::array<std::string, 4>> rows = {{"name", "type", "number", "value"}};
    for (const PmCParameter& record : records) {
        const Json json = RecordJson(record);
        const Json& name = json["name"];
        rows.push_back({name.is_string() ? name.get<std::string>() : ValueText(name), json["type"].get<std::string>(),
                        std::to_string(record.number), ValueText(json["value"])});
    }
    std::array<std::size_t, 3> widths = {};
    for (const auto& row : rows)
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], CodePointCount(row[column]));
    for (const auto& row : rows) {
        std::cout << indent;
        for (std::size_t column = 0; column < widths.size(); ++column)
            std::cout << row[column] << std::string(widths[column] - CodePointCount(row[column]) + 2, ' ');
        std::cout << row[3] << "\n";
    }
}

void PrintGroups(const char* title, const std::vector<CbParameterGroup>& groups)
{
    std::cout << "\n" << title << ": " << Count(groups.size(), "group") << "\n";
    for (const CbParameterGroup& group : groups) {
        std::cout << "  group " << ValueText(WideJson(group.name)) << ": " << Count(group.records.size(), "record")
                  << "\n";
        PrintRecords(group.records, "    ");
    }
}

void PrintTable(const std::string& file, const ContainerInfo& info, const CbParameterFile& content)
{
    std::cout << "file:      " << file << "\n"
              << "container: " << info.Describe() << "\n"
              << "version:   " << content.version << "\n";
    if (content.version >= 2)
        PrintGroups("first group section", content.firstGroups);
    if (content.version >= 4)
        PrintGroups("second group section", content.secondGroups);
    if (content.version >= 3) {
        std::cout << "\nparameter list: " << Count(content.parameters.size(), "record") << "\n";
        PrintRecords(content.parameters, "  ");
    }
    std::cout << std::flush;
}

void Dump(const std::string& file, bool json)
{
    ContainerInfo info;
    CbParameterFile content;
    CbParameterFile::Format format;
    About(file, [&] {
        const CStringW path = PathFromArgument(file);
        info = ContainerInfo::OfFile(path);
        content = CbParameterFile::Load(path, &format);
    });
    if (json)
        std::cout << FileJson(content, ContainerJson(info, format)).dump(2) << std::endl;
    else
        PrintTable(file, info, content);
}

Json ReadDocument(const std::string& file)
{
    std::vector<unsigned char> bytes;
    About(file, [&] { bytes = ReadWholeFile(PathFromArgument(file)); });
    try {
        return Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 1, ..."
        const std::string_view message = error.what();
        const std::size_t start = message.find("] ");
        throw Failure(file + ": " + std::string(start == std::string_view::npos ? message : message.substr(start + 2)));
    }
}

struct BuildRequest
{
    std::string in;
    std::string out;
    std::string compress;
};

void Build(const BuildRequest& request)
{
    const Json document = ReadDocument(request.in);
    CbParameterFile content;
    try {
        content = FileFromJson(document);
    } catch (const Failure& failure) {
        throw Failure(request.in + ": " + failure.what());
    }
    CbParameterFile::Format format;
    if (!request.compress.empty()) {
        format.container = CbParameterFile::eContainerCompressed;
        format.level = static_cast<CbParameterFile::ECompressionLevel>(CompressionLevel(request.compress));
    }
    About(request.out, [&] { content.Save(PathFromArgument(request.out), format); });
}

// The types `set` takes, by option; the texts are taken as they are, the
// other values as the JSON values of docs/cbtool.md (a bare word too).
struct SetType
{
    const char* option;
    CbVariant::EVariantType type;
    const char* description;
};

constexpr SetType kSetTypes[] = {
    {"--text", CbVariant::eVariantTypeStringW, "a wide text (StringW)"},
    {"--narrow", CbVariant::eVariantTypeStringA, "a narrow text (StringA), its bytes as given"},
    {"--bool", CbVariant::eVariantTypeBool, "true or false (Bool)"},
    {"--int", CbVariant::eVariantTypeInt, "a 32-bit signed integer (Int)"},
    {"--uint", CbVariant::eVariantTypeUInt, "a 32-bit unsigned integer (UInt)"},
    {"--int64", CbVariant::eVariantTypeInt64, "a 64-bit signed integer (Int64)"},
    {"--uint64", CbVariant::eVariantTypeUInt64, "a 64-bit unsigned integer (UInt64)"},
    {"--short", CbVariant::eVariantTypeShort, "a 16-bit signed integer (Short)"},
    {"--ushort", CbVariant::eVariantTypeUShort, "a 16-bit unsigned integer (UShort)"},
    {"--char", CbVariant::eVariantTypeChar, "a char, -128 to 127 (Char)"},
    {"--schar", CbVariant::eVariantTypeSChar, "a signed char, -128 to 127 (SChar)"},
    {"--uchar", CbVariant::eVariantTypeUChar, "an unsigned char, 0 to 255 (UChar)"},
    {"--float", CbVariant::eVariantTypeFloat, "a 32-bit floating-point number, Infinity or NaN (Float)"},
    {"--double", CbVariant::eVariantTypeDouble, "a 64-bit floating-point number, Infinity or NaN (Double)"},
    {"--bytes", CbVariant::eVariantTypeByteArray, "bytes in hexadecimal (ByteArray)"},
    {"--date", CbVariant::eVariantTypeDateTime, "a local date and time YYYY-MM-DDThh:mm:ss (DateTime)"},
};

struct SetRequest
{
    std::string file;
    std::string name;
    std::vector<std::optional<std::string>> values = std::vector<std::optional<std::string>>(std::size(kSetTypes));
    bool null = false;
    std::optional<int> number;
};

CbVariant ValueOf(const SetType& type, const std::string& argument)
{
    CbVariant value;
    if (type.type == CbVariant::eVariantTypeStringW) {
        value = FromArgument(argument);
    } else if (type.type == CbVariant::eVariantTypeStringA) {
        value = CStringA(argument.data(), static_cast<int>(argument.size()));
    } else {
        Json json = Json::parse(argument, nullptr, false);
        if (!json.is_number() && !json.is_boolean())
            json = argument;
        value = ValueFromJson(type.type, json, type.option);
    }
    return value;
}

void Set(const SetRequest& request)
{
    std::optional<CbVariant> value;
    if (request.null)
        value.emplace();
    for (std::size_t index = 0; index < std::size(kSetTypes); ++index) {
        if (!request.values[index])
            continue;
        if (value)
            throw Failure("set takes one value", kExitUsage);
        value = ValueOf(kSetTypes[index], *request.values[index]);
    }
    if (!value)
        throw Failure("set needs a value: --text, --int, ... (see cbtool set --help)", kExitUsage);

    const CStringW path = PathFromArgument(request.file);
    About(request.file, [&] {
        CbParameterFile::Format format;
        CbParameterFile content = CbParameterFile::Load(path, &format);
        if (content.version < 3)
            throw Failure(request.file + ": a file of version " + std::to_string(content.version) +
                          " has no parameter list");
        PmCParameter& record = content.SetParameter(FromArgument(request.name), *value);
        if (request.number)
            record.number = *request.number;
        content.Save(path, format);
    });
}

} // namespace

void AddParameterCommands(CLI::App& app)
{
    auto dumpFile = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* dump = app.add_subcommand("dump", "Show a parameter file, plain or in a container, as a table or JSON");
    dump->add_option("FILE", *dumpFile, "The parameter file")->required();
    dump->add_flag("--json", *json, "Write the JSON document that build reads");
    dump->callback([dumpFile, json] { Dump(*dumpFile, *json); });

    auto build = std::make_shared<BuildRequest>();
    CLI::App* buildCommand = app.add_subcommand("build", "Write a parameter file from a JSON document");
    buildCommand->add_option("FILE.json", build->in, "The JSON document, as dump --json writes it")->required();
    buildCommand->add_option("OUT", build->out, "The parameter file to write (replaced atomically)")->required();
    buildCommand
        ->add_flag("--compress{default}", build->compress,
                   "Write a compressed archive; the level is fastest, default or best (--compress=best)")
        ->check(CLI::IsMember({"fastest", "default", "best"}));
    buildCommand->callback([build] { Build(*build); });

    auto set = std::make_shared<SetRequest>();
    CLI::App* setCommand =
        app.add_subcommand("set", "Change or append one record of the parameter list; the file keeps its container");
    setCommand->add_option("FILE", set->file, "The parameter file (replaced atomically)")->required();
    setCommand->add_option("NAME", set->name, "The record's name (exact, case included)")->required();
    for (std::size_t index = 0; index < std::size(kSetTypes); ++index)
        setCommand->add_option(kSetTypes[index].option, set->values[index], kSetTypes[index].description)
            ->option_text("VALUE");
    setCommand->add_flag("--null", set->null, "No value (Null)");
    setCommand->add_option("--number", set->number, "The record's number (new records get -1)");
    setCommand->callback([set] { Set(*set); });
}

} // namespace cbtool
