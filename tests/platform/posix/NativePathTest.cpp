// The wide-path to file-name conversion of the POSIX backend.
#include <cbfoundation/platform/NativePath.h>

#include <gtest/gtest.h>

#include <string>

using cbf::platform::FromNativePath;
using cbf::platform::NativePath;
using cbf::platform::ToNativePath;

namespace {

bool toNative(const std::wstring& wide, NativePath& native)
{
    return ToNativePath(wide.data(), wide.size(), native);
}

std::wstring fromNative(const std::string& native)
{
    return FromNativePath(native.data(), native.size());
}

TEST(NativePathTest, WideTextBecomesUtf8WithSlashesAndComesBack)
{
    struct Case
    {
        std::wstring wide;
        std::string native;
        std::wstring back;
    };
    const Case cases[] = {
        {L"\\dir\\file.txt", "/dir/file.txt", L"/dir/file.txt"},
        {L"/caf\u00e9 \u20ac/\U0001F600", "/caf\xC3\xA9 \xE2\x82\xAC/\xF0\x9F\x98\x80",
         L"/caf\u00e9 \u20ac/\U0001F600"},
        // A surrogate pair names the character it stands for, as on Windows.
        {std::wstring{L'a', wchar_t(0xD83D), wchar_t(0xDE00)}, "a\xF0\x9F\x98\x80", L"a\U0001F600"},
        // Escaped bytes that no UTF-8 decoder accepts come back as the bytes.
        {std::wstring{L'x', wchar_t(0xDCFF), wchar_t(0xDC80)}, "x\xFF\x80",
         std::wstring{L'x', wchar_t(0xDCFF), wchar_t(0xDC80)}},
        {L"", "", L""},
    };
    for (const Case& c : cases) {
        NativePath native = "stale";
        ASSERT_TRUE(toNative(c.wide, native)) << c.native;
        EXPECT_EQ(native, c.native);
        EXPECT_EQ(fromNative(native), c.back) << c.native;
    }
}

TEST(NativePathTest, AnyFileNameBytesSurviveTheWideForm)
{
    // Overlong, truncated and surrogate encodings, and bytes that never occur
    // in UTF-8: what other programs may have written as file names.
    const std::string names[] = {"\xC0\xAF",
                                 "\xE2\x82",
                                 "\xED\xA0\x80",
                                 "\xF5\x80\x80\x80",
                                 "\xFE\xFF",
                                 "a\x80"
                                 "b"};
    for (const std::string& name : names) {
        NativePath native;
        ASSERT_TRUE(toNative(fromNative(name), native));
        EXPECT_EQ(native, name);
    }
}

TEST(NativePathTest, WhatNoFileNameCanHoldIsRefused)
{
    const std::wstring refused[] = {
        std::wstring(L"/tmp/a\0b", 8),
        std::wstring{L'a', wchar_t(0xD800)},
        std::wstring{wchar_t(0xDC00), L'b'},
        std::wstring{wchar_t(0x110000)},
    };
    for (const std::wstring& path : refused) {
        NativePath native;
        EXPECT_FALSE(toNative(path, native)) << path.size();
    }
}

} // namespace
