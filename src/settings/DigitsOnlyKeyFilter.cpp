#include "DigitsOnlyKeyFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

// True when the typed text holds a printable character that is not a digit.
bool TypesNonDigit(const QString& typed)
{
    for (const QChar c : typed)
        if (c.isPrint() && (c < u'0' || c > u'9'))
            return true;
    return false;
}

} // namespace

DigitsOnlyKeyFilter::DigitsOnlyKeyFilter(QObject* parent)
    : QObject(parent)
{ }

bool DigitsOnlyKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        if (!(key->modifiers() & commandKeys) && TypesNonDigit(key->text()))
            return true;
    } else if (event->type() == QEvent::InputMethod) {
        if (TypesNonDigit(static_cast<QInputMethodEvent*>(event)->commitString()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
