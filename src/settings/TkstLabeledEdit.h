#pragma once

#include "TPersistentControl.h"
#include "TRegistryString.h"

#include <QPointer>
#include <QWidget>

class DigitsOnlyKeyFilter;
class QLabel;
class QLineEdit;

// An edit field with its caption label beside it, remembering its text. The held value
// follows every change of the text; it is written by Flush and at destruction.
// With SetDigitsOnly(true) typing accepts nothing but the digits 0-9; a stored, pasted
// or programmatically set text is taken as it is.
// Connect window handlers to this widget's textChanged: Load emits nothing.
class TkstLabeledEdit : public QWidget, public TPersistentControlOf<TRegistryString>
{
    Q_OBJECT
    Q_PROPERTY(QString NamedAs READ NamedAs WRITE SetNamedAs)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)

public:
    explicit TkstLabeledEdit(QWidget* parent = nullptr);
    TkstLabeledEdit(const QString& caption, QWidget* parent = nullptr);
    ~TkstLabeledEdit() override;

    void Load() override;

    // Writes the held text to the store now (does nothing before Load).
    void Flush();

    QString text() const;
    void setText(const QString& text);

    QString Caption() const;
    void SetCaption(const QString& caption);

    void SetDigitsOnly(bool digitsOnly);
    bool DigitsOnly() const;

    QLineEdit* Edit() const { return edit_; }
    QLabel* EditLabel() const { return label_; }

signals:
    void textChanged(const QString& text);

private:
    void EditTextChanged(const QString& text);

    QLabel* label_;
    QLineEdit* edit_;
    QPointer<DigitsOnlyKeyFilter> digitsFilter_;
};
