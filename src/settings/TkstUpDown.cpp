#include "TkstUpDown.h"

#include <QSignalBlocker>

TkstUpDown::TkstUpDown(QWidget* parent)
    : QSpinBox(parent)
{
}

TkstUpDown::~TkstUpDown()
{
    if (setting_)
        setting_->Value = value();
}

QString TkstUpDown::NamedAs() const
{
    return namedAs_;
}

void TkstUpDown::SetNamedAs(const QString& name)
{
    namedAs_ = name;
}

bool TkstUpDown::IsLoaded() const
{
    return setting_ != nullptr;
}

void TkstUpDown::Load()
{
    if (setting_)
        return;
    if (namedAs_.isEmpty())
        namedAs_ = objectName();
    if (namedAs_.isEmpty())
        return; // see TkstCheckBox::Load
    setting_ = std::make_unique<TRegistryInteger>(namedAs_, value());
    // The position is a 16-bit number: the stored value's low 16 bits, sign included,
    // then setValue brings it into the spinner's range.
    const auto position = static_cast<std::int16_t>(static_cast<std::uint16_t>(setting_->Value & 0xffff));
    const QSignalBlocker blocker(this);
    setValue(position);
}
