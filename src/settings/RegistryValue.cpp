#include "RegistryValue.h"

RegistryValue RegistryValue::Dword(std::uint32_t number)
{
    RegistryValue v;
    v.kind = Kind::Dword;
    v.dword = number;
    return v;
}

RegistryValue RegistryValue::String(const QString& text)
{
    RegistryValue v;
    v.kind = Kind::String;
    v.text = text;
    return v;
}
