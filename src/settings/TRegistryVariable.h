#pragma once

#include <QString>

// Base of the typed setting values. A value object is bound to one named value inside
// this program's settings key. Construction computes the key, subclasses then read the
// stored value once; Save writes it; destruction of a subclass saves, then releases.
// Every read and every Save opens and closes the store by itself; nothing but the
// subclass's Value is cached. No store failure is ever reported: an unreadable value
// leaves the default in place, a failing write loses the value for this run.
class TRegistryVariable
{
public:
    explicit TRegistryVariable(const QString& valueName);
    virtual ~TRegistryVariable();

    TRegistryVariable(const TRegistryVariable&) = delete;
    TRegistryVariable& operator=(const TRegistryVariable&) = delete;

    virtual void Save() = 0;

    const QString& ValueName() const { return valueName_; }
    const QString& KeyPath() const { return keyPath_; }
    const QString& RootKey() const { return rootKey_; }

private:
    QString valueName_;
    QString keyPath_;
    QString rootKey_;
};
