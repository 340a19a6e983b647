#include "THeadlessTallimer.h"

#include "ChartImageSaving.h"

#include <cstdio>

THeadlessTallimer::THeadlessTallimer(const QStringList& arguments)
    : TFormTallimer(arguments)
{
    setAttribute(Qt::WA_DontShowOnScreen);
}

QStringList THeadlessTallimer::AskForStatisticsFiles()
{
    return {};
}

void THeadlessTallimer::ShowMessage(const QString& text)
{
    QString line = QStringLiteral("tallimer: ") + MessageForDisplay(text);
    if (!line.endsWith(QLatin1Char('\n')))
        line += QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}
