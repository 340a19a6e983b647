#pragma once

#include <QString>

class QWidget;

// What every self-persisting control has in common: the name of its stored value and
// the one-time load of that value.
//
// Loading order for a window that holds such controls:
//   1. build the window: create the controls, set their design state (ranges, items,
//      default checked state, text) and, if wanted, SetNamedAs;
//   2. call LoadPersistentControls(window) (or each control's Load());
//   3. only then run the window's own creation logic and connect its handlers.
// Load applies the stored state with the control's signals blocked, so even handlers
// connected before loading (to clicked, toggled, valueChanged, currentIndexChanged,
// textChanged) do not run. Code that depends on a restored state applies it itself.
// Each control writes its value when it is destroyed.
class TPersistentControl {
public:
    virtual ~TPersistentControl() = default;

    // The value's name in the settings store; empty until set or until Load, which
    // falls back to the control's object name.
    virtual QString NamedAs() const = 0;
    virtual void SetNamedAs(const QString& name) = 0;

    // Reads the stored value (with the control's current state as the default) and
    // shows it. A second call does nothing.
    virtual void Load() = 0;

    // True once Load has created the setting value.
    virtual bool IsLoaded() const = 0;
};

// Loads every self-persisting control among root's descendants (root included), in the
// order findChildren reports them. Controls already loaded are left alone.
void LoadPersistentControls(QWidget* root);
