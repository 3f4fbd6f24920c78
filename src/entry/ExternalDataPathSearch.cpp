// The search behind GetExternalDataPath: the layout walked record by record up to the first match.
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/entry/PmCParameter.h>
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/platform/CodePage.h>

#include "entry/ExternalDataPathSearch.h"
#include "entry/ParameterLayout.h"
#include "entry/WindowReader.h"

#include <cstring>
#include <string>

namespace cbf::entry {

namespace {

constexpr const wchar_t* kSearchedName = L"ExternalDataPath";
constexpr char16_t kSearchedUnits[] = u"ExternalDataPath";
constexpr std::size_t kSearchedLength = 16;

// What scanning one record in the window found.
enum class Scan
{
    // A record that is not the one looked for, passed over whole.
    passedOver,
    // A record that needs decoding: it is the one looked for, it does not
    // lie whole in the window, or it holds what only the decoder handles
    // (another stamp, a date, a byte array, a malformed value).
    decode
};

// Reads the fields of a record in place, never beyond the window.
class Cursor
{
public:
    Cursor(const unsigned char* data, std::size_t size)
        : m_next(data)
        , m_left(size)
    {}

    bool Take(std::size_t count, const unsigned char*& bytes)
    {
        if (count > m_left)
            return false;
        bytes = m_next;
        m_next += count;
        m_left -= count;
        return true;
    }

    template <class Value>
    bool Read(Value& value)
    {
        const unsigned char* bytes = nullptr;
        if (!Take(sizeof value, bytes))
            return false;
        std::memcpy(&value, bytes, sizeof value);
        return true;
    }

    // The length of a wide string, after its tag, in the reader's encoding.
    bool ReadWideLength(std::uint64_t& length)
    {
        const unsigned char* head = nullptr;
        if (!Take(4, head) || head[0] != 0xFF || head[1] != 0xFE || head[2] != 0xFF)
            return false;
        length = head[3];
        if (length < 0xFF)
            return true;
        std::uint16_t length16 = 0;
        if (!Read(length16))
            return false;
        length = length16;
        if (length16 < 0xFFFF)
            return true;
        std::uint32_t length32 = 0;
        if (!Read(length32))
            return false;
        length = length32;
        if (length32 < 0xFFFFFFFF)
            return true;
        return Read(length);
    }

    bool SkipUnits(std::uint64_t count, std::size_t unitSize, const unsigned char*& bytes)
    {
        return count <= m_left / unitSize && Take(static_cast<std::size_t>(count) * unitSize, bytes);
    }

