// CbRTTI: the library's own run-time type information and type registry.
#pragma once

#include <cbfoundation/Export.h>

class IObject;
template <class T, unsigned BlockSize, class SizeT>
class CbList;

/// Type descriptor of a registered class.
///
/// Every participating class owns one static descriptor (its RTTI member)
/// that names the class, lists up to three bases and optionally knows how to
/// create or clone an instance. Constructing a descriptor enters it into the
/// process-wide type registry under its name; destroying it removes it.
///
/// The registry answers "is this object of class X or derived from X",
/// "which descriptor, create or clone function is registered as NAME" and
/// "which registered classes derive from X". Constructing a descriptor either
/// registers it whole or throws and leaves the registry as it was.
///
/// Threads. The registry takes no lock, so that lookups cost no more than a
/// hash and a text comparison. Descriptors are static objects that come and
/// go while modules load and unload, which the loader serialises; any number
/// of threads may query the registry at the same time as long as no module
/// registers or unregisters classes meanwhile. A program that loads or
/// unloads modules at run time (a plugin opened with dlopen or LoadLibrary)
/// must do so while no other thread uses the registry: Find, IsKindOf by
/// name, GetDerivedOf, CreateObject, CloneObject, and what builds on them
/// (variants holding objects, exceptions taking a history, the chunk reader).
/// IsKindOf between descriptors never touches the registry.
///
/// A class takes part by using CB_DECLARE_RTTI (or CB_DECLARE_RTTI_ROOT for
/// the first class of a hierarchy that does not implement IObject) in its
/// declaration and defining its descriptor in one implementation file:
///
///     class Shape : public IObject
///     {
///         CB_DECLARE_RTTI(Shape)
///         CB_DECLARE_CLONE(Shape)
///     };
///     const CbRTTI Shape::RTTI(L"Shape", nullptr, &Shape::CloneByFactory);
class CB_API CbRTTI
{
public:
    /// Makes a new object of the class (null when the class has none to offer).
    using CreateFunction = IObject* (*)();
    /// Makes a copy of an object of the class.
    using CloneFunction = IObject* (*)(const IObject&);
    /// The list of descriptors GetDerivedOf fills.
    using DerivedList = CbList<const CbRTTI*, 17, unsigned>;

    /// Registers a class without bases. `name` is kept, not copied: it must
    /// outlive the descriptor (a string literal). A null name throws
    /// CbExceptionPreconditionViolation (source "CbRTTI", line 1). When a
    /// name is registered already, the first descriptor stays the registered
    /// one; should it go first, the name passes to a surviving descriptor.
    /// @{
    CbRTTI(const wchar_t* name, CreateFunction create, CloneFunction clone);
    CbRTTI(const wchar_t* name, const CbRTTI& base, CreateFunction create, CloneFunction clone);
    CbRTTI(const wchar_t* name, const CbRTTI& base1, const CbRTTI& base2, CreateFunction create, CloneFunction clone);
    CbRTTI(const wchar_t* name, const CbRTTI& base1, const CbRTTI& base2, const CbRTTI& base3, CreateFunction create,
           CloneFunction clone);
    /// @}

    /// Unregisters the descriptor.
    ~CbRTTI();

    CbRTTI(const CbRTTI&) = delete;
    CbRTTI& operator=(const CbRTTI&) = delete;

    /// The class name given at construction.
    const wchar_t* GetName() const { return m_name; }

    /// The base list as stored: null for a class without bases, otherwise an
    /// array whose first element holds the number n of bases (as an integer)
    /// followed by the n base descriptors in declaration order.
    const CbRTTI** GetBaseClassRTTI() const { return m_bases; }

    /// Identity of descriptors: the same object, not merely the same name.
    /// @{
    bool operator==(const CbRTTI& other) const { return this == &other; }
    bool operator!=(const CbRTTI& other) const { return this != &other; }
    bool Is(const CbRTTI& other) const { return this == &other; }
    /// @}

    /// True when this is `target` or derives from it (depth first, by address).
    bool IsKindOf(const CbRTTI& target) const;

    /// As above for the class registered under `name`; false for unknown names.
    bool IsKindOf(const wchar_t* name) const;

    /// The descriptor registered under `name`, or null.
    static const CbRTTI* Find(const wchar_t* name);

    /// A new default object of the class registered under `name`, made by its
    /// create function; null when the name is unknown, the class registered
    /// no create function or that function fails. The caller owns the object.
    static IObject* CreateObject(const wchar_t* name);

    /// A new copy of `object` of its full dynamic class, made by the clone
    /// function registered under its class name; null when none is registered
    /// or cloning fails. The caller owns the copy.
    static IObject* CloneObject(const IObject& object);

    /// Replaces the contents of `list` with the descriptor of `type` and of
    /// every registered class derived from it, in registry order.
    static void GetDerivedOf(const CbRTTI& type, DerivedList& list);

    /// As above by class name; the list comes back empty for unknown names.
    static void GetDerivedOf(const wchar_t* name, DerivedList& list);

private:
    friend class CbVariant;

    static CreateFunction getCreate(const wchar_t* name);
    static CloneFunction getClone(const wchar_t* name);

    bool isDerivedFrom(const CbRTTI& target) const;
    unsigned baseCount() const;
    void registerClass(const CbRTTI* const* bases, unsigned count, CreateFunction create, CloneFunction clone);

    const CbRTTI** m_bases;
    const wchar_t* m_name;
};

/// Declares the type-registry family of a class whose base already declares
/// a virtual GetRTTI (every IObject class, every stream class below the root).
#define CB_DECLARE_RTTI(ClassName)                                                                                     \
public:                                                                                                                \
    static const CbRTTI RTTI;                                                                                          \
    const CbRTTI& GetRTTI() const override                                                                             \
    {                                                                                                                  \
        return ClassName::RTTI;                                                                                        \
    }                                                                                                                  \
    CB_DECLARE_RTTI_QUERIES()

/// Declares the type-registry family of the first class of a hierarchy that
/// does not derive from IObject (the stream roots).
#define CB_DECLARE_RTTI_ROOT(ClassName)                                                                                \
public:                                                                                                                \
    static const CbRTTI RTTI;                                                                                          \
    virtual const CbRTTI& GetRTTI() const                                                                              \
    {                                                                                                                  \
        return ClassName::RTTI;                                                                                        \
    }                                                                                                                  \
    CB_DECLARE_RTTI_QUERIES()

#define CB_DECLARE_RTTI_QUERIES()                                                                                      \
    bool Is(const CbRTTI& type) const                                                                                  \
    {                                                                                                                  \
        return &GetRTTI() == &type;                                                                                    \
    }                                                                                                                  \
    bool IsKindOf(const CbRTTI& type) const                                                                            \
    {                                                                                                                  \
        return GetRTTI().IsKindOf(type);                                                                               \
    }                                                                                                                  \
    bool IsKindOf(const wchar_t* name) const                                                                           \
    {                                                                                                                  \
        return GetRTTI().IsKindOf(name);                                                                               \
    }                                                                                                                  \
    const wchar_t* GetClassNameW() const                                                                               \
    {                                                                                                                  \
        return GetRTTI().GetName();                                                                                    \
    }

/// Declares the private clone function that a clonable class registers: it
/// copy-constructs a new ClassName from an IObject known to be a ClassName.
#define CB_DECLARE_CLONE(ClassName)                                                                                    \
private:                                                                                                               \
    static IObject* CloneByFactory(const IObject& object)                                                              \
    {                                                                                                                  \
        return new ClassName(static_cast<const ClassName&>(object));                                                   \
    }                                                                                                                  \
                                                                                                                       \
public:
