#include "TRegistryVariable.h"

#include "RegistryLocation.h"

TRegistryVariable::TRegistryVariable(const QString& valueName)
    : valueName_(valueName)
    , keyPath_(RegistryLocation::KeyPath())
    , rootKey_(QLatin1StringView(RegistryLocation::RegistryRoot))
{ }

TRegistryVariable::~TRegistryVariable() = default;