    std::size_t Consumed(const unsigned char* start) const { return static_cast<std::size_t>(m_next - start); }

private:
    const unsigned char* m_next;
    std::size_t m_left;
};

// True when the name's UTF-16 units, up to the first NUL as the decoder cuts
// them, are exactly the name looked for.
bool isSearchedName(const unsigned char* units, std::uint64_t count)
{
    return count >= kSearchedLength && std::memcmp(units, kSearchedUnits, 2 * kSearchedLength) == 0 &&
           (count == kSearchedLength || (units[2 * kSearchedLength] == 0 && units[2 * kSearchedLength + 1] == 0));
}

// Passes over a variant's payload of `tag`; false for what needs the decoder.
bool skipPayload(Cursor& cursor, std::uint32_t tag)
{
    // Payload sizes by tag of the fixed-size types; 0xFF: not fixed.
    static constexpr unsigned char kFixedSize[19] = {0,    1,    4, 8, 4, 4, 8, 1,    0xFF, 0xFF,
                                                     0xFF, 0xFF, 1, 1, 2, 2, 8, 0xFF, 0xFF};
    const unsigned char* bytes = nullptr;
    if (tag < 19 && kFixedSize[tag] != 0xFF)
        return cursor.Take(kFixedSize[tag], bytes);
    std::uint64_t length = 0;
    if (tag == CbVariant::eVariantTypeStringW)
        return cursor.ReadWideLength(length) && cursor.SkipUnits(length, 2, bytes);
    std::uint32_t narrowLength = 0;
    if (tag == CbVariant::eVariantTypeStringA)
        return cursor.Read(narrowLength) && cursor.SkipUnits(narrowLength, 1, bytes);
    return false;
}

// Scans the record at the start of the window. Only records whose every byte
// is in the window and whose form is plain are passed over here; the rest go
// to the decoder, which consumes the same bytes and fails where they fail.
Scan scanRecord(const unsigned char* data, std::size_t size, std::size_t& recordSize)
{
    Cursor cursor(data, size);
    std::uint32_t stamp = 0;
    if (!cursor.Read(stamp))
        return Scan::decode;
    if (stamp != PmCParameter::kRecordStamp) {
        // Only the stamp: the record keeps the fields of the one before,
        // which was not the one looked for either.
        recordSize = cursor.Consumed(data);
        return Scan::passedOver;
    }
    std::uint64_t nameLength = 0;
    const unsigned char* name = nullptr;
    if (!cursor.ReadWideLength(nameLength) || !cursor.SkipUnits(nameLength, 2, name) ||
        isSearchedName(name, nameLength))
        return Scan::decode;
    std::uint32_t variantStamp = 0;
    std::uint32_t tag = 0;
    std::int32_t number = 0;
    if (!cursor.Read(variantStamp) || variantStamp != 0 || !cursor.Read(tag) || !skipPayload(cursor, tag) ||
        !cursor.Read(number))
        return Scan::decode;
    recordSize = cursor.Consumed(data);
    return Scan::passedOver;
}

// Walks the layout with a window over the file: records are passed over in
// place where they can be, and decoded into a scratch record where not.
// The parameter list has a scratch record of its own, so that a record whose
// stamp is not 1, which keeps the fields of the record before, never takes a
// name from the group sections; within the list, the name it keeps did not
// match either.
class Search
{
public:
    void Version(unsigned int) {}
    void Group(GroupSection, const CStringW&, std::uint32_t) {}
    void ReadGroupRecord(GroupSection, CbStreamReadBinary& stream) { readRecord(stream, m_groupRecord); }
    bool ReadParameter(CbStreamReadBinary& stream)
    {
        return readRecord(stream, m_record) && m_record.name == kSearchedName;
    }

    const CbVariant& Value() const { return m_record.value; }

private:
    // Reads one record; true when it was decoded into `record`.
    static bool readRecord(CbStreamReadBinary& stream, PmCParameter& record)
    {
        auto& window = static_cast<WindowReader&>(stream);
        std::size_t recordSize = 0;
        if (scanRecord(window.Next(), window.Available(), recordSize) == Scan::passedOver ||
            (window.Refill() && scanRecord(window.Next(), window.Available(), recordSize) == Scan::passedOver)) {
            window.Skip(recordSize);
            return false;
        }
        record.Serialize(window);
        return true;
    }

    PmCParameter m_groupRecord;
    PmCParameter m_record;
};

CStringW search(const char* path, std::uint32_t& status)
{
    const std::wstring wide = cbf::platform::NarrowToWide(path, std::strlen(path));
    const CStringW widePath(wide.c_str(), static_cast<int>(wide.size()));
    if (!OsFileSystem::Exists(widePath)) {
        status = kStatusFileNotFound;
        return CStringW();
    }
    Search search;
    {
        OsStreamReadBinaryFile file(widePath);
        WindowReader window(file);
        if (!WalkParameterLayout(window, search))
            return CStringW();
    }
    status = kStatusOk;
    const CbVariant value = search.Value();
    // Throws for any other type than wide text; the caller turns that into
    // ERROR_UNKNOWN.
    return CStringW(static_cast<const wchar_t*>(value));
}

} // namespace

CStringW FindExternalDataPath(const char* path, std::uint32_t& status) noexcept
{
    status = kStatusUnknown;
    try {
        return search(path, status);
    } catch (...) {
        status = kStatusUnknown;
    }
    return CStringW();
}

} // namespace cbf::entry
