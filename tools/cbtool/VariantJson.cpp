// Variants and texts to JSON and back, exactly: every value a file holds comes back with the same bytes.

#include "VariantJson.h"

#include "Tool.h"

#include <cbfoundation/base/values/CbDateTime.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace cbtool {
namespace {

using Type = CbVariant::EVariantType;

constexpr std::array<std::pair<Type, const char*>, 17> kTypeNames = {{
    {CbVariant::eVariantTypeNull, "Null"},
    {CbVariant::eVariantTypeBool, "Bool"},
    {CbVariant::eVariantTypeInt, "Int"},
    {CbVariant::eVariantTypeInt64, "Int64"},
    {CbVariant::eVariantTypeUInt, "UInt"},
    {CbVariant::eVariantTypeFloat, "Float"},
    {CbVariant::eVariantTypeDouble, "Double"},
    {CbVariant::eVariantTypeChar, "Char"},
    {CbVariant::eVariantTypeStringW, "StringW"},
    {CbVariant::eVariantTypeByteArray, "ByteArray"},
    {CbVariant::eVariantTypeDateTime, "DateTime"},
    {CbVariant::eVariantTypeSChar, "SChar"},
    {CbVariant::eVariantTypeUChar, "UChar"},
    {CbVariant::eVariantTypeShort, "Short"},
    {CbVariant::eVariantTypeUShort, "UShort"},
    {CbVariant::eVariantTypeUInt64, "UInt64"},
    {CbVariant::eVariantTypeStringA, "StringA"},
}};

// A strict UTF-8 test: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text)
{
    for (std::size_t index = 0; index < text.size();) {
        const auto lead = static_cast<unsigned char>(text[index]);
        std::size_t length = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            ++index;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, minimum = 0x10000;
        } else {
            return false;
        }
        if (index + length > text.size())
            return false;
        char32_t codePoint = lead & (0x7F >> length);
        for (std::size_t next = 1; next < length; ++next) {
            const auto byte = static_cast<unsigned char>(text[index + next]);
            if ((byte & 0xC0) != 0x80)
                return false;
            codePoint = codePoint << 6 | (byte & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        index += length;
    }
    return true;
}

Json HexJson(const void* bytes, std::size_t count)
{
    return Json{{"hex", ToHex(bytes, count)}};
}

// The bytes of {"hex": "..."}, or nothing when `json` is not of that form.
std::optional<std::vector<unsigned char>> HexFromJson(const Json& json, const std::string& where)
{
    if (!json.is_object() || json.size() != 1 || !json.contains("hex") || !json["hex"].is_string())
        return std::nullopt;
    return FromHex(json["hex"].get_ref<const std::string&>(), where);
}

Json NarrowJson(const CStringA& text)
{
    const std::string_view bytes(text.GetString(), static_cast<std::size_t>(text.GetLength()));
    return IsUtf8(bytes) ? Json(std::string(bytes)) : HexJson(bytes.data(), bytes.size());
}

void RefuseNul(std::string_view text, const std::string& where)
{
    if (text.find('\0') != std::string_view::npos)
        throw Failure(where + ": a NUL character, at which readers cut the text");
}

CStringA NarrowFromJson(const Json& json, const std::string& where)
{
    std::string bytes;
    if (json.is_string()) {
        bytes = json.get<std::string>();
    } else if (auto hex = HexFromJson(json, where)) {
        bytes.assign(hex->begin(), hex->end());
    } else {
        throw Failure(where + ": expected a text or {\"hex\": bytes}");
    }
    RefuseNul(bytes, where);
    return CStringA(bytes.data(), static_cast<int>(bytes.size()));
}

// Floating-point values: finite ones as JSON numbers, the others as texts
// ("Infinity", "-Infinity", "NaN", or "NaN:" and the bits in hexadecimal for
// a NaN other than the usual quiet one).
template <class Real, class Bits>
Json RealJson(Real value)
{
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    const auto bits = std::bit_cast<Bits>(value);
    if (std::isnan(value)) {
        if (bits == std::bit_cast<Bits>(std::numeric_limits<Real>::quiet_NaN()))
            return "NaN";
        char digits[2 * sizeof(Bits)];
        std::fill(std::begin(digits), std::end(digits), '0');
        char number[2 * sizeof(Bits)];
        const auto end = std::to_chars(number, number + sizeof number, bits, 16).ptr;
        std::copy(number, end, std::end(digits) - (end - number));
        return "NaN:" + std::string(digits, sizeof digits);
    }
    if constexpr (std::is_same_v<Real, float>) {
        // The shortest decimal of the float reads back as the same float
        // through the double JSON carries, nearly always; else the exact
        // double, which always does.
        char digits[64];
        const auto written = std::to_chars(digits, digits + sizeof digits, value);
        double shortest = 0;
        std::from_chars(digits, written.ptr, shortest);
        if (std::bit_cast<Bits>(static_cast<float>(shortest)) == bits)
            return shortest;
    }
    return static_cast<double>(value);
}

template <class Real, class Bits>
Real RealFromJson(const Json& json, const std::string& where)
{
    if (json.is_number()) {
        const double number = json.get<double>();
        if constexpr (std::is_same_v<Real, float>) {
            if (std::abs(number) > std::numeric_limits<float>::max())
                throw Failure(where + ": " + json.dump() + " is beyond the range of a Float");
        }
        return static_cast<Real>(number);
    }
    if (json.is_string()) {
        const std::string& text = json.get_ref<const std::string&>();
        if (text == "Infinity")
            return std::numeric_limits<Real>::infinity();
        if (text == "-Infinity")
            return -std::numeric_limits<Real>::infinity();
        if (text == "NaN")
            return std::numeric_limits<Real>::quiet_NaN();
        Bits bits = 0;
        const char* const end = text.data() + text.size();
        if (text.starts_with("NaN:") && text.size() == 4 + 2 * sizeof(Bits) &&
            std::from_chars(text.data() + 4, end, bits, 16).ptr == end && std::isnan(std::bit_cast<Real>(bits)))
            return std::bit_cast<Real>(bits);
    }
    throw Failure(where + ": expected a number, \"Infinity\", \"-Infinity\", \"NaN\" or \"NaN:\" and the bits");
}

template <class Integer>
Integer IntegerFromJson(const Json& json, const std::string& where, const char* type)
{
    if (json.is_number_unsigned()) {
        const auto number = json.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(std::numeric_limits<Integer>::max()))
            return static_cast<Integer>(number);
    } else if (json.is_number_integer()) {
        const auto number = json.get<std::int64_t>();
        if (std::is_signed_v<Integer> && number >= static_cast<std::int64_t>(std::numeric_limits<Integer>::min()) &&
            number <= static_cast<std::int64_t>(std::numeric_limits<Integer>::max()))
            return static_cast<Integer>(number);
    } else {
        throw Failure(where + ": expected an integer for " + type);
    }
    throw Failure(where + ": " + json.dump() + " does not fit " + type);
}

// Dates are stored as the local time of the writer, "YYYY-MM-DD hh:mm:ss";
// JSON shows that text with the ISO 8601 'T' between date and time.
Json DateJson(const CbDateTime& date)
{
    std::string text = ToUtf8(date.ToString(L"Y-m-d H:i:s", true));
    if (text.size() > 10 && text[10] == ' ')
        text[10] = 'T';
    return text;
}

CbDateTime DateFromJson(const Json& json, const std::string& where)
{
    std::string text = json.is_string() ? json.get<std::string>() : std::string();
    const auto digitsAt = [&](std::initializer_list<int> positions) {
        for (const int position : positions)
            if (text[position] < '0' || text[position] > '9')
                return false;
        return true;
    };
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':' || !digitsAt({0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}))
        throw Failure(where + ": expected a local date and time \"YYYY-MM-DDThh:mm:ss\"");
    text[10] = ' ';
    return CbDateTime(text.c_str(), true);
}

} // namespace

