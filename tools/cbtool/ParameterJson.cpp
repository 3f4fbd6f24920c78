// Parameter files to JSON and back, checked strictly so that a mistake in a document is named, never written.

#include "ParameterJson.h"

#include "Tool.h"

#include <initializer_list>
#include <string_view>

namespace cbtool {
namespace {

// The versions from which each section is present.
constexpr unsigned kFirstGroupsFrom = 2;
constexpr unsigned kParametersFrom = 3;
constexpr unsigned kSecondGroupsFrom = 4;

void RequireObject(const Json& json, const std::string& where, std::initializer_list<std::string_view> keys)
{
    if (!json.is_object())
        throw Failure(where + ": expected an object");
    for (const auto& item : json.items()) {
        bool known = false;
        for (const std::string_view key : keys)
            known = known || item.key() == key;
        if (!known)
            throw Failure(where + ": unknown key \"" + item.key() + "\"");
    }
}

const Json& Required(const Json& object, const char* key, const std::string& where)
{
    if (!object.contains(key))
        throw Failure(where + ": \"" + key + "\" is missing");
    return object[key];
}

const Json& RequireArray(const Json& json, const std::string& where)
{
    if (!json.is_array())
        throw Failure(where + ": expected an array");
    return json;
}

Json RecordsJson(const std::vector<PmCParameter>& records)
{
    Json list = Json::array();
    for (const PmCParameter& record : records)
        list.push_back(RecordJson(record));
    return list;
}

PmCParameter RecordFromJson(const Json& json, const std::string& where)
{
    RequireObject(json, where, {"name", "type", "value", "number"});
    const Json& typeName = Required(json, "type", where);
    const auto type = typeName.is_string() ? TypeOf(typeName.get<std::string>()) : std::nullopt;
    if (!type)
        throw Failure(where + ".type: unknown variant type " + typeName.dump());
    PmCParameter record;
    record.name = WideFromJson(Required(json, "name", where), where + ".name");
    record.value = ValueFromJson(*type, json.contains("value") ? json["value"] : Json(), where + ".value");
    if (json.contains("number"))
        record.number = static_cast<int>(ValueFromJson(CbVariant::eVariantTypeInt, json["number"], where + ".number"));
    record.loadedValue = record.value;
    return record;
}

std::vector<PmCParameter> RecordsFromJson(const Json& json, const std::string& where)
{
    std::vector<PmCParameter> records;
    for (std::size_t index = 0; index < RequireArray(json, where).size(); ++index)
        records.push_back(RecordFromJson(json[index], where + "[" + std::to_string(index) + "]"));
    return records;
}

Json GroupsJson(const std::vector<CbParameterGroup>& groups)
{
    Json list = Json::array();
    for (const CbParameterGroup& group : groups)
        list.push_back(Json{{"name", WideJson(group.name)}, {"records", RecordsJson(group.records)}});
    return list;
}

std::vector<CbParameterGroup> GroupsFromJson(const Json& json, const std::string& where)
{
    std::vector<CbParameterGroup> groups;
    for (std::size_t index = 0; index < RequireArray(json, where).size(); ++index) {
        const std::string place = where + "[" + std::to_string(index) + "]";
        RequireObject(json[index], place, {"name", "records"});
        CbParameterGroup& group = groups.emplace_back();
        group.name = WideFromJson(Required(json[index], "name", place), place + ".name");
        group.records = RecordsFromJson(Required(json[index], "records", place), place + ".records");
    }
    return groups;
}

} // namespace

Json RecordJson(const PmCParameter& record)
{
    return Json{{"name", WideJson(record.name)},
                {"type", TypeName(record.value.GetType())},
                {"value", ValueJson(record.value)},
                {"number", record.number}};
}

Json FileJson(const CbParameterFile& file, const Json& container)
{
    Json document{{"version", file.version}};
    if (!container.is_null())
        document["container"] = container;
    if (file.version >= kFirstGroupsFrom)
        document["firstGroups"] = GroupsJson(file.firstGroups);
    if (file.version >= kSecondGroupsFrom)
        document["secondGroups"] = GroupsJson(file.secondGroups);
    if (file.version >= kParametersFrom)
        document["parameters"] = RecordsJson(file.parameters);
    return document;
}

CbParameterFile FileFromJson(const Json& document)
{
    RequireObject(document, "the document", {"version", "container", "firstGroups", "secondGroups", "parameters"});
    const Json& version = Required(document, "version", "the document");
    if (!version.is_number_unsigned() || version.get<std::uint64_t>() > CbParameterFile::kLatestVersion)
        throw Failure("version: expected 0 to " + std::to_string(CbParameterFile::kLatestVersion));
    CbParameterFile file;
    file.version = version.get<unsigned>();
    const auto section = [&](const char* key, unsigned from) -> const Json* {
        if (!document.contains(key))
            return nullptr;
        if (file.version < from)
            throw Failure(std::string(key) + ": a file of version " + std::to_string(file.version) + " has none");
        return &document[key];
    };
    if (const Json* groups = section("firstGroups", kFirstGroupsFrom))
        file.firstGroups = GroupsFromJson(*groups, "firstGroups");
    if (const Json* groups = section("secondGroups", kSecondGroupsFrom))
        file.secondGroups = GroupsFromJson(*groups, "secondGroups");
    if (const Json* parameters = section("parameters", kParametersFrom))
        file.parameters = RecordsFromJson(*parameters, "parameters");
    return file;
}

} // namespace cbtool
