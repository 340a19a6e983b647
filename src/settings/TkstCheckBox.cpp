#include "TkstCheckBox.h"

#include <QSignalBlocker>

TkstCheckBox::TkstCheckBox(QWidget* parent)
    : QCheckBox(parent)
{ }

TkstCheckBox::TkstCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent)
{ }

TkstCheckBox::~TkstCheckBox()
{
    if (setting_)
        setting_->Value = isChecked();
    // Destroying the value writes it.
}

void TkstCheckBox::Load()
{
    if (!CreateSetting(*this, isChecked()))
        return;
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
