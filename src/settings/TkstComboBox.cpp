#include "TkstComboBox.h"

#include <QSignalBlocker>

TkstComboBox::TkstComboBox(QWidget* parent)
    : QComboBox(parent)
{
}

// The held value is written as it stands: a selection still focused at exit was never
// taken into it.
TkstComboBox::~TkstComboBox() = default;

QString TkstComboBox::NamedAs() const
{
    return namedAs_;
}

void TkstComboBox::SetNamedAs(const QString& name)
{
    namedAs_ = name;
}

bool TkstComboBox::IsLoaded() const
{
    return setting_ != nullptr;
}

void TkstComboBox::Load()
{
    if (setting_)
        return;
    if (namedAs_.isEmpty())
        namedAs_ = objectName();
    if (namedAs_.isEmpty())
        return; // see TkstCheckBox::Load
    setting_ = std::make_unique<TRegistryInteger>(namedAs_, currentIndex());
    const int index = setting_->Value;
    const QSignalBlocker blocker(this);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void TkstComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (setting_)
        setting_->Value = currentIndex();
}
