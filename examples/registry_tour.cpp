// A tour of the object model as a client program sees it: classes of our
// own in the type registry, lookups by name, cloning through the registry,
// and exceptions that carry their cause.

#include <cbfoundation/cbfoundation.h>

#include <cstdio>
#include <memory>

namespace {

// A small zoo: Animal <- Dog; Pet and Guard are mix-ins. Watchdog has three
// bases, Lapdog two.
class Animal : public IObject
{
    CB_DECLARE_RTTI(Animal)
    CB_DECLARE_CLONE(Animal)

public:
    explicit Animal(const wchar_t* name = L"nameless")
        : m_name(name)
    {}
    const wchar_t* Name() const { return m_name; }

private:
    CStringW m_name;
};

class Pet
{
public:
    static const CbRTTI RTTI;
};

class Guard
{
public:
    static const CbRTTI RTTI;
};

class Dog : public Animal
{
    CB_DECLARE_RTTI(Dog)
    CB_DECLARE_CLONE(Dog)

public:
    using Animal::Animal;
};

class Watchdog : public Dog
{
    CB_DECLARE_RTTI(Watchdog)
    CB_DECLARE_CLONE(Watchdog)

public:
    using Dog::Dog;
};

class Lapdog : public Dog
{
    CB_DECLARE_RTTI(Lapdog)
    CB_DECLARE_CLONE(Lapdog)

public:
    using Dog::Dog;
};

const CbRTTI Animal::RTTI(L"Zoo.Animal", nullptr, &Animal::CloneByFactory);
const CbRTTI Pet::RTTI(L"Zoo.Pet", nullptr, nullptr);
const CbRTTI Guard::RTTI(L"Zoo.Guard", nullptr, nullptr);
const CbRTTI Dog::RTTI(L"Zoo.Dog", Animal::RTTI, nullptr, &Dog::CloneByFactory);
const CbRTTI Watchdog::RTTI(L"Zoo.Watchdog", Dog::RTTI, Pet::RTTI, Guard::RTTI, nullptr, &Watchdog::CloneByFactory);
const CbRTTI Lapdog::RTTI(L"Zoo.Lapdog", Dog::RTTI, Pet::RTTI, nullptr, &Lapdog::CloneByFactory);

void listDerived(const wchar_t* name)
{
    CbRTTI::DerivedList list;
    CbRTTI::GetDerivedOf(name, list);
    std::printf("Classes derived from %ls (%u):\n", name, list.GetCount());
    for (const CbRTTI* type : list)
        std::printf("  %ls\n", type->GetName());
}

void cloneByClassName()
{
    const Watchdog rex(L"Rex");
    std::unique_ptr<IObject> copy(CbRTTI::CloneObject(rex));
    const auto* dog = dynamic_cast<const Dog*>(copy.get());
    std::printf("Cloned %ls through the registry entry \"%ls\": a %ls named %ls, kind of Zoo.Guard: %s\n", rex.Name(),
                rex.GetClassNameW(), copy->GetRTTI().GetName(), dog ? dog->Name() : L"?",
                copy->GetRTTI().IsKindOf(L"Zoo.Guard") ? "yes" : "no");
}

void readConfiguration()
{
    try {
        throw CbExceptionStream(L"ConfigReader.cpp", 155);
    } catch (const CbException& cause) {
        throw CbException("Application.cpp", 42, "Application::Start", cause);
    }
}

void printChain(const CbException& caught)
{
    int level = 0;
    for (CbSmartPointer<const CbException> e(new CbException(caught)); e; e = e->GetHistory(), ++level) {
        std::printf("%*s%ls at %s:%u in \"%s\" on thread %u\n", 2 * level, "", e->GetClassNameW(), e->GetFilename(),
                    e->GetCodeLine(), e->GetFunctionName(), e->GetThreadID());
    }
}

} // namespace

int main()
{
    listDerived(L"Zoo.Dog");
    listDerived(L"Zoo.Pet");
    cloneByClassName();
    try {
        readConfiguration();
    } catch (const CbException& e) {
        std::printf("Caught:\n");
        printChain(e);
    }
    return 0;
}
