#include "DisplayCheck.h"
#include "TFormTallimer.h"
#include "TallimerVersion.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace {

// The arguments as given: the toolkit would take options such as "-style" for itself,
// but a statistics path may begin with a dash.
QStringList ProgramArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = ProgramArguments(argc, argv);
    if (!DisplayAvailable()) {
        std::fputs(qPrintable(NoDisplayMessage()), stderr);
        return 2;
    }

    BeginStartupGuard();
    QApplication application(argc, argv);
    EndStartupGuard();
    QApplication::setApplicationName(QStringLiteral("Tallimer"));
    QApplication::setOrganizationName(QStringLiteral("Brannock"));
    QApplication::setApplicationVersion(QStringLiteral(TALLIMER_VERSION));

    TFormTallimer formTallimer(arguments);
    QObject::connect(&formTallimer, &TFormTallimer::Closed, &application, &QApplication::quit);
    formTallimer.show();
    return application.exec();
}
