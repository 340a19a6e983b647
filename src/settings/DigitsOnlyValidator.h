#pragma once

#include <QValidator>

class QLineEdit;

// Lets the user type nothing but the digits 0-9 into an edit field. Unlike a plain
// pattern validator it never locks up a field whose text already holds other
// characters (a text set by the program or restored from the settings): an edit is
// refused only when it adds characters that are not digits.
class DigitsOnlyValidator : public QValidator {
    Q_OBJECT

public:
    explicit DigitsOnlyValidator(QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

private:
    QString accepted_; // the field's text before the edit under validation
};
