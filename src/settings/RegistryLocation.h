#pragma once

#include <QString>

// Where this program's settings live. The layout mirrors a Windows registry key so that
// an exported key from a Windows installation reads the same here:
//   root     HKEY_CURRENT_USER
//   key path \Software\Brannock\<executable base name>
//   file     $XDG_CONFIG_HOME/Brannock/registry.reg (XDG_CONFIG_HOME defaults to ~/.config)
namespace RegistryLocation {

inline constexpr const char* RegistryRoot = "HKEY_CURRENT_USER";
inline constexpr const char* RegistryCompany = "Brannock";

// "\Software\Brannock\" + the executable's base name (file name without directory and
// extension, letter case as reported by the system).
QString KeyPath();

// The base name used in KeyPath(). Taken from the running executable unless overridden.
QString ExecutableBaseName();

// Tests (and tools that want another program's settings) can pin the base name; an
// empty text returns to the running executable's name.
void SetExecutableBaseName(const QString& baseName);

// The store file, resolved from the environment at every call so that a changed
// XDG_CONFIG_HOME takes effect at once.
QString StoreFilePath();

} // namespace RegistryLocation
