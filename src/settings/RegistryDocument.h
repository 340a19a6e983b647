#pragma once

#include "RegistryValue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The store file's text in registry export syntax:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Brannock\Tallimer]
//   "PlotHours"=dword:0000000c
//   "MaxPeerOffset"="0"
//   "Note"=hex(1):41,00,0a,00,42,00,00,00
//
// Texts are written quoted with \\ and \" escaped, unless they hold a control
// character (line breaks, NUL) or a lone surrogate; those are written as hex(1), the
// registry's own byte form of REG_SZ (UTF-16LE with its terminating NUL), so they
// round-trip exactly and a real registry import reads them too. hex(2) is REG_EXPAND_SZ.
// Value names have no byte form, so a control character or lone surrogate in a name is
// written as \uHHHH inside the quotes (a real export never contains that sequence: its
// backslashes are doubled).
//
// Key and value names compare without regard to letter case, as in the registry; when a
// name occurs more than once, the last occurrence counts. Everything the program does not
// write itself (other keys, other values, comments, blank lines, line ends) is kept
// byte for byte.
class RegistryDocument
{
public:
    // An empty document: just the header line.
    RegistryDocument();

    // Nullopt when the bytes are not a registry export (no header, a line that is neither
    // a key, a value, a comment nor blank, an unterminated quote, a value outside a key,
    // a text that is not valid UTF-8/UTF-16). An empty or blank file is an empty document.
    static std::optional<RegistryDocument> Parse(QByteArrayView bytes);

    std::optional<RegistryValue> Find(const QString& keyName, const QString& valueName) const;

    // Replaces the value's last occurrence in the key, or adds it at the end of the key's
    // last section, or adds the key at the end of the document.
    void Set(const QString& keyName, const QString& valueName, const RegistryValue& value);

    QByteArray Serialize() const;

private:
    struct Line
    {
        enum class Kind { Other, Section, Entry };
        Kind kind = Kind::Other;
        QString raw; // physical text, continuation lines joined by the document's line end
        QString name; // Section: key name; Entry: value name ("" for the default value @)
        RegistryValue value;
    };

    static std::optional<Line> ParseLine(const QString& logical, const QString& raw);
    QString FormatEntry(const QString& valueName, const RegistryValue& value) const;

    std::vector<Line> lines_;
    QString lineEnd_ = QStringLiteral("\n");
    bool endsWithLineEnd_ = true;
    bool utf16_ = false; // written back as UTF-16LE with a byte order mark
    bool utf8Bom_ = false;
};
