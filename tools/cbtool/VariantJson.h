// The JSON form of variants and texts in cbtool's dumps and builds.
#pragma once

#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/platform/CStringT.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace cbtool {

using Json = nlohmann::ordered_json;

/// The name of a variant type in JSON: its enumerator without the prefix
/// ("Int", "StringW", ...).
std::string TypeName(CbVariant::EVariantType type);

/// The type of a name TypeName gives, or nothing.
std::optional<CbVariant::EVariantType> TypeOf(std::string_view name);

/// A wide text as a JSON string, or, when it holds a lone surrogate, as
/// {"hex": its UTF-16LE bytes}.
Json WideJson(const CStringW& text);

/// The text of WideJson's forms; throws Failure naming `where` otherwise.
CStringW WideFromJson(const Json& json, const std::string& where);

/// The JSON value of a variant; the forms are those docs/cbtool.md tables.
/// An object variant, which no file holds, throws Failure.
Json ValueJson(const CbVariant& value);

/// The variant of `type` from the JSON value ValueJson gives, or from an
/// equivalent one (a number for a float, say); throws Failure naming `where`
/// for a value of another shape or out of the type's range.
CbVariant ValueFromJson(CbVariant::EVariantType type, const Json& json, const std::string& where);

} // namespace cbtool
