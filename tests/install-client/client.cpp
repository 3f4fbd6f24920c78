// Uses the installed library the way a client module does: checks that it
// loaded the library of its headers' version, derives from its classes,
// registers them, clones by name through the registry, and catches library
// exceptions through every interface they implement.

#include <cbfoundation/cbfoundation.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int g_failures = 0;

void check(bool condition, const char* what)
{
    std::printf("%s: %s\n", condition ? "ok  " : "FAIL", what);
    if (!condition)
        ++g_failures;
}

class ClientError : public CbException
{
    CB_DECLARE_RTTI(ClientError)
    CB_DECLARE_CLONE(ClientError)

public:
    ClientError(const char* file, unsigned line, const CbException& cause)
        : CbException(file, line, "ClientError::ClientError", cause, RTTI)
    {}
};

class Widget : public IObject
{
    CB_DECLARE_RTTI(Widget)
    CB_DECLARE_CLONE(Widget)

public:
    explicit Widget(int size = 0)
        : m_size(size)
    {}
    int Size() const { return m_size; }

private:
    int m_size;
};

class Gadget : public Widget
{
    CB_DECLARE_RTTI(Gadget)
    CB_DECLARE_CLONE(Gadget)

public:
    using Widget::Widget;
};

const CbRTTI ClientError::RTTI(L"Client.ClientError", CbException::RTTI, nullptr, &ClientError::CloneByFactory);
const CbRTTI Widget::RTTI(L"Client.Widget", nullptr, &Widget::CloneByFactory);
const CbRTTI Gadget::RTTI(L"Client.Gadget", Widget::RTTI, nullptr, &Gadget::CloneByFactory);

template <class Caught, class Exception>
bool caughtAs(const Exception& thrown)
{
    try {
        throw thrown;
    } catch (const Caught&) {
        return true;
    } catch (...) {
        return false;
    }
}

template <class Exception>
void checkCatchable(const Exception& e, const char* name)
{
    check(caughtAs<Exception>(e) && caughtAs<CbException>(e) && caughtAs<IException>(e) && caughtAs<IObject>(e) &&
              caughtAs<IReferenceCounted>(e),
          name);
}

} // namespace

int main()
{
    check(std::strcmp(CbFoundationVersion(), CBFOUNDATION_VERSION_STRING) == 0,
          "the library is the version of its headers");
    check(CbRTTI::Find(L"Client.Gadget") == &Gadget::RTTI, "client classes are registered");
    check(Gadget::RTTI.IsKindOf(L"Client.Widget"), "registry knows the client hierarchy");
    check(ClientError::RTTI.IsKindOf(CbException::RTTI), "client exception derives from CbException");

    const Gadget gadget(7);
    std::unique_ptr<IObject> clone(CbRTTI::CloneObject(gadget));
    const auto* copy = dynamic_cast<const Gadget*>(clone.get());
    check(copy && copy->Size() == 7 && copy->Is(Gadget::RTTI), "clone by class name keeps the full class");

    const ClientError error("client.cpp", 77, CbExceptionStream(L"Reader", 155));
    check(error.GetHistory() && error.GetHistory()->Is(CbExceptionStream::RTTI), "history crosses the boundary");
    const ClientError wrapped("client.cpp", 78, error);
    check(wrapped.GetHistory()->Is(ClientError::RTTI), "a client exception is cloned as history");

    checkCatchable(error, "client exception caught through every interface");
    checkCatchable(CbExceptionStream(L"F", 5), "library exception caught through every interface");

    try {
        CbScopedPointer<int> none(nullptr);
        check(false, "library throws across the boundary");
    } catch (const CbExceptionPreconditionViolation& e) {
        check(e.GetCodeLine() == 142, "library exception thrown inside the library is caught by its class");
    }

    std::printf("%d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
