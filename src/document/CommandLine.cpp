#include "CommandLine.h"

namespace {

int PeerDaysFromOption(const QString& option)
{
    // Only the single character after the dash counts.
    if (option.size() < 2)
        return 0;
    const QChar c = option.at(1);
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        return 0;
    return c.unicode() - '0';
}

} // namespace

StartupCommand ParseCommandLine(const QStringList& args)
{
    StartupCommand command;
    if (args.isEmpty()) {
        command.Path = QStringLiteral(".");
        return command;
    }
    if (args.size() == 1) {
        command.Path = args.front();
        return command;
    }
    command.IsList = true;
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1Char('-')))
            command.PeerDays = PeerDaysFromOption(arg);
        else
            command.Files.append(arg);
    }
    return command;
}
