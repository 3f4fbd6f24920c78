// The wide-path to file-name conversion of the POSIX backend.
#include <cbfoundation/platform/NativePath.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using cbf::platform::FromNativePath;
using cbf::platform::NativePath;
using cbf::platform::ToNativePath;

namespace {

std::wstring fromNative(const std::string& native)
{
    return FromNativePath(native.data(), native.size());
}

TEST(NativePathTest, WideTextBecomesUtf8WithSlashesAndComesBack)
{
    const std::wstring escaped{L'x', wchar_t(0xDCFF), wchar_t(0xDC80)};
    const std::tuple<std::wstring, std::string, std::wstring> cases[] = {
        {L"\\dir\\file.txt", "/dir/file.txt", L"/dir/file.txt"},
        {L"/caf\u00e9 \u20ac/\U0001F600", "/caf\xC3\xA9 \xE2\x82\xAC/\xF0\x9F\x98\x80",
         L"/caf\u00e9 \u20ac/\U0001F600"},
        // A surrogate pair names the character it stands for, as on Windows.
        {{L'a', wchar_t(0xD83D), wchar_t(0xDE00)}, "a\xF0\x9F\x98\x80", L"a\U0001F600"},
        // Escaped bytes that no UTF-8 decoder accepts come back as the bytes.
        {escaped, "x\xFF\x80", escaped},
    };
    for (const auto& [wide, bytes, back] : cases) {
        NativePath native = "stale";
        ASSERT_TRUE(ToNativePath(wide.data(), wide.size(), native)) << bytes;
        EXPECT_EQ(native, bytes);
        EXPECT_EQ(fromNative(native), back) << bytes;
    }
    // What no file name can hold is refused rather than replaced.
    for (const std::wstring& refused : {std::wstring(L"/tmp/a\0b", 8), std::wstring{L'a', wchar_t(0xD800)},
                                        std::wstring{wchar_t(0xDC00)}, std::wstring{wchar_t(0x110000)}}) {
        NativePath native;
        EXPECT_FALSE(ToNativePath(refused.data(), refused.size(), native)) << refused.size();
    }
}

// Overlong, truncated and surrogate encodings, and bytes that never occur in
// UTF-8: what other programs may have written as file names.
TEST(NativePathTest, AnyFileNameBytesSurviveTheWideForm)
{
    for (const std::string name : {"\xC0\xAF", "\xE2\x82", "\xED\xA0\x80", "\xF5\x80\x80\x80", "a\x80z"}) {
        const std::wstring wide = fromNative(name);
        NativePath native;
        EXPECT_TRUE(ToNativePath(wide.data(), wide.size(), native) && native == name);
    }
}

} // namespace
