#include "DisplayCheck.h"
#include "HeadlessRun.h"
#include "LongOptions.h"
#include "TFormTallimer.h"
#include "TallimerVersion.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <malloc.h>

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

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// A reading or a save makes and frees blocks of megabytes again and again (a file's
// text, its records, a chart's image). Kept in the heap, a freed block's memory serves
// the next; mapped afresh, each would cost a fault for every page it fills.
void KeepLargeBlocksInTheHeap()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

} // namespace

int main(int argc, char** argv)
{
    KeepLargeBlocksInTheHeap();
    const LongOptions options = ParseLongOptions(ProgramArguments(argc, argv));
    switch (options.Action) {
    case LongOptions::Outcome::Help:
        Print(stdout, UsageText());
        return ExitCode::Success;
    case LongOptions::Outcome::Version:
        Print(stdout, VersionText());
        return ExitCode::Success;
    case LongOptions::Outcome::BadArguments:
        Print(
            stderr, QStringLiteral("tallimer: %1\nTry \"tallimer --help\" for more information.\n").arg(options.Error));
        return ExitCode::BadArguments;
    case LongOptions::Outcome::Headless:
        return RunHeadless(options, argv[0]);
    case LongOptions::Outcome::Window:
        break;
    }

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

    TFormTallimer formTallimer(options.Remaining);
    QObject::connect(&formTallimer, &TFormTallimer::Closed, &application, &QApplication::quit);
    formTallimer.show();
    return application.exec();
}