std::string TypeName(CbVariant::EVariantType type)
{
    for (const auto& [known, name] : kTypeNames)
        if (known == type)
            return name;
    return "type " + std::to_string(static_cast<unsigned>(type));
}

std::optional<CbVariant::EVariantType> TypeOf(std::string_view name)
{
    for (const auto& [type, known] : kTypeNames)
        if (name == known)
            return type;
    return std::nullopt;
}

Json WideJson(const CStringW& text)
{
    if (auto utf8 = ToUtf8Exactly(text))
        return std::move(*utf8);
    const std::u16string units = ToUtf16(text);
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return HexJson(bytes.data(), bytes.size());
}

CStringW WideFromJson(const Json& json, const std::string& where)
{
    if (json.is_string()) {
        const std::string& text = json.get_ref<const std::string&>();
        RefuseNul(text, where);
        return FromUtf8(text);
    }
    const auto bytes = HexFromJson(json, where);
    if (!bytes)
        throw Failure(where + ": expected a text or {\"hex\": UTF-16LE bytes}");
    if (bytes->size() % 2 != 0)
        throw Failure(where + ": UTF-16LE text of an odd number of bytes");
    std::u16string units;
    for (std::size_t index = 0; index < bytes->size(); index += 2)
        units += static_cast<char16_t>((*bytes)[index] | (*bytes)[index + 1] << 8);
    if (units.find(u'\0') != std::u16string::npos)
        throw Failure(where + ": a NUL character, at which readers cut the text");
    return FromUtf16(units);
}

