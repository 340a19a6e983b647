#pragma once

#include "TRegistryVariable.h"

// A text setting, stored as REG_SZ. Reads REG_SZ and REG_EXPAND_SZ (verbatim, variable
// references unexpanded); a stored text ends at its first NUL.
class TRegistryString : public TRegistryVariable
{
public:
    TRegistryString(const QString& valueName, const QString& defaultValue);
    ~TRegistryString() override;

    void Save() override;

    // Plain field: reading or assigning it never touches the store.
    QString Value;
};
