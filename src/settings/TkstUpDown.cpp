#include "TkstUpDown.h"

#include <QSignalBlocker>

TkstUpDown::TkstUpDown(QWidget* parent)
    : QSpinBox(parent)
{ }

TkstUpDown::~TkstUpDown()
{
    if (setting_)
        setting_->Value = value();
}

void TkstUpDown::Load()
{
    if (!CreateSetting(*this, value()))
        return;
    // The position is a 16-bit number: the stored value's low 16 bits, sign included,
    // then setValue brings it into the spinner's range.
    const auto position = static_cast<std::int16_t>(static_cast<std::uint16_t>(setting_->Value & 0xffff));
    const QSignalBlocker blocker(this);
    setValue(position);
}