Json ValueJson(const CbVariant& value)
{
    switch (value.GetType()) {
    case CbVariant::eVariantTypeNull:
        return nullptr;
    case CbVariant::eVariantTypeBool:
        return static_cast<bool>(value);
    case CbVariant::eVariantTypeInt:
        return static_cast<int>(value);
    case CbVariant::eVariantTypeInt64:
        return static_cast<std::int64_t>(static_cast<__int64>(value));
    case CbVariant::eVariantTypeUInt:
        return static_cast<unsigned int>(value);
    case CbVariant::eVariantTypeFloat:
        return RealJson<float, std::uint32_t>(static_cast<float>(value));
    case CbVariant::eVariantTypeDouble:
        return RealJson<double, std::uint64_t>(static_cast<double>(value));
    case CbVariant::eVariantTypeChar:
        return static_cast<int>(static_cast<signed char>(static_cast<char>(value)));
    case CbVariant::eVariantTypeStringW:
        return WideJson(static_cast<const CStringW&>(value));
    case CbVariant::eVariantTypeByteArray: {
        const auto& bytes = static_cast<const CbVariant::ByteArray&>(value);
        return ToHex(bytes.GetData(), bytes.GetCount());
    }
    case CbVariant::eVariantTypeDateTime:
        return DateJson(static_cast<const CbDateTime&>(value));
    case CbVariant::eVariantTypeSChar:
        return static_cast<int>(static_cast<signed char>(value));
    case CbVariant::eVariantTypeUChar:
        return static_cast<unsigned>(static_cast<unsigned char>(value));
    case CbVariant::eVariantTypeShort:
        return static_cast<short>(value);
    case CbVariant::eVariantTypeUShort:
        return static_cast<unsigned short>(value);
    case CbVariant::eVariantTypeUInt64:
        return static_cast<std::uint64_t>(static_cast<unsigned __int64>(value));
    case CbVariant::eVariantTypeStringA:
        return NarrowJson(static_cast<const CStringA&>(value));
    default:
        throw Failure("a value of " + TypeName(value.GetType()) + " has no JSON form");
    }
}

CbVariant ValueFromJson(CbVariant::EVariantType type, const Json& json, const std::string& where)
{
    CbVariant value;
    switch (type) {
    case CbVariant::eVariantTypeNull:
        if (!json.is_null())
            throw Failure(where + ": a Null value is null");
        break;
    case CbVariant::eVariantTypeBool:
        if (!json.is_boolean())
            throw Failure(where + ": expected true or false");
        value = json.get<bool>();
        break;
    case CbVariant::eVariantTypeInt:
        value = IntegerFromJson<int>(json, where, "Int");
        break;
    case CbVariant::eVariantTypeInt64:
        value = static_cast<__int64>(IntegerFromJson<std::int64_t>(json, where, "Int64"));
        break;
    case CbVariant::eVariantTypeUInt:
        value = IntegerFromJson<unsigned int>(json, where, "UInt");
        break;
    case CbVariant::eVariantTypeFloat:
        value = RealFromJson<float, std::uint32_t>(json, where);
        break;
    case CbVariant::eVariantTypeDouble:
        value = RealFromJson<double, std::uint64_t>(json, where);
        break;
    case CbVariant::eVariantTypeChar:
        value = static_cast<char>(IntegerFromJson<signed char>(json, where, "Char"));
        break;
    case CbVariant::eVariantTypeStringW:
        value = WideFromJson(json, where);
        break;
    case CbVariant::eVariantTypeByteArray: {
        if (!json.is_string())
            throw Failure(where + ": expected a text of hexadecimal digits");
        const auto bytes = FromHex(json.get_ref<const std::string&>(), where);
        CbVariant::ByteArray array;
        array.SetSize(static_cast<unsigned>(bytes.size()));
        if (!bytes.empty())
            std::memcpy(array.GetData(), bytes.data(), bytes.size());
        value = array;
        break;
    }
    case CbVariant::eVariantTypeDateTime:
        value = DateFromJson(json, where);
        break;
    case CbVariant::eVariantTypeSChar:
        value = IntegerFromJson<signed char>(json, where, "SChar");
        break;
    case CbVariant::eVariantTypeUChar:
        value = IntegerFromJson<unsigned char>(json, where, "UChar");
        break;
    case CbVariant::eVariantTypeShort:
        value = IntegerFromJson<short>(json, where, "Short");
        break;
    case CbVariant::eVariantTypeUShort:
        value = IntegerFromJson<unsigned short>(json, where, "UShort");
        break;
    case CbVariant::eVariantTypeUInt64:
        value = static_cast<unsigned __int64>(IntegerFromJson<std::uint64_t>(json, where, "UInt64"));
        break;
    case CbVariant::eVariantTypeStringA:
        value = NarrowFromJson(json, where);
        break;
    default:
        throw Failure(where + ": " + TypeName(type) + " cannot be stored");
    }
    return value;
}

} // namespace cbtool
