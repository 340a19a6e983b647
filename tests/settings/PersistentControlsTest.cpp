#include "ConfigHome.h"
#include "RegistryStore.h"
#include "TPersistentControl.h"
#include "TkstCheckBox.h"
#include "TkstComboBox.h"
#include "TkstLabeledEdit.h"
#include "TkstUpDown.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

std::optional<RegistryValue> Stored(const QString& name)
{
    return RegistryStore::Read(ConfigHome::kKey, name);
}

void StoreDword(const QString& name, std::uint32_t value)
{
    RegistryStore::Write(ConfigHome::kKey, name, RegistryValue::Dword(value));
}

void StoreText(const QString& name, const QString& text)
{
    RegistryStore::Write(ConfigHome::kKey, name, RegistryValue::String(text));
}

void LoseFocus(QWidget* w)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

class PersistentControls : public ::testing::Test
{
protected:
    ConfigHome home;
};

} // namespace

TEST_F(PersistentControls, CheckBoxRestoresWithoutRunningHandlersAndStoresAtExitAndFlush)
{
    struct Case
    {
        std::optional<std::uint32_t> stored;
        bool designChecked;
        bool expected;
    };
    const Case cases[] = { { std::nullopt, true, true }, { 0, true, false }, { 1, false, true }, { 5, false, true } };
    for (const Case& c : cases) {
        ConfigHome fresh;
        if (c.stored)
            StoreDword(QStringLiteral("ClipOffsets"), *c.stored);
        auto box = std::make_unique<TkstCheckBox>(QStringLiteral("Clip offsets"));
        box->setObjectName(QStringLiteral("CheckBoxClipOffsets"));
        box->SetNamedAs(QStringLiteral("ClipOffsets"));
        box->setChecked(c.designChecked);
        QSignalSpy clicked(box.get(), &QCheckBox::clicked);
        QSignalSpy toggled(box.get(), &QCheckBox::toggled);
        box->Load();
        EXPECT_EQ(box->isChecked(), c.expected);
        EXPECT_EQ(clicked.count() + toggled.count(), 0);
        EXPECT_EQ(Stored(QStringLiteral("ClipOffsets")).has_value(), c.stored.has_value()) << "load writes nothing";

        box->setChecked(!c.expected);
        box->Flush();
        EXPECT_EQ(Stored(QStringLiteral("ClipOffsets"))->dword, c.expected ? 0u : 1u);
        box->setChecked(c.expected);
        box.reset();
        EXPECT_EQ(Stored(QStringLiteral("ClipOffsets"))->dword, c.expected ? 1u : 0u);
    }
}

TEST_F(PersistentControls, NamedAsFallsBackToTheObjectNameAndANamelessControlKeepsNothing)
{
    {
        TkstCheckBox named;
        named.setObjectName(QStringLiteral("CheckBoxLocalTime"));
        TkstCheckBox nameless;
        named.Load();
        nameless.Load();
        EXPECT_EQ(named.NamedAs(), QStringLiteral("CheckBoxLocalTime"));
        EXPECT_TRUE(named.IsLoaded());
        EXPECT_FALSE(nameless.IsLoaded());
        named.setChecked(true);
        nameless.setChecked(true);
    }
    EXPECT_EQ(Stored(QStringLiteral("CheckBoxLocalTime"))->dword, 1u);
    EXPECT_FALSE(Stored(QString())) << "a nameless control must not claim the key's default value";
}

