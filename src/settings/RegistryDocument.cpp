#include "RegistryDocument.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");

// Keeps hex value lines short, the way registry exports wrap them.
constexpr qsizetype kHexLineWidth = 77;

bool IsHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsControl(char16_t c)
{
    return c < 0x20 || c == 0x7f;
}

// True where a quoted form could not carry the text unchanged: control characters
// (line breaks would split the line, NUL would end it) and lone surrogates (not UTF-8).
bool NeedsEscapeAt(const QString& s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (IsControl(c))
        return true;
    if (QChar::isHighSurrogate(c))
        return i + 1 >= s.size() || !QChar::isLowSurrogate(s[i + 1].unicode());
    if (QChar::isLowSurrogate(c))
        return i == 0 || !QChar::isHighSurrogate(s[i - 1].unicode());
    return false;
}

bool NeedsByteForm(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (NeedsEscapeAt(text, i))
            return true;
    return false;
}

// Parses a quoted text starting at s[pos] == '"'; leaves pos after the closing quote.
// \\ and \" are escapes; with unicodeEscapes also \uHHHH. Any other backslash is kept
// as it stands, as a hand-edited file would mean it.
std::optional<QString> ParseQuoted(const QString& s, qsizetype& pos, bool unicodeEscapes)
{
    QString out;
    ++pos;
    while (pos < s.size()) {
        const QChar c = s[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\' && pos + 1 < s.size()) {
            const QChar next = s[pos + 1];
            if (next == u'\\' || next == u'"') {
                out += next;
                pos += 2;
                continue;
            }
            if (unicodeEscapes && next == u'u' && pos + 6 <= s.size()) {
                bool ok = false;
                const uint code = QStringView(s).mid(pos + 2, 4).toUInt(&ok, 16);
                if (ok && IsHexDigit(s[pos + 2]) && IsHexDigit(s[pos + 3]) && IsHexDigit(s[pos + 4])
                    && IsHexDigit(s[pos + 5])) {
                    out += QChar(static_cast<char16_t>(code));
                    pos += 6;
                    continue;
                }
            }
        }
        out += c;
        ++pos;
    }
    return std::nullopt;
}

QString QuoteValueText(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

QString QuoteName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("@");
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (NeedsEscapeAt(name, i)) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            out += c;
        }
    }
    out += u'"';
    return out;
}

std::optional<QByteArray> ParseHexBytes(QStringView list)
{
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (QStringView item : list.split(u',')) {
        item = item.trimmed();
        if (item.isEmpty() || item.size() > 2 || !IsHexDigit(item[0]) || (item.size() == 2 && !IsHexDigit(item[1])))
            return std::nullopt;
        bytes.append(static_cast<char>(item.toUInt(nullptr, 16)));
    }
    return bytes;
}

