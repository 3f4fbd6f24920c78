// Uses the installed library the way a client module does: checks that it
// loaded the library of its headers' version, derives from its classes,
// registers them, clones by name through the registry, and catches an
// exception the library throws.

#include <cbfoundation/cbfoundation.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int g_failures = 0;

void check(bool condition, const char* what)
{
    std::printf("%s: %s\n", condition ? "ok  " : "FAIL", what);
    g_failures += condition ? 0 : 1;
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

const CbRTTI ClientError::RTTI(L"Client.ClientError", CbException::RTTI, nullptr, &ClientError::CloneByFactory);

} // namespace

int main()
{
    check(std::strcmp(CbFoundationVersion(), CBFOUNDATION_VERSION_STRING) == 0,
          "the library is the version of its headers");
    const ClientError error("client.cpp", 77, CbExceptionStream(L"Reader", 155));
    check(CbRTTI::Find(L"Client.ClientError") == &ClientError::RTTI && ClientError::RTTI.IsKindOf(L"CbException"),
          "the client class and its hierarchy are registered");
    const std::unique_ptr<IObject> clone(CbRTTI::CloneObject(error));
    const auto* copy = dynamic_cast<const ClientError*>(clone.get());
    check(copy && copy->GetCodeLine() == 77 && copy->Is(ClientError::RTTI), "clone by class name keeps the full class");
    const ClientError wrapped("client.cpp", 78, error);
    check(error.GetHistory()->Is(CbExceptionStream::RTTI) && wrapped.GetHistory()->Is(ClientError::RTTI),
          "library and client exceptions are cloned as history");
    try {
        CbScopedPointer<int> none(nullptr);
        check(false, "library throws across the boundary");
    } catch (const CbExceptionPreconditionViolation& e) {
        check(e.GetCodeLine() == 142, "library exception thrown inside the library is caught by its class");
    }
    std::printf("%d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
