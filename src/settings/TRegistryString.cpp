#include "TRegistryString.h"

#include "RegistryStore.h"

TRegistryString::TRegistryString(const QString& valueName, const QString& defaultValue)
    : TRegistryVariable(valueName)
    , Value(defaultValue)
{
    const auto stored = RegistryStore::Read(RootKey() + KeyPath(), ValueName());
    if (stored && (stored->kind == RegistryValue::Kind::String || stored->kind == RegistryValue::Kind::ExpandString)) {
        const qsizetype nul = stored->text.indexOf(QChar(u'\0'));
        Value = nul < 0 ? stored->text : stored->text.left(nul);
    }
}

TRegistryString::~TRegistryString()
{
    try {
        Save();
    } catch (...) {
        // A setting that cannot be written is lost for this run, never a crash at exit.
    }
}

void TRegistryString::Save()
{
    RegistryStore::Write(RootKey() + KeyPath(), ValueName(), RegistryValue::String(Value));
}
