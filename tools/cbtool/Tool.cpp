// Failures, text conversion and whole-file access shared by cbtool's commands.

#include "Tool.h"

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/platform/CodePage.h>
#include <cbfoundation/platform/Utf16.h>

#include <exception>
#include <filesystem>
#include <new>

namespace cbtool {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// UTF-16 to UTF-8; a lone surrogate is replaced, or fails the conversion
// when `exact` is asked for.
std::optional<std::string> Utf16ToUtf8(std::u16string_view units, bool exact)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t index = 0; index < units.size(); ++index) {
        char32_t unit = units[index];
        if (IsHighSurrogate(unit) && index + 1 < units.size() && IsLowSurrogate(units[index + 1])) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (units[++index] - 0xDC00);
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            if (exact)
                return std::nullopt;
            unit = kReplacementCharacter;
        }
        AppendUtf8(unit, out);
    }
    return out;
}

std::string DescribeOne(const CbException& exception)
{
    std::string text = ToUtf8(exception.GetClassNameW());
    text += " (";
    text += exception.GetFilename();
    text += ", line " + std::to_string(exception.GetCodeLine());
    const std::string function = exception.GetFunctionName();
    if (!function.empty() && function != "---")
        text += ", " + function;
    return text + ")";
}

// A standard exception taken into the library's chain keeps only its text,
// in the file name: "std::exception (<what>)".
std::string StandardText(const CbException& exception)
{
    constexpr std::string_view kPrefix = "std::exception (";
    const std::string_view file = exception.GetFilename();
    if (file.size() <= kPrefix.size() || file.substr(0, kPrefix.size()) != kPrefix || file.back() != ')')
        return {};
    return std::string(file.substr(kPrefix.size(), file.size() - kPrefix.size() - 1));
}

// The system's reason, when the chain ends in one, then where the library
// threw.
std::string Describe(const CbException& exception)
{
    std::string reason;
    for (auto cause = exception.GetHistory(); cause; cause = cause->GetHistory())
        reason = StandardText(*cause);
    return reason.empty() ? DescribeOne(exception) : reason + " [" + DescribeOne(exception) + "]";
}

} // namespace

std::string DescribeCurrentException()
{
    try {
        throw;
    } catch (const CbException& exception) {
        return Describe(exception);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "unknown failure";
    }
}

CStringW FromArgument(const std::string& argument)
{
    const std::wstring wide = cbf::platform::NarrowToWide(argument.data(), argument.size());
    return CStringW(wide.data(), static_cast<int>(wide.size()));
}

// Looked at as text, not through std::filesystem, which refuses names that
// are not valid in the locale's encoding but are valid file names.
CStringW PathFromArgument(const std::string& argument)
{
    const CStringW path = FromArgument(argument);
    const bool drives = std::filesystem::path::preferred_separator == L'\\';
    const bool rooted = !path.IsEmpty() && (path.GetAt(0) == L'/' || path.GetAt(0) == L'\\' ||
                                            (drives && path.GetLength() > 1 && path.GetAt(1) == L':'));
    if (path.IsEmpty() || rooted)
        return path;
    return OsFileSystem::GetDirectory(OsFileSystem::eSpecialDirectoryCurrent) + path;
}

std::u16string ToUtf16(const CStringW& text)
{
    const auto length = static_cast<std::size_t>(text.GetLength());
    std::u16string units(cbf::platform::Utf16Length(text.GetString(), length), u'\0');
    cbf::platform::ToUtf16(text.GetString(), length, units.data());
    return units;
}

CStringW FromUtf16(std::u16string_view units)
{
    std::wstring wide(units.size(), L'\0');
    wide.resize(cbf::platform::FromUtf16(units.data(), units.size(), wide.data()));
    return CStringW(wide.data(), static_cast<int>(wide.size()));
}

std::string ToUtf8(const CStringW& text)
{
    return *Utf16ToUtf8(ToUtf16(text), false);
}

std::optional<std::string> ToUtf8Exactly(const CStringW& text)
{
    return Utf16ToUtf8(ToUtf16(text), true);
}

CStringW FromUtf8(std::string_view text)
{
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t index = 0; index < text.size();) {
        const auto lead = static_cast<unsigned char>(text[index]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (index + length > text.size())
            throw Failure("invalid UTF-8 text");
        char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t next = 1; next < length; ++next)
            codePoint = codePoint << 6 | (static_cast<unsigned char>(text[index + next]) & 0x3F);
        index += length;
        if (codePoint < 0x10000) {
            units += static_cast<char16_t>(codePoint);
        } else {
            units += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
    }
    return FromUtf16(units);
}

std::size_t CodePointCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (const char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

std::string ToHex(const void* bytes, std::size_t count)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * count);
    for (std::size_t index = 0; index < count; ++index) {
        const auto byte = static_cast<const unsigned char*>(bytes)[index];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::vector<unsigned char> FromHex(std::string_view digits, const std::string& what)
{
    const auto value = [&](char digit) {
        if (digit >= '0' && digit <= '9')
            return digit - '0';
        if (digit >= 'a' && digit <= 'f')
            return digit - 'a' + 10;
        if (digit >= 'A' && digit <= 'F')
            return digit - 'A' + 10;
        throw Failure(what + ": '" + std::string(1, digit) + "' is no hexadecimal digit");
    };
    if (digits.size() % 2 != 0)
        throw Failure(what + ": an odd number of hexadecimal digits");
    std::vector<unsigned char> bytes(digits.size() / 2);
    for (std::size_t index = 0; index < bytes.size(); ++index)
        bytes[index] = static_cast<unsigned char>(value(digits[2 * index]) << 4 | value(digits[2 * index + 1]));
    return bytes;
}

std::vector<unsigned char> ReadAll(CbStreamReadBinary& stream)
{
    std::vector<unsigned char> bytes;
    constexpr std::size_t kPiece = 65536;
    for (;;) {
        const std::size_t size = bytes.size();
        bytes.resize(size + kPiece);
        const auto count = static_cast<std::size_t>(stream.ReadBuffer(bytes.data() + size, kPiece));
        bytes.resize(size + count);
        if (count < kPiece)
            return bytes;
    }
}

std::vector<unsigned char> ReadWholeFile(const CStringW& path)
{
    OsStreamReadBinaryFileRaw file(path.GetString());
    return ReadAll(file);
}

void ReplaceAtomically(const CStringW& path, const std::function<void(const CStringW& temporary)>& write)
{
    const CStringW temporary = path + L".cbtool-new";
    try {
        write(temporary);
    } catch (...) {
        OsFileSystem::DeleteFileW(temporary);
        throw;
    }
    if (!OsFileSystem::MoveFileW(temporary, path, false)) {
        OsFileSystem::DeleteFileW(temporary);
        throw Failure("cannot replace " + ToUtf8(path));
    }
}

} // namespace cbtool
