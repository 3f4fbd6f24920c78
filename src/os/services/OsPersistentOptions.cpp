// OsPersistentOptions: typed options over the registry functions of the platform layer.

#include <cbfoundation/os/services/OsPersistentOptions.h>

HKEY OsPersistentOptions::getKey(EPersistentOptionsCategory category)
{
    return cbf::platform::RegistryRootKey(category);
}

int OsPersistentOptions::readValue(const CStringW&, const CStringW&, void*, unsigned long& size,
                                   EPersistentOptionsCategory)
{
    size = 0;
    return 0;
}

int OsPersistentOptions::writeValue(const CStringW&, const CStringW&, unsigned long, const void*, unsigned long,
                                    EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::ReadOption(const CStringW&, const CStringW&, int&, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::ReadOption(const CStringW&, const CStringW&, unsigned long&, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::ReadOption(const CStringW&, const CStringW&, bool&, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::ReadOption(const CStringW&, const CStringW&, CStringW&, unsigned long,
                                    EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::ReadOption(const CStringW&, const CStringW&, CbVariant&, CbVariant::EVariantType,
                                    EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::WriteOption(const CStringW&, const CStringW&, const CStringW&, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, const wchar_t* value,
                                     EPersistentOptionsCategory category)
{
    return WriteOption(keyPath, name, CStringW(value), category);
}

int OsPersistentOptions::WriteOption(const CStringW&, const CStringW&, const CbVariant&, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::WriteOption(const CStringW&, const CStringW&, int, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::WriteOption(const CStringW&, const CStringW&, unsigned long, EPersistentOptionsCategory)
{
    return 0;
}

int OsPersistentOptions::WriteOption(const CStringW&, const CStringW&, bool, EPersistentOptionsCategory)
{
    return 0;
}

bool OsPersistentOptions::DeleteOption(const CStringW&, const CStringW&, EPersistentOptionsCategory)
{
    return false;
}