// REG_SZ / REG_EXPAND_SZ bytes: UTF-16LE, normally with one terminating NUL.
std::optional<QString> DecodeUtf16Bytes(const QByteArray& bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

RegistryValue ParseData(QStringView data)
{
    RegistryValue value;
    const auto startsWith = [&](QStringView prefix) { return data.startsWith(prefix, Qt::CaseInsensitive); };
    if (startsWith(u"dword:")) {
        const QStringView digits = data.mid(6).trimmed();
        bool ok = digits.size() >= 1 && digits.size() <= 8;
        for (const QChar c : digits)
            ok = ok && IsHexDigit(c);
        if (ok) {
            value.kind = RegistryValue::Kind::Dword;
            value.dword = static_cast<std::uint32_t>(digits.toULong(nullptr, 16));
        }
        return value;
    }
    const bool plain = startsWith(u"hex(1):");
    const bool expand = startsWith(u"hex(2):");
    if (plain || expand) {
        const auto bytes = ParseHexBytes(data.mid(7));
        const auto text = bytes ? DecodeUtf16Bytes(*bytes) : std::nullopt;
        if (text) {
            value.kind = plain ? RegistryValue::Kind::String : RegistryValue::Kind::ExpandString;
            value.text = *text;
        }
    }
    return value;
}

// Index just past "name"= (or @=), or -1 when the line is not a value line.
qsizetype DataStart(const QString& s, QString* name)
{
    qsizetype pos = 0;
    QString parsedName;
    if (s.startsWith(u'@')) {
        pos = 1;
    } else if (s.startsWith(u'"')) {
        const auto quoted = ParseQuoted(s, pos, true);
        if (!quoted)
            return -1;
        parsedName = *quoted;
    } else {
        return -1;
    }
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
    if (pos >= s.size() || s[pos] != u'=')
        return -1;
    ++pos;
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
    if (name)
        *name = parsedName;
    return pos;
}

bool IsHeader(const QString& trimmed)
{
    return trimmed == kHeader || trimmed == kOldHeader;
}

QString KeyOfSection(const QString& trimmed)
{
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

// An entry whose hex data ends in '\' on its last physical line: the parser joins the
// following line to it.
bool EndsOpenByteList(const QString& raw)
{
    const QString trimmed = raw.trimmed();
    const qsizetype dataPos = DataStart(trimmed, nullptr);
    return dataPos >= 0 && QStringView(trimmed).mid(dataPos).startsWith(u"hex", Qt::CaseInsensitive)
        && trimmed.endsWith(u'\\');
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

RegistryDocument::RegistryDocument()
{
    Line header;
    header.raw = kHeader;
    lines_.push_back(header);
}

std::optional<RegistryDocument::Line> RegistryDocument::ParseLine(const QString& logical, const QString& raw)
{
    Line line;
    line.raw = raw;
    const QString trimmed = logical.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';'))
        return line;
    if (trimmed.startsWith(u'[')) {
        if (!trimmed.endsWith(u']'))
            return std::nullopt;
        line.kind = Line::Kind::Section;
        line.name = KeyOfSection(trimmed);
        return line;
    }
    QString name;
    const qsizetype pos = DataStart(trimmed, &name);
    if (pos < 0)
        return std::nullopt;
    line.kind = Line::Kind::Entry;
    line.name = name;
    if (pos < trimmed.size() && trimmed[pos] == u'"') {
        qsizetype end = pos;
        const auto text = ParseQuoted(trimmed, end, false);
        if (!text || !QStringView(trimmed).mid(end).trimmed().isEmpty())
            return std::nullopt;
        line.value = RegistryValue::String(*text);
    } else {
        line.value = ParseData(QStringView(trimmed).mid(pos));
    }
    return line;
}

std::optional<RegistryDocument> RegistryDocument::Parse(QByteArrayView bytes)
{
    RegistryDocument doc;
    QString text;
    if (bytes.startsWith("\xff\xfe")) {
        doc.utf16_ = true;
        auto decoder = QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        text = decoder(bytes.sliced(2));
        if (decoder.hasError() || bytes.size() % 2 != 0)
            return std::nullopt;
    } else {
        if (bytes.startsWith("\xef\xbb\xbf")) {
            doc.utf8Bom_ = true;
            bytes = bytes.sliced(3);
        }
        auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder(bytes);
        if (decoder.hasError())
            return std::nullopt;
    }

    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak > 0 && text[firstBreak - 1] == u'\r')
        doc.lineEnd_ = QStringLiteral("\r\n");
    QStringList physical = text.split(u'\n');
    doc.endsWithLineEnd_ = physical.size() > 1 && physical.last().isEmpty();
    if (physical.last().isEmpty())
        physical.removeLast();
    for (QString& l : physical)
        if (l.endsWith(u'\r'))
            l.chop(1);

    doc.lines_.clear();
    bool seenHeader = false;
    bool inSection = false;
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QString raw = physical[i];
        QString logical = raw.trimmed();
        if (!seenHeader) {
            if (logical.isEmpty()) {
                doc.lines_.push_back(Line { Line::Kind::Other, raw, {}, {} });
                continue;
            }
            if (!IsHeader(logical))
                return std::nullopt;
            seenHeader = true;
            doc.lines_.push_back(Line { Line::Kind::Other, raw, {}, {} });
            continue;
        }
        // Byte lists may continue over several lines, each but the last ending in '\'.
        // A blank line always ends one: otherwise a list left open by a damaged file
        // would swallow the key written after it.
        const qsizetype dataPos = DataStart(logical, nullptr);
        if (dataPos >= 0 && QStringView(logical).mid(dataPos).startsWith(u"hex", Qt::CaseInsensitive)) {
            while (logical.endsWith(u'\\') && i + 1 < physical.size() && !physical[i + 1].trimmed().isEmpty()) {
                logical.chop(1);
                ++i;
                logical += physical[i].trimmed();
                raw += doc.lineEnd_ + physical[i];
            }
        }
        auto line = ParseLine(logical, raw);
        if (!line)
            return std::nullopt;
        if (line->kind == Line::Kind::Section)
            inSection = true;
        if (line->kind == Line::Kind::Entry && !inSection)
            return std::nullopt;
        doc.lines_.push_back(std::move(*line));
    }
    if (!seenHeader) {
        // Empty or blank: nothing stored yet, nothing worth keeping.
        return RegistryDocument();
    }
    return doc;
}

