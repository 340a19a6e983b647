#include "TRegistryInteger.h"

#include "RegistryStore.h"

TRegistryInteger::TRegistryInteger(const QString& valueName, std::int32_t defaultValue)
    : TRegistryVariable(valueName)
    , Value(defaultValue)
{
    const auto stored = RegistryStore::Read(RootKey() + KeyPath(), ValueName());
    if (stored && stored->kind == RegistryValue::Kind::Dword)
        Value = static_cast<std::int32_t>(stored->dword);
}

TRegistryInteger::~TRegistryInteger()
{
    try {
        Save();
    } catch (...) {
        // A setting that cannot be written is lost for this run, never a crash at exit.
    }
}

void TRegistryInteger::Save()
{
    RegistryStore::Write(RootKey() + KeyPath(), ValueName(), RegistryValue::Dword(static_cast<std::uint32_t>(Value)));
}
