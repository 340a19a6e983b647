#pragma once

// The setting values in one include.
#include "TRegistryBoolean.h"
#include "TRegistryFormInfo.h"
#include "TRegistryInteger.h"
#include "TRegistryString.h"
#include "TRegistryVariable.h"
