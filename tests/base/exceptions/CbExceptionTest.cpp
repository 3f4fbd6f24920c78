#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/exceptions/Condition.h>
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

namespace {

void expectPlace(const CbException& e, const char* file, unsigned line, const char* function)
{
    EXPECT_STREQ(e.GetFilename(), file);
    EXPECT_EQ(e.GetCodeLine(), line);
    EXPECT_STREQ(e.GetFunctionName(), function);
    EXPECT_EQ(e.GetThreadID(), cbf::platform::CurrentThreadId());
}

TEST(CbExceptionTest, EveryConstructorFormStoresItsPlace)
{
    const CbExceptionStream cause(L"Cause", 1);
    const std::runtime_error standard("disk full");
    const wchar_t* text = L"ignored text";

    struct Case
    {
        CbException exception;
        const char* file;
        const char* function;
        bool hasHistory;
    };
    const Case cases[] = {
        {CbException(L"Wide.cpp", 10), "Wide.cpp", "", false},
        {CbException(L"Wide.cpp", 10, cause), "Wide.cpp", "", true},
        {CbException(L"Wide.cpp", 10, standard), "Wide.cpp", "", true},
        {CbException("Narrow.cpp", 10, "F::f"), "Narrow.cpp", "F::f", false},
        {CbException("Narrow.cpp", 10, "F::f", cause), "Narrow.cpp", "F::f", true},
        {CbException("Narrow.cpp", 10, "F::f", cause, text), "Narrow.cpp", "F::f", true},
        {CbException("Narrow.cpp", 10, "F::f", standard), "Narrow.cpp", "F::f", true},
        {CbException("Narrow.cpp", 10, "F::f", standard, text), "Narrow.cpp", "F::f", true},
        {CbException("Narrow.cpp", 10, "F::f", text), "Narrow.cpp", "F::f", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + std::string(" ") + c.function);
        expectPlace(c.exception, c.file, 10, c.function);
        EXPECT_EQ(c.exception.GetHistory().IsNull(), !c.hasHistory);
        EXPECT_TRUE(c.exception.Is(CbException::RTTI));
    }
}

TEST(CbExceptionTest, WideFileNamesBecomeNarrow)
{
    const CbException e(CStringW(L"D\u00e9j\u00e0.cpp"), 3);
    EXPECT_STREQ(e.GetFilename(), CStringA(CStringW(L"D\u00e9j\u00e0.cpp")).GetString());
    EXPECT_STREQ(CbException(L"plain.cpp", 3).GetFilename(), "plain.cpp");
}

TEST(CbExceptionTest, HistoryIsARegistryCloneOfTheFullClass)
{
    const CbExceptionStream cause(L"Reader", 155);
    const CbException e("Outer", 1, "Outer::f", cause);

    CbSmartPointer<const CbException> history = e.GetHistory();
    ASSERT_FALSE(history.IsNull());
    EXPECT_NE(history.Get(), &cause);
    EXPECT_TRUE(history->Is(CbExceptionStream::RTTI));
    EXPECT_STREQ(history->GetClassNameW(), L"CbExceptionStream");
    EXPECT_STREQ(history->GetFilename(), "Reader");
    EXPECT_EQ(history->GetCodeLine(), 155u);
    EXPECT_STREQ(history->GetFunctionName(), "");
    EXPECT_EQ(history->GetThreadID(), cause.GetThreadID());
}

TEST(CbExceptionTest, ChainsShareOneCopyPerLevel)
{
    const CbExceptionWrongFileVersion root(L"Root", 46);
    const CbExceptionStream middle(L"Middle", 2, root);
    const CbException top("Top", 3, "Top::f", middle);

    CbSmartPointer<const CbException> level1 = top.GetHistory();
    CbSmartPointer<const CbException> level2 = level1->GetHistory();
    ASSERT_FALSE(level2.IsNull());
    EXPECT_TRUE(level2->Is(CbExceptionWrongFileVersion::RTTI));
    EXPECT_EQ(level2.Get(), middle.GetHistory().Get()) << "the clone shares its source's history";
    EXPECT_TRUE(level2->GetHistory().IsNull());
}

TEST(CbExceptionTest, StandardExceptionBecomesATextHistory)
{
    const CbException e(L"Outer", 1, std::runtime_error("bad value"));
    CbSmartPointer<const CbException> history = e.GetHistory();
    ASSERT_FALSE(history.IsNull());
    EXPECT_STREQ(history->GetFilename(), "std::exception (bad value)");
    EXPECT_EQ(history->GetCodeLine(), 0u);
    EXPECT_STREQ(history->GetFunctionName(), "---");
    EXPECT_TRUE(history->GetHistory().IsNull());
    EXPECT_TRUE(history->Is(CbException::RTTI));
}

TEST(CbExceptionTest, CopiesShareTheHistoryAndStartUnowned)
{
    const CbException original("File", 7, "F", CbExceptionStream(L"Cause", 1));
    const CbException* history = original.GetHistory().Get();
    const unsigned before = history->GetReferenceCount();

    CbException copy(original);
    EXPECT_EQ(copy.GetHistory().Get(), history);
    EXPECT_EQ(history->GetReferenceCount(), before + 1);
    EXPECT_EQ(copy.GetReferenceCount(), 0u);
    {
        CbSmartPointer<const CbException> extra = copy.GetHistory();
        EXPECT_EQ(history->GetReferenceCount(), before + 2);
        EXPECT_EQ(copy.GetReferenceCount(), 0u) << "GetHistory counts on the history, not the exception";
    }

    CbException other(L"Other", 9);
    other = original;
    EXPECT_EQ(other.GetHistory().Get(), history);
    EXPECT_STREQ(other.GetFilename(), "File");
    EXPECT_EQ(other.GetCodeLine(), 7u);
    EXPECT_EQ(history->GetReferenceCount(), before + 2);
}

TEST(CbExceptionTest, ThreadIdIsTheConstructingThreads)
{
    unsigned otherThread = 0;
    CbException* fromOther = nullptr;
    std::thread([&] {
        otherThread = cbf::platform::CurrentThreadId();
        fromOther = new CbException(L"T", 1);
    }).join();
    EXPECT_EQ(fromOther->GetThreadID(), otherThread);
    EXPECT_NE(fromOther->GetThreadID(), cbf::platform::CurrentThreadId());
    delete fromOther;
}

// A client class whose cloning fails: its history is dropped silently.
class Unclonable : public CbException
{
public:
    Unclonable() : CbException(L"Unclonable", 1) {}
    const CbRTTI& GetRTTI() const override { return RTTI; }
    static const CbRTTI RTTI;
    static IObject* Fail(const IObject&) { throw std::runtime_error("no copies"); }
};
const CbRTTI Unclonable::RTTI(L"Test.Unclonable", CbException::RTTI, nullptr, &Unclonable::Fail);

class Unregistered : public CbException
{
public:
    Unregistered() : CbException(L"Unregistered", 1) {}
    const CbRTTI& GetRTTI() const override { return RTTI; }
    static const CbRTTI RTTI;
};
const CbRTTI Unregistered::RTTI(L"Test.Unregistered", CbException::RTTI, nullptr, nullptr);

TEST(CbExceptionTest, HistoryThatCannotBeClonedIsDropped)
{
    EXPECT_TRUE(CbException(L"X", 1, Unclonable()).GetHistory().IsNull());
    EXPECT_TRUE(CbException(L"X", 1, Unregistered()).GetHistory().IsNull());
}

// The class of the object a handler for Caught receives, or "" if none does.
template <class Caught, class Exception>
const wchar_t* classCaughtAs(const Exception& thrown)
{
    try {
        throw thrown;
    } catch (const Caught& e) {
        return dynamic_cast<const IObject&>(e).GetRTTI().GetName();
    } catch (...) {
        return L"";
    }
}

template <class Exception>
void expectCaughtAsEveryInterface(const Exception& e, const wchar_t* className)
{
    for (const wchar_t* caught : {classCaughtAs<Exception>(e), classCaughtAs<CbException>(e),
                                  classCaughtAs<IException>(e), classCaughtAs<IObject>(e),
                                  classCaughtAs<IReferenceCounted>(e)})
        EXPECT_STREQ(caught, className);
}

TEST(CbExceptionTest, EverySubclassIsCaughtThroughEveryInterface)
{
    expectCaughtAsEveryInterface(CbException(L"F", 1), L"CbException");
    expectCaughtAsEveryInterface(CbExceptionCondition("F", 2, "f"), L"CbExceptionCondition");
    expectCaughtAsEveryInterface(CbExceptionOutOfMemory(L"F", 3), L"CbExceptionOutOfMemory");
    expectCaughtAsEveryInterface(CbExceptionPreconditionViolation(L"F", 4), L"CbExceptionPreconditionViolation");
    expectCaughtAsEveryInterface(CbExceptionStream(L"F", 5), L"CbExceptionStream");
    expectCaughtAsEveryInterface(CbExceptionWrongFileVersion(L"F", 6), L"CbExceptionWrongFileVersion");
}

TEST(CbExceptionTest, SubclassesAreKindsOfCbException)
{
    const CbExceptionOutOfMemory e(L"F", 1, CbExceptionStream(L"G", 2));
    EXPECT_TRUE(e.IsKindOf(CbException::RTTI));
    EXPECT_TRUE(e.IsKindOf(L"CbException"));
    EXPECT_FALSE(e.Is(CbException::RTTI));
    EXPECT_FALSE(e.IsKindOf(CbExceptionStream::RTTI));
    EXPECT_TRUE(e.GetHistory()->Is(CbExceptionStream::RTTI));
}

TEST(ConditionTest, OnlyThrowingHandlingThrows)
{
    EXPECT_NO_THROW(Condition::HandleUnfulfilledCondition("F", 1, "f", Condition::eConditionHandlingIgnore));
    EXPECT_NO_THROW(Condition::HandleUnfulfilledCondition("F", 1, "f", Condition::eConditionHandlingReport));
    try {
        Condition::HandleUnfulfilledCondition("Check.cpp", 77, "Check::run", Condition::eConditionHandlingThrow);
        FAIL();
    } catch (const CbExceptionCondition& e) {
        expectPlace(e, "Check.cpp", 77, "Check::run");
    }
}

} // namespace
