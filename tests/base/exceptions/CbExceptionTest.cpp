// Tests of CbException, its subclasses, the history chain and dumping.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/platform/Thread.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <tuple>

// Client classes declared the way the library declares its own subclasses:
// one clones and describes itself, one's cloning fails, one has no
// registered clone. Outside the unnamed namespace, so that the constructors
// they do not use raise no warning.
namespace exceptiontest {

class ClientFailure : public CbException
{
    CB_DECLARE_EXCEPTION(ClientFailure)

protected:
    void dump(CbStreamWriteASCII& out) const override
    {
        out << "parse failure at " << GetFilename() << ':' << GetCodeLine() << ", " << 2.5;
    }
};
class Unclonable : public CbException
{
    CB_DECLARE_EXCEPTION(Unclonable)
};
class Unregistered : public CbException
{
    CB_DECLARE_EXCEPTION(Unregistered)
};
CB_DEFINE_EXCEPTION(ClientFailure)
CB_DEFINE_EXCEPTION(Unclonable)
CB_DEFINE_EXCEPTION(Unregistered)
const CbRTTI ClientFailure::RTTI(L"Test.ClientFailure", CbException::RTTI, nullptr, &ClientFailure::CloneByFactory);
const CbRTTI Unclonable::RTTI(L"Test.Unclonable", CbException::RTTI, nullptr,
                              [](const IObject&) -> IObject* { throw std::runtime_error("no copies"); });
const CbRTTI Unregistered::RTTI(L"Test.Unregistered", CbException::RTTI, nullptr, nullptr);

} // namespace exceptiontest

