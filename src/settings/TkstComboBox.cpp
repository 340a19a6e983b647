#include "TkstComboBox.h"

#include <QSignalBlocker>

TkstComboBox::TkstComboBox(QWidget* parent)
    : QComboBox(parent)
{
}

// The selection is normally taken when the focus leaves the list, but a user who picks
// an item and closes the window without leaving the list would lose that choice: take
// the selection once more on the way out.
TkstComboBox::~TkstComboBox()
{
    if (setting_)
        setting_->Value = currentIndex();
}

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