TEST_F(PersistentControls, UpDownBringsStoredPositionsIntoSixteenBitsAndItsRange)
{
    struct Case
    {
        std::optional<std::uint32_t> stored;
        int expected;
    };
    const Case cases[] = {
        { std::nullopt, 12 },
        { 48, 48 },
        { 200, 168 },
        { 5, 12 },
        { 0x10000u + 24, 24 },
        { 0xffffffffu, 12 },
        { 0x7fff0000u, 12 },
    };
    for (const Case& c : cases) {
        ConfigHome fresh;
        if (c.stored)
            StoreDword(QStringLiteral("PlotHours"), *c.stored);
        {
            TkstUpDown spinner;
            spinner.setObjectName(QStringLiteral("UpDownPlotHours"));
            spinner.SetNamedAs(QStringLiteral("PlotHours"));
            spinner.setRange(12, 168);
            spinner.setValue(12);
            QSignalSpy changed(&spinner, &QSpinBox::valueChanged);
            spinner.Load();
            EXPECT_EQ(spinner.value(), c.expected) << (c.stored ? *c.stored : 0);
            EXPECT_EQ(spinner.text(), QString::number(c.expected)) << "the edit field shows the position";
            EXPECT_EQ(changed.count(), 0);
            spinner.stepBy(1);
        }
        EXPECT_EQ(
            Stored(QStringLiteral("PlotHours"))->dword, static_cast<std::uint32_t>(std::min(c.expected + 1, 168)));
    }
}

TEST_F(PersistentControls, LabeledEditFollowsItsTextAndWritesOnlyOnFlushAndAtExit)
{
    StoreText(QStringLiteral("MaxPeerOffset"), QStringLiteral("250"));
    StoreText(QStringLiteral("MaxPeerDelay"), QStringLiteral("7"));
    auto offset = std::make_unique<TkstLabeledEdit>(QStringLiteral("Max peer offset (ms)"));
    offset->setObjectName(QStringLiteral("LabeledEditMaxPeerOffset"));
    offset->SetNamedAs(QStringLiteral("MaxPeerOffset"));
    offset->setText(QStringLiteral("0"));
    auto delay = std::make_unique<TkstLabeledEdit>(QStringLiteral("Max peer delay (ms)"));
    delay->SetNamedAs(QStringLiteral("MaxPeerDelay"));
    QSignalSpy changed(offset.get(), &TkstLabeledEdit::textChanged);
    offset->Load();
    delay->Load();
    EXPECT_EQ(offset->text(), QStringLiteral("250"));
    EXPECT_EQ(offset->EditLabel()->text(), QStringLiteral("Max peer offset (ms)"));
    EXPECT_EQ(changed.count(), 0);

    offset->setText(QStringLiteral("300"));
    delay->setText(QStringLiteral("9"));
    EXPECT_EQ(changed.count(), 1);
    // Killed now: nothing new has been stored.
    EXPECT_EQ(Stored(QStringLiteral("MaxPeerOffset"))->text, QStringLiteral("250"));
    offset->Flush();
    EXPECT_EQ(Stored(QStringLiteral("MaxPeerOffset"))->text, QStringLiteral("300"));
    EXPECT_EQ(Stored(QStringLiteral("MaxPeerDelay"))->text, QStringLiteral("7"));
    offset->setText(QStringLiteral("301"));
    offset.reset();
    delay.reset();
    EXPECT_EQ(Stored(QStringLiteral("MaxPeerOffset"))->text, QStringLiteral("301"));
    EXPECT_EQ(Stored(QStringLiteral("MaxPeerDelay"))->text, QStringLiteral("9"));
}

TEST_F(PersistentControls, DigitsOnlyRefusesTypedNonDigitsButTakesAStoredTextAsItIs)
{
    StoreText(QStringLiteral("MaxPeerJitter"), QStringLiteral("1.5e"));
    TkstLabeledEdit edit;
    edit.SetNamedAs(QStringLiteral("MaxPeerJitter"));
    edit.SetDigitsOnly(true);
    edit.Load();
    EXPECT_EQ(edit.text(), QStringLiteral("1.5e")) << "a stored text is shown as it is";

    QLineEdit* line = edit.Edit();
    line->setFocus();
    line->end(false);
    QTest::keyClicks(line, QStringLiteral("x7-"));
    EXPECT_EQ(edit.text(), QStringLiteral("1.5e7"));
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("1.5"));
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("a4b2"));
    EXPECT_EQ(edit.text(), QStringLiteral("42"));

    edit.SetDigitsOnly(false);
    QTest::keyClicks(line, QStringLiteral("x"));
    EXPECT_EQ(edit.text(), QStringLiteral("42x"));
}

