#include "DigitsOnlyValidator.h"

#include <QLineEdit>

#include <algorithm>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// True when every non-digit of `edited`, in order, is one of the non-digits of
// `original`: the edit removed characters or added digits, and typed nothing else.
bool AddsNoNonDigit(const QString& edited, const QString& original)
{
    qsizetype from = 0;
    for (const QChar c : edited) {
        if (IsDigit(c))
            continue;
        while (from < original.size() && (IsDigit(original[from]) || original[from] != c))
            ++from;
        if (from == original.size())
            return false;
        ++from;
    }
    return true;
}

} // namespace

DigitsOnlyValidator::DigitsOnlyValidator(QLineEdit* edit)
    : QValidator(edit)
    , accepted_(edit->text())
{
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

QValidator::State DigitsOnlyValidator::validate(QString& input, int&) const
{
    return AddsNoNonDigit(input, accepted_) ? Acceptable : Invalid;
}