namespace {

using namespace exceptiontest;

void expectPlace(const CbException& e, const char* file, unsigned line, const char* function)
{
    EXPECT_STREQ(e.GetFilename(), file);
    EXPECT_EQ(e.GetCodeLine(), line);
    EXPECT_STREQ(e.GetFunctionName(), function);
    EXPECT_EQ(e.GetThreadID(), cbf::platform::CurrentThreadId());
}

// Wide file names are stored narrow, in the process code page.
TEST(CbExceptionTest, EveryConstructorFormStoresItsPlace)
{
    const CStringA accented(CStringW(L"D\u00e9j\u00e0.cpp"));
    // The exception, its file and function texts.
    const std::tuple<CbException, const char*, const char*> cases[] = {
        {CbException(L"Wide.cpp", 10), "Wide.cpp", ""},
        {CbException(CStringW(L"D\u00e9j\u00e0.cpp"), 10), accented, ""},
        {CbException("Narrow.cpp", 10, "F::f", std::runtime_error("disk full"), L"ignored text"), "Narrow.cpp", "F::f"},
    };
    for (const auto& [exception, file, function] : cases)
        expectPlace(exception, file, 10, function);
}

// A history is a registry clone of the cause's full class; a standard
// exception becomes a text history; one that cannot be cloned is dropped.
TEST(CbExceptionTest, HistoryIsACloneOfTheCause)
{
    const CbExceptionStream cause(L"Reader", 155);
    // The exception, and its history's class, file, line and function ("" class: no history).
    const std::tuple<CbException, const wchar_t*, const char*, unsigned, const char*> cases[] = {
        {CbExceptionOutOfMemory(L"F", 1, cause), L"CbExceptionStream", "Reader", 155, ""},
        {CbException(L"Outer", 1, std::runtime_error("bad value")), L"CbException", "std::exception (bad value)", 0,
         "---"},
        {CbException(L"Outer", 1, ClientFailure(L"Client", 9)), L"Test.ClientFailure", "Client", 9, ""},
        {CbException(L"X", 1, Unclonable(L"U", 1)), L"", "", 0, ""},
        {CbException(L"X", 1, Unregistered(L"U", 1)), L"", "", 0, ""},
    };
    for (const auto& [exception, className, file, line, function] : cases) {
        SCOPED_TRACE(file);
        const CbSmartPointer<const CbException> history = exception.GetHistory();
        ASSERT_EQ(history.IsNull(), *className == L'\0');
        if (history.IsNull())
            continue;
        EXPECT_STREQ(history->GetClassNameW(), className);
        expectPlace(*history, file, line, function);
        EXPECT_TRUE(history->GetHistory().IsNull());
    }
}

// A clone shares its source's history, and copies share the history while
// starting unowned themselves.
TEST(CbExceptionTest, CopiesAndClonesShareOneHistoryPerLevel)
{
    const CbExceptionStream middle(L"Middle", 2, CbExceptionWrongFileVersion(L"Root", 46));
    const CbException original("Top", 3, "Top::f", middle);
    const CbException* history = original.GetHistory().Get();
    EXPECT_EQ(history->GetHistory().Get(), middle.GetHistory().Get());
    EXPECT_TRUE(history->GetHistory()->Is(CbExceptionWrongFileVersion::RTTI));

    const unsigned before = history->GetReferenceCount();
    CbException copy(original), other(L"Other", 9);
    other = copy;
    EXPECT_EQ(other.GetHistory().Get(), history);
    EXPECT_EQ(history->GetReferenceCount(), before + 2);
    EXPECT_EQ(copy.GetReferenceCount(), 0u) << "a copy starts unowned";
    expectPlace(other, "Top", 3, "Top::f");
}

// An exception whose chain of histories holds `depth` levels below it, the
// level at line k caused by the one at line k - 1.
CbException chainOfDepth(unsigned depth)
{
    CbException top(L"Level", 0);
    for (unsigned line = 1; line <= depth; ++line)
        top = CbException(L"Level", line, top);
    return top;
}

// Destroying an exception releases its history level by level and stops at
// a level someone else still holds, which keeps the rest of its chain.
TEST(CbExceptionTest, ReleasingAChainStopsAtASharedLevel)
{
    CbSmartPointer<const CbException> kept;
    {
        const CbException top = chainOfDepth(5);
        kept = top.GetHistory()->GetHistory();
    }
    unsigned levels = 0;
    for (CbSmartPointer<const CbException> level = kept; level; level = level->GetHistory(), ++levels)
        EXPECT_EQ(level->GetCodeLine(), 3 - levels);
    EXPECT_EQ(levels, 4u);
    EXPECT_EQ(kept->GetReferenceCount(), 1u);
}

// A chain deeper than the stack could hold as nested releases; in a child
// process, so that a stack overflow fails this test alone. The child reports
// that it got through: under Wine a process killed by a stack overflow
// leaves exit code 0.
TEST(CbExceptionDeathTest, AChainOfAnyDepthIsReleased)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            {
                const CbException top = chainOfDepth(100000);
            }
            std::fputs("released\n", stderr);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "released");
}

// A client class renders its text without localization, whatever the writer
// it is dumped into, and through its base.
TEST(CbIDumpableTest, LibraryExceptionsRenderNothingAndClientsTheirText)
{
    CbStreamWriteASCIIStringT<CStringW> writer(CStringW(L"before"), true);
    writer.SetTruncateFloats(true);
    CbStreamWriteASCII::SetLocaleItems(',', '.');
    const ClientFailure failure(L"input.txt", 1234);
    const CbException& asBase = failure;
    failure.Dump(writer);
    failure.Dump();
    EXPECT_EQ(asBase.ToString(), L"parse failure at input.txt:1234, 2.500000");
    EXPECT_TRUE(CbExceptionCondition("F", 2, "f").ToString().IsEmpty() &&
                CbExceptionStream(L"F", 5).ToString().IsEmpty());
    CbStreamWriteASCII::CaptureLocale();
    EXPECT_EQ(static_cast<const CStringW&>(writer), L"beforeparse failure at input.txt:1234, 2.500000");
}

} // namespace
