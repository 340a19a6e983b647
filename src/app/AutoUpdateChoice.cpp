#include "AutoUpdateChoice.h"

int AutoUpdateMinutes(const QString& choice)
{
    const qsizetype blank = choice.indexOf(QLatin1Char(' '));
    const QString number = blank < 0 ? choice : choice.left(blank);
    bool ok = false;
    const int minutes = number.toInt(&ok);
    return ok ? minutes : -1;
}
