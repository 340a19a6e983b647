#include "RegistryDocument.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer");

std::optional<RegistryValue> RoundTrip(const QString& name, const RegistryValue& value)
{
    RegistryDocument doc;
    doc.Set(kKey, name, value);
    const auto parsed = RegistryDocument::Parse(doc.Serialize());
    if (!parsed)
        return std::nullopt;
    return parsed->Find(kKey, name);
}

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(RegistryDocument, TextsAndNamesRoundTripExactly)
{
    const QString lone = QString(QChar(u'x')) + QChar(char16_t(0xd800)) + QChar(u'y');
    const QString longBreaks = QString(300, u'w') + u'\n' + QString(5, u'"');
    const QString cases[] = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("say \"hi\""),
        QStringLiteral("C:\\dir\\"),
        QStringLiteral("\\\\"),
        Utf8("Zürich ✓ \xf0\x9f\x95\x92"),
        QStringLiteral("line1\nline2"),
        QStringLiteral("crlf\r\nend\r\n"),
        QStringLiteral("tab\there"),
        QString::fromUtf16(u"a\0b", 3),
        lone,
        longBreaks,
        QStringLiteral("[not a key]"),
        QStringLiteral("\\u0041 stays"),
    };
    for (const QString& text : cases) {
        SCOPED_TRACE(text.toStdString());
        const auto asValue = RoundTrip(QStringLiteral("Name"), RegistryValue::String(text));
        ASSERT_TRUE(asValue);
        EXPECT_EQ(asValue->kind, RegistryValue::Kind::String);
        EXPECT_EQ(asValue->text, text);

        if (text.isEmpty())
            continue; // the empty name is the key's default value, covered below
        const auto asName = RoundTrip(text, RegistryValue::Dword(7));
        ASSERT_TRUE(asName);
        EXPECT_EQ(asName->dword, 7u);
    }
}

TEST(RegistryDocument, WritesTheRegistryExportForms)
{
    RegistryDocument doc;
    doc.Set(kKey, QStringLiteral("PlotHours"), RegistryValue::Dword(12));
    doc.Set(kKey, QStringLiteral("Neg"), RegistryValue::Dword(0xffffffffu));
    doc.Set(kKey, QStringLiteral("Quote\"d"), RegistryValue::String(QStringLiteral("a\\b\"c")));
    doc.Set(kKey, QStringLiteral("Lines"), RegistryValue::String(QStringLiteral("A\nB")));
    doc.Set(kKey, QString(), RegistryValue::String(QStringLiteral("default")));
    EXPECT_EQ(doc.Serialize(),
        QByteArray("Windows Registry Editor Version 5.00\n"
                   "\n"
                   "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\n"
                   "\"PlotHours\"=dword:0000000c\n"
                   "\"Neg\"=dword:ffffffff\n"
                   "\"Quote\\\"d\"=\"a\\\\b\\\"c\"\n"
                   "\"Lines\"=hex(1):41,00,0a,00,42,00,00,00\n"
                   "@=\"default\"\n"));
}

