#pragma once

#include <QString>
#include <cstdint>

// One value as the settings store holds it. Types the program does not use (binary,
// multi-string, QWORD, deletion marks, malformed data) are kept as Other: they read as
// absent and stay in the file untouched unless a value of the same name is written.
struct RegistryValue
{
    enum class Kind { Dword, String, ExpandString, Other };

    Kind kind = Kind::Other;
    std::uint32_t dword = 0;
    QString text; // String and ExpandString: the whole stored text, NULs included

    static RegistryValue Dword(std::uint32_t number);
    static RegistryValue String(const QString& text);
};
