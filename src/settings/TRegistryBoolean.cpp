#include "TRegistryBoolean.h"

#include "RegistryStore.h"

TRegistryBoolean::TRegistryBoolean(const QString& valueName, bool defaultValue)
    : TRegistryVariable(valueName)
    , Value(defaultValue)
{
    const auto stored = RegistryStore::Read(RootKey() + KeyPath(), ValueName());
    if (stored && stored->kind == RegistryValue::Kind::Dword)
        Value = stored->dword != 0;
}

TRegistryBoolean::~TRegistryBoolean()
{
    try {
        Save();
    } catch (...) {
        // A setting that cannot be written is lost for this run, never a crash at exit.
    }
}

void TRegistryBoolean::Save()
{
    RegistryStore::Write(RootKey() + KeyPath(), ValueName(), RegistryValue::Dword(Value ? 1u : 0u));
}
