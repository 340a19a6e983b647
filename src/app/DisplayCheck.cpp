#include "DisplayCheck.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // The toolkit's own text suggests reinstalling; the warnings before it have
        // already named the display that failed.
        std::fputs(qPrintable(NoDisplayMessage()), stderr);
        std::fflush(stderr);
        std::_Exit(2);
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

bool DisplayAvailable()
{
    for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

QString NoDisplayMessage()
{
    return QStringLiteral(
        "tallimer: cannot open a window: no display is available.\n"
        "Run it on a desktop (DISPLAY or WAYLAND_DISPLAY set), or set QT_QPA_PLATFORM=offscreen to run "
        "without one.\n");
}

void BeginStartupGuard()
{
    previousHandler = qInstallMessageHandler(StartupMessageHandler);
}

void EndStartupGuard()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}