TEST(RegistryDocument, ReadsRealExportsIncludingWrappedBytesCrLfAndUtf16)
{
    const QByteArray exported = "Windows Registry Editor Version 5.00\r\n"
                                "\r\n"
                                "; a comment\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Brannock\\Other]\r\n"
                                "\"PlotHours\"=dword:00000001\r\n"
                                "\r\n"
                                "[hkey_current_user\\software\\brannock\\TALLIMER]\r\n"
                                "\"PlotHours\"=DWORD:000000A8\r\n"
                                "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,\\\r\n"
                                "  78,00,00,00\r\n"
                                "\"Multi\"=hex(7):41,00,00,00,00,00\r\n"
                                "\"Gone\"=-\r\n"
                                "\"Bad\"=dword:xyz\r\n";
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    const QByteArray utf16 = QByteArray("\xff\xfe", 2) + QByteArray(toUtf16(QString::fromUtf8(exported)));

    for (const QByteArray& bytes : { exported, utf16 }) {
        const auto doc = RegistryDocument::Parse(bytes);
        ASSERT_TRUE(doc);
        const auto hours = doc->Find(kKey, QStringLiteral("plothours"));
        ASSERT_TRUE(hours);
        EXPECT_EQ(hours->kind, RegistryValue::Kind::Dword);
        EXPECT_EQ(hours->dword, 168u);
        const auto path = doc->Find(kKey, QStringLiteral("Path"));
        ASSERT_TRUE(path);
        EXPECT_EQ(path->kind, RegistryValue::Kind::ExpandString);
        EXPECT_EQ(path->text, QStringLiteral("%TEMP%\\x"));
        for (const char* other : { "Multi", "Gone", "Bad" })
            EXPECT_EQ(doc->Find(kKey, QString::fromLatin1(other))->kind, RegistryValue::Kind::Other) << other;
        EXPECT_FALSE(doc->Find(kKey, QStringLiteral("Missing")));
        // Written back in the form it came in.
        EXPECT_EQ(doc->Serialize(), bytes);
    }
}

TEST(RegistryDocument, SetChangesOnlyItsOwnValue)
{
    const QByteArray before = "Windows Registry Editor Version 5.00\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\r\n"
                              "\"A\"=\"1\"\r\n"
                              "\"PlotHours\"=\"text where a number belongs\"\r\n"
                              "\"B\"=hex:01,02\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Brannock\\Other]\r\n"
                              "\"PlotHours\"=dword:00000005\r\n";
    auto doc = RegistryDocument::Parse(before);
    ASSERT_TRUE(doc);
    doc->Set(kKey, QStringLiteral("PlotHours"), RegistryValue::Dword(24));
    doc->Set(kKey, QStringLiteral("New"), RegistryValue::String(QStringLiteral("x\ny")));
    EXPECT_EQ(doc->Serialize(),
        QByteArray("Windows Registry Editor Version 5.00\r\n"
                   "\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\r\n"
                   "\"A\"=\"1\"\r\n"
                   "\"PlotHours\"=dword:00000018\r\n"
                   "\"B\"=hex:01,02\r\n"
                   "\"New\"=hex(1):78,00,0a,00,79,00,00,00\r\n"
                   "\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Brannock\\Other]\r\n"
                   "\"PlotHours\"=dword:00000005\r\n"));
}

TEST(RegistryDocument, LastOccurrenceCountsAndIsTheOneReplaced)
{
    auto doc = RegistryDocument::Parse("REGEDIT4\n"
                                       "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\n"
                                       "\"V\"=dword:00000001\n"
                                       "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\n"
                                       "\"v\"=dword:00000002\n");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Find(kKey, QStringLiteral("V"))->dword, 2u);
    doc->Set(kKey, QStringLiteral("V"), RegistryValue::Dword(3));
    const auto reparsed = RegistryDocument::Parse(doc->Serialize());
    ASSERT_TRUE(reparsed);
    EXPECT_EQ(reparsed->Find(kKey, QStringLiteral("V"))->dword, 3u);
}

TEST(RegistryDocument, RejectsWhatIsNotARegistryExport)
{
    const QByteArray cases[] = {
        "[HKEY_CURRENT_USER\\Software\\Brannock\\Tallimer]\n\"A\"=dword:00000001\n", // no header
        "Windows Registry Editor Version 5.00\n\"A\"=dword:00000001\n", // value outside a key
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\nA=dword:1\n", // unquoted name
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n\"A\"=\"open\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n\"A\"=\"x\" trailing\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n\"A\"=\"\xff\xfe\"\n", // not UTF-8
        QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8),
    };
    for (const QByteArray& bytes : cases)
        EXPECT_FALSE(RegistryDocument::Parse(bytes)) << bytes.toStdString();

    for (const QByteArray& empty : { QByteArray(), QByteArray(" \n\n") }) {
        const auto doc = RegistryDocument::Parse(empty);
        ASSERT_TRUE(doc);
        EXPECT_FALSE(doc->Find(kKey, QStringLiteral("A")));
    }
}
