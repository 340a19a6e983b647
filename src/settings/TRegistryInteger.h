#pragma once

#include "TRegistryVariable.h"

#include <cstdint>

// A 32-bit signed setting, stored as a DWORD. A value of another type reads as absent
// and is replaced by a DWORD at the next Save.
class TRegistryInteger : public TRegistryVariable
{
public:
    TRegistryInteger(const QString& valueName, std::int32_t defaultValue);
    ~TRegistryInteger() override;

    void Save() override;

    // Plain field: reading or assigning it never touches the store.
    std::int32_t Value;
};
