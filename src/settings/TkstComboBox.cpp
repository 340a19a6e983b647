#include "TkstComboBox.h"

#include <QSignalBlocker>

TkstComboBox::TkstComboBox(QWidget* parent)
    : QComboBox(parent)
{ }

// The selection is normally taken when the focus leaves the list, but a user who picks
// an item and closes the window without leaving the list would lose that choice: take
// the selection once more on the way out.
TkstComboBox::~TkstComboBox()
{
    if (setting_)
        setting_->Value = currentIndex();
}

void TkstComboBox::Load()
{
    if (!CreateSetting(*this, currentIndex()))
        return;
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
