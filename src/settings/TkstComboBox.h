#pragma once

#include "TPersistentControl.h"
#include "TRegistryInteger.h"

#include <QComboBox>

// A drop-down list that remembers the index of its selected item (counted from 0).
// Add the items before Load. The selection is taken into the held value only when the
// focus leaves the list, and once more at destruction, so a choice made just before the
// window closes is kept. A stored index outside the items leaves nothing selected. Load
// emits no currentIndexChanged/activated.
class TkstComboBox : public QComboBox, public TPersistentControlOf<TRegistryInteger>
{
    Q_OBJECT
    Q_PROPERTY(QString NamedAs READ NamedAs WRITE SetNamedAs)

public:
    explicit TkstComboBox(QWidget* parent = nullptr);
    ~TkstComboBox() override;

    void Load() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
