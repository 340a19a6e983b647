#pragma once

#include "TPersistentControl.h"
#include "TRegistryInteger.h"

#include <QSpinBox>

// A spinner with its edit field that remembers its position. The position is a 16-bit
// signed number: a stored value is cut to its low 16 bits, then brought into the
// spinner's range (set the range before Load). Load emits no valueChanged. Destruction
// stores the current position.
class TkstUpDown : public QSpinBox, public TPersistentControlOf<TRegistryInteger>
{
    Q_OBJECT
    Q_PROPERTY(QString NamedAs READ NamedAs WRITE SetNamedAs)

public:
    explicit TkstUpDown(QWidget* parent = nullptr);
    ~TkstUpDown() override;

    void Load() override;
};
