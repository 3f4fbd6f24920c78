// CbRTTI: the process-wide type registry and the queries over it.
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbRTTIRegistration.h>
#include <cbfoundation/base/object/IObject.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

using Registry = CbRTTIRegistration::Map;

// Settings of the registry: records come in blocks of 1000, 1500, 2250 ...;
// 400 buckets suit a few thousand classes and are never changed afterwards.
constexpr unsigned kInitialBucketCount = 17;
constexpr unsigned kBucketCount = 400;
constexpr unsigned kInitialBlockSize = 1000;
constexpr float kBlockGrowthFactor = 1.5f;

// A descriptor whose name was already registered by an earlier descriptor
// (the same class compiled into another module). It is remembered so that
// the name can pass to it when the registered descriptor goes first.
struct Duplicate
{
    const CbRTTI* descriptor;
    CbRTTI::CreateFunction create;
    CbRTTI::CloneFunction clone;
};

struct RegistryState
{
    RegistryState()
        : map(kInitialBucketCount, kInitialBlockSize, 0, kBlockGrowthFactor)
    {
        map.InitHashTable(kBucketCount);
    }

    Registry map;
    std::vector<Duplicate> duplicates;
};

// The registry is built by the first descriptor that is constructed (while
// the library loads) and destroyed at exit after every descriptor constructed
// later. It lives in static storage so that no other static object's
// constructor or destructor runs before or after it by accident.
alignas(RegistryState) unsigned char g_storage[sizeof(RegistryState)];
RegistryState* g_state = nullptr;

void destroyRegistry()
{
    g_state->~RegistryState();
    g_state = nullptr;
}

RegistryState& state()
{
    if (!g_state) {
        g_state = new (g_storage) RegistryState;
        std::atexit(destroyRegistry);
    }
    return *g_state;
}

CbRTTIRegistration::SRegistration* lookup(const wchar_t* name)
{
    if (!name)
        return nullptr;
    Registry::Association* association = state().map.Lookup(const_cast<wchar_t*>(name));
    return association ? &association->value : nullptr;
}

void forgetDuplicate(std::vector<Duplicate>& duplicates, const CbRTTI* descriptor)
{
    for (auto it = duplicates.begin(); it != duplicates.end(); ++it) {
        if (it->descriptor == descriptor) {
            duplicates.erase(it);
            return;
        }
    }
}

// Hands a name whose registered descriptor is going away to a surviving
// descriptor of the same name, so that no destroyed descriptor or freed name
// text is used afterwards.
void passToSurvivor(Registry::Association& association, std::vector<Duplicate>& duplicates)
{
    for (auto it = duplicates.begin(); it != duplicates.end(); ++it) {
        if (CbHashKey<wchar_t*>::Equal(it->descriptor->GetName(), association.key)) {
            association.key = const_cast<wchar_t*>(it->descriptor->GetName());
            association.value.descriptor = it->descriptor;
            association.value.create = it->create;
            association.value.clone = it->clone;
            duplicates.erase(it);
            return;
        }
    }
}

} // namespace

CbRTTI::CbRTTI(const wchar_t* name, CreateFunction create, CloneFunction clone)
    : m_bases(nullptr)
    , m_name(name)
{
    registerClass(nullptr, 0, create, clone);
}

CbRTTI::CbRTTI(const wchar_t* name, const CbRTTI& base, CreateFunction create, CloneFunction clone)
    : m_bases(nullptr)
    , m_name(name)
{
    const CbRTTI* bases[] = {&base};
    registerClass(bases, 1, create, clone);
}

CbRTTI::CbRTTI(const wchar_t* name, const CbRTTI& base1, const CbRTTI& base2, CreateFunction create,
               CloneFunction clone)
    : m_bases(nullptr)
    , m_name(name)
{
    const CbRTTI* bases[] = {&base1, &base2};
    registerClass(bases, 2, create, clone);
}

CbRTTI::CbRTTI(const wchar_t* name, const CbRTTI& base1, const CbRTTI& base2, const CbRTTI& base3,
               CreateFunction create, CloneFunction clone)
    : m_bases(nullptr)
    , m_name(name)
{
    const CbRTTI* bases[] = {&base1, &base2, &base3};
    registerClass(bases, 3, create, clone);
}

