// Tests of text rendering of dumpable objects and of the last-error text.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/exceptions/CbLatestError.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <vector>

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

TEST(CbIDumpableTest, LibraryExceptionsRenderNothingAndClientsTheirText)
{
    const CbException cause(L"f", 1);
    std::vector<std::unique_ptr<CbException>> library;
    library.push_back(std::make_unique<CbException>("f", 2, "fn", cause, L"text"));
    library.push_back(std::make_unique<CbExceptionCondition>("f", 3, "fn"));
    library.push_back(std::make_unique<CbExceptionOutOfMemory>(L"f", 4));
    library.push_back(std::make_unique<CbExceptionPreconditionViolation>(L"f", 5));
    library.push_back(std::make_unique<CbExceptionStream>(L"f", 6, cause));
    library.push_back(std::make_unique<CbExceptionWrongFileVersion>(L"f", 7));
    library.push_back(std::make_unique<CbVariant::CbExceptionConversion>(8));
    CbStreamWriteASCIIStringT<CStringW> writer(CStringW(L"before"), true);
    for (const auto& e : library) {
        EXPECT_TRUE(e->ToString().IsEmpty()) << e->GetClassNameW();
        e->Dump(writer);
        e->Dump();
    }
    EXPECT_EQ(static_cast<const CStringW&>(writer), L"before");

    // Rendered without localization, whatever the writer it is dumped into.
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
    EXPECT_FALSE(std::iswspace(static_cast<wint_t>(text[0])));
    EXPECT_FALSE(std::iswspace(static_cast<wint_t>(text[text.GetLength() - 1])));

    CbLatestError copy(missing);
    EXPECT_EQ(copy.GetLatestErrorMessage(), text);
    const CbLatestError none(0);
    EXPECT_FALSE(none.IsError());
    copy = none;
    EXPECT_FALSE(copy.IsError());
    EXPECT_EQ(copy.GetLatestErrorMessage(), none.GetLatestErrorMessage());
    EXPECT_EQ(missing.GetLatestErrorNumber(), 2UL);
}

} // namespace
