#pragma once

#include "TPersistentControl.h"
#include "TRegistryBoolean.h"

#include <QCheckBox>

// A check box that remembers whether it is checked. Connect window handlers to
// clicked(): restoring the stored state (Load) runs with signals blocked and emits
// nothing. Destruction stores the current state.
class TkstCheckBox : public QCheckBox, public TPersistentControlOf<TRegistryBoolean>
{
    Q_OBJECT
    Q_PROPERTY(QString NamedAs READ NamedAs WRITE SetNamedAs)

public:
    explicit TkstCheckBox(QWidget* parent = nullptr);
    TkstCheckBox(const QString& text, QWidget* parent = nullptr);
    ~TkstCheckBox() override;

    void Load() override;

    // Stores the current checked state now (does nothing before Load).
    void Flush();
};