TEST_F(PersistentControls, ComboBoxRestoresItsSelectionAndKeepsTheLastChoice)
{
    const QStringList items = { QStringLiteral(" (none)"), QStringLiteral("1 minute"), QStringLiteral("5 minutes"),
        QStringLiteral("15 minutes"), QStringLiteral("30 minutes"), QStringLiteral("60 minutes") };
    struct Case
    {
        std::optional<std::uint32_t> stored;
        int expected;
    };
    const Case cases[] = { { std::nullopt, 0 }, { 3, 3 }, { 6, -1 }, { 0xffffffffu, -1 }, { 0x80000000u, -1 } };
    for (const Case& c : cases) {
        ConfigHome fresh;
        if (c.stored)
            StoreDword(QStringLiteral("AutoUpdate"), *c.stored);
        auto combo = std::make_unique<TkstComboBox>();
        combo->setObjectName(QStringLiteral("ComboBoxAutoUpdate"));
        combo->SetNamedAs(QStringLiteral("AutoUpdate"));
        combo->addItems(items);
        QSignalSpy changed(combo.get(), &QComboBox::currentIndexChanged);
        combo->Load();
        EXPECT_EQ(combo->currentIndex(), c.expected);
        EXPECT_EQ(changed.count(), 0);

        // Closed with the focus still in the list: the choice is not lost.
        combo->setCurrentIndex(5);
        combo.reset();
        EXPECT_EQ(Stored(QStringLiteral("AutoUpdate"))->dword, 5u);
    }
}

TEST_F(PersistentControls, ComboBoxKeepsTheSelectionInForceAtExit)
{
    {
        TkstComboBox combo;
        combo.SetNamedAs(QStringLiteral("AutoUpdate"));
        combo.addItems({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
        combo.Load();
        combo.setCurrentIndex(2);
        LoseFocus(&combo);
        combo.setCurrentIndex(1);
    }
    EXPECT_EQ(Stored(QStringLiteral("AutoUpdate"))->dword, 1u);
}

TEST_F(PersistentControls, LoadPersistentControlsLoadsEveryPersistingDescendantOnce)
{
    StoreDword(QStringLiteral("JitterFirst"), 1);
    StoreDword(QStringLiteral("HoursToAverage"), 9);
    StoreText(QStringLiteral("LabeledEditMaxPeerDelay"), QStringLiteral("40"));
    StoreDword(QStringLiteral("ComboBoxAutoUpdate"), 1);
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* inner = new QWidget(&window);
        layout->addWidget(inner);
        auto* box = new TkstCheckBox(QStringLiteral("Jitter first"), inner);
        box->SetNamedAs(QStringLiteral("JitterFirst"));
        auto* spinner = new TkstUpDown(&window);
        spinner->setObjectName(QStringLiteral("UpDownHoursToAverage"));
        spinner->SetNamedAs(QStringLiteral("HoursToAverage"));
        spinner->setRange(1, 12);
        auto* edit = new TkstLabeledEdit(QStringLiteral("Max peer delay (ms)"), inner);
        edit->setObjectName(QStringLiteral("LabeledEditMaxPeerDelay"));
        auto* combo = new TkstComboBox(&window);
        combo->setObjectName(QStringLiteral("ComboBoxAutoUpdate"));
        combo->addItems({ QStringLiteral("x"), QStringLiteral("y") });

        LoadPersistentControls(&window);
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(spinner->value(), 9);
        EXPECT_EQ(edit->text(), QStringLiteral("40"));
        EXPECT_EQ(edit->NamedAs(), QStringLiteral("LabeledEditMaxPeerDelay"));
        EXPECT_EQ(combo->currentIndex(), 1);

        // A second load must not re-read: the user's change stands.
        box->setChecked(false);
        LoadPersistentControls(&window);
        EXPECT_FALSE(box->isChecked());
        spinner->setValue(3);
    }
    // Destroyed with their window, each wrote its value.
    EXPECT_EQ(Stored(QStringLiteral("JitterFirst"))->dword, 0u);
    EXPECT_EQ(Stored(QStringLiteral("HoursToAverage"))->dword, 3u);
}
