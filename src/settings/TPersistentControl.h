#pragma once

#include <QString>
#include <memory>

class QObject;
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
class TPersistentControl
{
public:
    virtual ~TPersistentControl() = default;

    // The value's name in the settings store; empty until set or until Load, which
    // falls back to the control's object name.
    QString NamedAs() const { return namedAs_; }
    void SetNamedAs(const QString& name) { namedAs_ = name; }

    // Reads the stored value (with the control's current state as the default) and
    // shows it. A second call does nothing.
    virtual void Load() = 0;

    // True once Load has created the setting value.
    virtual bool IsLoaded() const = 0;

protected:
    // The name to load under: NamedAs, or else the control's object name, which then
    // becomes NamedAs. Empty when the control has neither.
    const QString& ResolveName(const QObject& control);

private:
    QString namedAs_;
};

// A self-persisting control that keeps one setting value of type Setting
// (TRegistryBoolean, TRegistryInteger, TRegistryString). The control itself only reads
// its state into setting_ and applies setting_ to itself.
template <class Setting> class TPersistentControlOf : public TPersistentControl
{
public:
    bool IsLoaded() const final { return setting_ != nullptr; }

protected:
    // The common start of Load: creates setting_ under the resolved name, reading the
    // stored value with current as its default. False, with nothing created, when
    // setting_ already exists or the control has no name: a nameless value would land
    // on the key's default value, shared by every other nameless control, so such a
    // control keeps nothing.
    template <class Value> bool CreateSetting(const QObject& control, const Value& current)
    {
        if (setting_)
            return false;
        const QString& name = ResolveName(control);
        if (name.isEmpty())
            return false;
        setting_ = std::make_unique<Setting>(name, current);
        return true;
    }

    // Destroying it writes it.
    std::unique_ptr<Setting> setting_;
};

// Loads every self-persisting control among root's descendants (root included), in the
// order findChildren reports them. Controls already loaded are left alone.
void LoadPersistentControls(QWidget* root);
