// Parameter files for the entry tests, built byte by byte so that the tests do not trust the writer they test.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/platform/CodePage.h>

#include "os/streams/FileStreamTestSupport.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

namespace cbf::test {

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Le32(std::uint32_t value)
{
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

/// A wide string's form: tag, one-byte length (the texts here are short), UTF-16LE.
inline Bytes WideBytes(const std::u16string& text)
{
    Bytes bytes = {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(text.size())};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

/// A record: stamp 1, name, variant (stamp 0, then `tagAndPayload`), number.
inline Bytes VariantRecordBytes(const std::u16string& name, const Bytes& tagAndPayload, std::int32_t number = 0)
{
    return Concat({Le32(1), WideBytes(name), Le32(0), tagAndPayload, Le32(static_cast<std::uint32_t>(number))});
}

/// A record with the wide-text value `text` (tag 8).
inline Bytes RecordBytes(const std::u16string& name, const std::u16string& text, std::int32_t number)
{
    return VariantRecordBytes(name, Concat({Le32(8), WideBytes(text)}), number);
}

/// As above with the value `name` + u" value".
inline Bytes RecordBytes(const std::u16string& name, std::int32_t number)
{
    return RecordBytes(name, name + u" value", number);
}

/// A group section of one group named `group` with one record `record`.
inline Bytes GroupSectionBytes(const std::u16string& group, const std::u16string& record)
{
    return Concat({Le32(1), WideBytes(group), Le32(1), RecordBytes(record, 0)});
}

/// The model of a version-4 file with groups g1 (record a) and g2 (record b)
/// and the parameter p, matching the bytes of the functions above.
inline CbParameterFile SampleFile()
{
    const auto record = [](const wchar_t* name) {
        CbVariant value;
        value = CStringW(name) + L" value";
        return PmCParameter(name, value, false, 0);
    };
    CbParameterFile file;
    file.firstGroups.push_back({L"g1", {record(L"a")}});
    file.secondGroups.push_back({L"g2", {record(L"b")}});
    file.parameters.push_back(record(L"p"));
    return file;
}

/// GetExternalDataPath's status word and text for `path`, passed as the
/// function takes it: narrow text in the process code page.
using Answer = std::pair<std::uint32_t, std::u16string>;
inline Answer CallGetExternalDataPath(const std::filesystem::path& path)
{
    const CStringW wide = WideOf(path);
    const std::string narrow =
        cbf::platform::WideToNarrow(wide.GetString(), static_cast<std::size_t>(wide.GetLength()));
    std::uint32_t status = 99;
    const BSTR result = GetExternalDataPath(narrow.c_str(), &status);
    EXPECT_NE(result, nullptr);
    Answer answer{status, std::u16string(reinterpret_cast<const char16_t*>(result), SysStringLen(result))};
    SysFreeString(result);
    return answer;
}

} // namespace cbf::test