CbRTTI::~CbRTTI()
{
    delete[] m_bases;
    // After the registry itself is gone (at the very end of the process)
    // there is nothing left to unregister from.
    if (!g_state || !m_name)
        return;
    Registry::Association* association = g_state->map.Lookup(const_cast<wchar_t*>(m_name));
    if (!association)
        return;
    CbRTTIRegistration::SRegistration& registration = association->value;
    if (--registration.registrations == 0) {
        g_state->map.Remove(association);
    } else if (registration.descriptor == this) {
        passToSurvivor(*association, g_state->duplicates);
    } else {
        forgetDuplicate(g_state->duplicates, this);
    }
}

// All or nothing: what can fail (the base list, the registry, its record or
// the note of a duplicate) comes before the descriptor is published, and the
// steps after it cannot throw. A constructor that throws has no destructor
// to unregister it.
void CbRTTI::registerClass(const CbRTTI* const* bases, unsigned count, CreateFunction create, CloneFunction clone)
{
    if (!m_name)
        throw CbExceptionPreconditionViolation(L"CbRTTI", 1);
    std::unique_ptr<const CbRTTI*[]> baseList;
    if (count > 0) {
        baseList.reset(new const CbRTTI*[count + 1]);
        baseList[0] = reinterpret_cast<const CbRTTI*>(static_cast<std::uintptr_t>(count));
        std::copy(bases, bases + count, &baseList[1]);
    }
    RegistryState& registry = state();
    Registry::Association* association = registry.map.Lookup(const_cast<wchar_t*>(m_name));
    if (!association) {
        association = registry.map.Insert(const_cast<wchar_t*>(m_name));
        association->value.descriptor = this;
        association->value.create = create;
        association->value.clone = clone;
    } else {
        registry.duplicates.push_back({this, create, clone});
    }
    ++association->value.registrations;
    m_bases = baseList.release();
}

unsigned CbRTTI::baseCount() const
{
    return m_bases ? static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(m_bases[0])) : 0;
}

bool CbRTTI::isDerivedFrom(const CbRTTI& target) const
{
    const unsigned count = baseCount();
    for (unsigned i = 1; i <= count; ++i) {
        if (m_bases[i] == &target || m_bases[i]->isDerivedFrom(target))
            return true;
    }
    return false;
}

bool CbRTTI::IsKindOf(const CbRTTI& target) const
{
    return this == &target || isDerivedFrom(target);
}

bool CbRTTI::IsKindOf(const wchar_t* name) const
{
    const CbRTTI* found = Find(name);
    if (!found)
        return false;
    return found == this || isDerivedFrom(*found);
}

const CbRTTI* CbRTTI::Find(const wchar_t* name)
{
    const CbRTTIRegistration::SRegistration* registration = lookup(name);
    return registration ? registration->descriptor : nullptr;
}

CbRTTI::CreateFunction CbRTTI::getCreate(const wchar_t* name)
{
    const CbRTTIRegistration::SRegistration* registration = lookup(name);
    return registration ? registration->create : nullptr;
}

CbRTTI::CloneFunction CbRTTI::getClone(const wchar_t* name)
{
    const CbRTTIRegistration::SRegistration* registration = lookup(name);
    return registration ? registration->clone : nullptr;
}

IObject* CbRTTI::CreateObject(const wchar_t* name)
{
    const CreateFunction create = getCreate(name);
    if (!create)
        return nullptr;
    try {
        return create();
    } catch (...) {
        return nullptr;
    }
}

IObject* CbRTTI::CloneObject(const IObject& object)
{
    const CloneFunction clone = getClone(object.GetRTTI().GetName());
    if (!clone)
        return nullptr;
    try {
        return clone(object);
    } catch (...) {
        return nullptr;
    }
}

void CbRTTI::GetDerivedOf(const CbRTTI& type, DerivedList& list)
{
    GetDerivedOf(type.GetName(), list);
}

void CbRTTI::GetDerivedOf(const wchar_t* name, DerivedList& list)
{
    list.RemoveAll();
    const CbRTTIRegistration::SRegistration* registration = lookup(name);
    if (!registration || !registration->descriptor)
        return;
    const CbRTTI& target = *registration->descriptor;
    state().map.ForEach([&](const Registry::Association& association) {
        const CbRTTI* candidate = association.value.descriptor;
        if (candidate && (candidate == &target || candidate->isDerivedFrom(target)))
            list.AddTail(candidate);
    });
}
