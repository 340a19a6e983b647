#pragma once

#include "TRegistryVariable.h"

// A boolean setting, stored as a DWORD 1 or 0. Any non-zero stored number reads as
// true (and is written back as 1); a value of another type reads as absent.
class TRegistryBoolean : public TRegistryVariable
{
public:
    TRegistryBoolean(const QString& valueName, bool defaultValue);
    ~TRegistryBoolean() override;

    void Save() override;

    // Plain field: reading or assigning it never touches the store.
    bool Value;
};
