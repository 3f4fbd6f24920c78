// Parameter files for the entry tests, built byte by byte so that the tests do not trust the writer they test.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/entry/CbParameterFile.h>

#include "base/streams/StreamTestSupport.h"

#include <cstdint>
#include <initializer_list>
#include <string>

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

/// A record with a wide-text value: stamp 1, name, variant (stamp 0, tag 8, text), number.
inline Bytes RecordBytes(const std::u16string& name, const std::u16string& text, std::int32_t number)
{
    return Concat(
        {Le32(1), WideBytes(name), Le32(0), Le32(8), WideBytes(text), Le32(static_cast<std::uint32_t>(number))});
}

/// As above with the value `name` + u" value".
inline Bytes RecordBytes(const std::u16string& name, std::int32_t number)
{
    return RecordBytes(name, name + u" value", number);
}

/// A record whose value is the int `value`.
inline Bytes IntRecordBytes(const std::u16string& name, std::int32_t value)
{
    return Concat({Le32(1), WideBytes(name), Le32(0), Le32(2), Le32(static_cast<std::uint32_t>(value)), Le32(0)});
}

/// A group section of one group named `group` with one record `record`.
inline Bytes GroupSectionBytes(const std::u16string& group, const std::u16string& record)
{
    return Concat({Le32(1), WideBytes(group), Le32(1), RecordBytes(record, 0)});
}

/// A parameter list of one record per name, numbered from 0.
inline Bytes ParameterListBytes(std::initializer_list<std::u16string> names)
{
    Bytes bytes = Le32(static_cast<std::uint32_t>(names.size()));
    std::int32_t number = 0;
    for (const std::u16string& name : names)
        bytes = Concat({bytes, RecordBytes(name, number++)});
    return bytes;
}

/// The model of a version-4 file with groups g1 (record a) and g2 (record b)
/// and the parameter p, matching the bytes of the functions above.
inline CbParameterFile SampleFile()
{
    const auto record = [](const wchar_t* name, int number) {
        CbVariant value;
        value = CStringW(name) + L" value";
        return PmCParameter(name, value, false, number);
    };
    CbParameterFile file;
    file.firstGroups.push_back({L"g1", {record(L"a", 0)}});
    file.secondGroups.push_back({L"g2", {record(L"b", 0)}});
    file.parameters.push_back(record(L"p", 0));
    return file;
}

} // namespace cbf::test
