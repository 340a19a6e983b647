#pragma once

#include <QObject>

// Installed on an edit field, refuses typed characters other than the digits 0-9.
// Only typing is filtered, like a numbers-only edit control: a text set by the program,
// restored from the settings or pasted is taken as it is, and editing such a text
// (deleting, adding digits) keeps working. Key presses with Ctrl, Alt or Meta pass, so
// shortcuts (copy, paste, select all) still work.
class DigitsOnlyKeyFilter : public QObject
{
    Q_OBJECT

public:
    explicit DigitsOnlyKeyFilter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