std::optional<RegistryValue> RegistryDocument::Find(const QString& keyName, const QString& valueName) const
{
    std::optional<RegistryValue> found;
    bool inKey = false;
    for (const Line& line : lines_) {
        if (line.kind == Line::Kind::Section)
            inKey = SameName(line.name, keyName);
        else if (inKey && line.kind == Line::Kind::Entry && SameName(line.name, valueName))
            found = line.value;
    }
    return found;
}

void RegistryDocument::Set(const QString& keyName, const QString& valueName, const RegistryValue& value)
{
    if (value.kind == RegistryValue::Kind::Other)
        return;
    Line entry;
    entry.kind = Line::Kind::Entry;
    entry.name = valueName;
    entry.value = value;
    entry.raw = FormatEntry(valueName, value);

    std::optional<std::size_t> lastMatch;
    std::optional<std::size_t> insertAfter; // last entry (or header) of the key's last section
    bool inKey = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Line::Kind::Section) {
            inKey = SameName(line.name, keyName);
            if (inKey)
                insertAfter = i;
        } else if (inKey && line.kind == Line::Kind::Entry) {
            // A byte list left open at the end of the file (its last line ends in '\')
            // would take the next line as its continuation and swallow a value added
            // after it; new values go before it instead.
            if (!EndsOpenByteList(line.raw))
                insertAfter = i;
            if (SameName(line.name, valueName))
                lastMatch = i;
        }
    }
    if (lastMatch) {
        lines_[*lastMatch] = std::move(entry);
        return;
    }
    if (insertAfter) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAfter) + 1, std::move(entry));
        return;
    }
    if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty())
        lines_.push_back(Line {});
    Line section;
    section.kind = Line::Kind::Section;
    section.name = keyName;
    section.raw = u'[' + keyName + u']';
    lines_.push_back(std::move(section));
    lines_.push_back(std::move(entry));
    endsWithLineEnd_ = true;
}

QString RegistryDocument::FormatEntry(const QString& valueName, const RegistryValue& value) const
{
    const QString name = QuoteName(valueName) + u'=';
    if (value.kind == RegistryValue::Kind::Dword)
        return name + QStringLiteral("dword:%1").arg(value.dword, 8, 16, QChar(u'0'));
    if (value.kind == RegistryValue::Kind::String && !NeedsByteForm(value.text))
        return name + QuoteValueText(value.text);

    const bool expand = value.kind == RegistryValue::Kind::ExpandString;
    QString out = name + (expand ? QStringLiteral("hex(2):") : QStringLiteral("hex(1):"));
    QString withNul = value.text;
    withNul += QChar(u'\0');
    qsizetype lineLen = out.size();
    const qsizetype byteCount = withNul.size() * 2;
    for (qsizetype i = 0; i < byteCount; ++i) {
        const char16_t unit = withNul[i / 2].unicode();
        const unsigned byte = (i % 2 == 0) ? (unit & 0xffu) : (unit >> 8);
        QString token = QStringLiteral("%1").arg(byte, 2, 16, QChar(u'0'));
        if (i + 1 < byteCount)
            token += u',';
        if (lineLen + token.size() > kHexLineWidth) {
            out += u'\\' + lineEnd_ + QStringLiteral("  ");
            lineLen = 2;
        }
        out += token;
        lineLen += token.size();
    }
    return out;
}

QByteArray RegistryDocument::Serialize() const
{
    QString text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i].raw;
        if (i + 1 < lines_.size() || endsWithLineEnd_)
            text += lineEnd_;
    }
    if (utf16_) {
        auto encoder = QStringEncoder(QStringEncoder::Utf16LE);
        QByteArray out("\xff\xfe", 2);
        out += QByteArray(encoder(text));
        return out;
    }
    QByteArray out = utf8Bom_ ? QByteArray("\xef\xbb\xbf") : QByteArray();
    out += text.toUtf8();
    return out;
}
