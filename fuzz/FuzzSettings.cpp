// The settings store file parser. A file that parses must survive being written back:
// serializing and parsing again keeps every value, and values the program then sets read
// back exactly, whatever else the file holds.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "RegistryDocument.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

const QString Key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer");

// Names the program uses, in other letter cases too, and the default value.
const std::array<QString, 5> Names { QStringLiteral("PlotHours"), QStringLiteral("plothours"),
    QStringLiteral("MaxPeerOffset"), QStringLiteral("FormState"), QString() };

bool SameValue(const std::optional<RegistryValue>& a, const std::optional<RegistryValue>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    return a->kind == b->kind && a->dword == b->dword && a->text == b->text;
}

void CheckSameValues(const RegistryDocument& a, const RegistryDocument& b)
{
    for (const QString& name : Names)
        FuzzCheck(SameValue(a.Find(Key, name), b.Find(Key, name)), "values survive a write and a read");
}

// A text made of the input's bytes taken as UTF-16 units, lone surrogates and controls
// included: the program stores whatever the user typed.
QString TextFrom(FuzzInput& input, std::size_t units)
{
    QString text;
    for (std::size_t i = 0; i < units; ++i) {
        const auto lo = input.TakeByte();
        const auto hi = input.TakeByte();
        text += QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::optional<RegistryDocument> parsed = RegistryDocument::Parse(bytes);
    if (!parsed)
        return 0;

    const QByteArray written = parsed->Serialize();
    const std::optional<RegistryDocument> reread = RegistryDocument::Parse(written);
    FuzzCheck(reread.has_value(), "a parsed store parses again once written");
    CheckSameValues(*parsed, *reread);

    // The program's own writes, with values taken from the end of the input.
    FuzzInput tail(data + size - std::min<std::size_t>(size, 24), std::min<std::size_t>(size, 24));
    RegistryDocument changed = *reread;
    std::uint32_t number = 0;
    for (int k = 0; k < 4; ++k)
        number = (number << 8) | tail.TakeByte();
    const QString text = TextFrom(tail, 6);
    const QString expand = TextFrom(tail, 4);
    changed.Set(Key, QStringLiteral("PlotHours"), RegistryValue::Dword(number));
    changed.Set(Key, QStringLiteral("MaxPeerOffset"), RegistryValue::String(text));
    RegistryValue expandValue;
    expandValue.kind = RegistryValue::Kind::ExpandString;
    expandValue.text = expand;
    changed.Set(Key, QStringLiteral("FormState"), expandValue);

    const std::optional<RegistryDocument> saved = RegistryDocument::Parse(changed.Serialize());
    FuzzCheck(saved.has_value(), "a store the program wrote parses again");
    CheckSameValues(changed, *saved);
    FuzzCheck(SameValue(saved->Find(Key, QStringLiteral("PlotHours")), RegistryValue::Dword(number)),
        "a number set reads back");
    FuzzCheck(SameValue(saved->Find(Key, QStringLiteral("MaxPeerOffset")), RegistryValue::String(text)),
        "a text set reads back");
    FuzzCheck(
        SameValue(saved->Find(Key, QStringLiteral("FormState")), expandValue), "an expandable text set reads back");
    return 0;
}
