// Tests of text rendering of dumpable objects and of the last-error text.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbLatestError.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>

#include <gtest/gtest.h>

#include <cwctype>

// A client exception that describes itself. Outside the unnamed namespace, so
// that the constructor it does not use raises no warning.
namespace dumptest {

class ParseFailure : public CbException
{
    CB_DECLARE_EXCEPTION(ParseFailure)

protected:
    void dump(CbStreamWriteASCII& out) const override
    {
        out << "parse failure at " << GetFilename() << ':' << GetCodeLine() << ", " << 2.5;
    }
};

CB_DEFINE_EXCEPTION(ParseFailure)
const CbRTTI ParseFailure::RTTI(L"DumpTest::ParseFailure", CbException::RTTI, nullptr, &ParseFailure::CloneByFactory);

} // namespace dumptest

namespace {

using dumptest::ParseFailure;

// The library's own exceptions render nothing (see CbExceptionTest); a client
// class renders its text without localization, whatever the writer it is
// dumped into.
TEST(CbIDumpableTest, LibraryExceptionsRenderNothingAndClientsTheirText)
{
    const CbException cause(L"f", 1);
    CbStreamWriteASCIIStringT<CStringW> writer(CStringW(L"before"), true);
    CbStreamWriteASCII::SetLocaleItems(',', '.');
    const ParseFailure failure(L"input.txt", 1234, cause);
    EXPECT_EQ(failure.ToString(), L"parse failure at input.txt:1234, 2.500000");
    writer.SetTruncateFloats(true);
    failure.Dump(writer);
    failure.Dump();
    CbStreamWriteASCII::CaptureLocale();
    EXPECT_EQ(static_cast<const CStringW&>(writer), L"beforeparse failure at input.txt:1234, 2.500000");
    const CbException& asBase = failure;
    EXPECT_EQ(asBase.ToString(), failure.ToString());
}

TEST(CbIDumpableTest, LatestErrorHoldsTheNumberAndTheTrimmedSystemText)
{
    const CbLatestError missing(2);
    EXPECT_TRUE(missing.IsError());
    EXPECT_EQ(missing.GetLatestErrorNumber(), 2UL);
    const CStringW& text = missing.GetLatestErrorMessage();
    ASSERT_FALSE(text.IsEmpty());
    EXPECT_FALSE(std::iswspace(static_cast<wint_t>(text[0])) ||
                 std::iswspace(static_cast<wint_t>(text[text.GetLength() - 1])));

    CbLatestError copy(missing);
    EXPECT_EQ(copy.GetLatestErrorMessage(), text);
    copy = CbLatestError(0);
    EXPECT_FALSE(copy.IsError());
}

} // namespace
