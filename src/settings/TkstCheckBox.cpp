#include "TkstCheckBox.h"

#include <QSignalBlocker>

TkstCheckBox::TkstCheckBox(QWidget* parent)
    : QCheckBox(parent)
{
}

TkstCheckBox::TkstCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent)
{
}

TkstCheckBox::~TkstCheckBox()
{
    if (setting_)
        setting_->Value = isChecked();
    // Destroying the value writes it.
}

QString TkstCheckBox::NamedAs() const
{
    return namedAs_;
}

void TkstCheckBox::SetNamedAs(const QString& name)
{
    namedAs_ = name;
}

bool TkstCheckBox::IsLoaded() const
{
    return setting_ != nullptr;
}

void TkstCheckBox::Load()
{
    if (setting_)
        return;
    if (namedAs_.isEmpty())
        namedAs_ = objectName();
    // Without any name the value would land on the key's default value, shared by every
    // other nameless control; such a control keeps nothing.
    if (namedAs_.isEmpty())
        return;
    setting_ = std::make_unique<TRegistryBoolean>(namedAs_, isChecked());
    const QSignalBlocker blocker(this);
    setChecked(setting_->Value);
}

void TkstCheckBox::Flush()
{
    if (!setting_)
        return;
    setting_->Value = isChecked();
    setting_->Save();
}
