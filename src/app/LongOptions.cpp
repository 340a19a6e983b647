#include "LongOptions.h"

#include "TallimerVersion.h"

namespace {

const QString SaveImagesOption = QStringLiteral("--save-images");
const QString ExportCsvOption = QStringLiteral("--export-csv");
const QString ReportOption = QStringLiteral("--report");

bool IsLongOption(const QString& arg)
{
    return arg.startsWith(QStringLiteral("--"));
}

class LongOptionReader
{
public:
    explicit LongOptionReader(const QStringList& args)
        : args_(args)
    { }

    LongOptions Read()
    {
        for (index_ = 0; index_ < args_.size() && options_.Error.isEmpty(); ++index_) {
            const QString& arg = args_[index_];
            if (arg == QStringLiteral("--")) {
                options_.Remaining += args_.mid(index_ + 1);
                break;
            }
            if (IsLongOption(arg))
                TakeOption(arg);
            else
                options_.Remaining.append(arg);
        }
        return Finish();
    }

private:
    void TakeOption(const QString& arg)
    {
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? arg : arg.left(equals);
        if (name == QStringLiteral("--help") && equals < 0)
            help_ = true;
        else if (name == QStringLiteral("--version") && equals < 0)
            version_ = true;
        else if (name == SaveImagesOption)
            TakeValue(name, arg, equals, QStringLiteral("a directory"), options_.SaveImagesDirectory);
        else if (name == ExportCsvOption)
            TakeValue(name, arg, equals, QStringLiteral("a directory"), options_.ExportCsvDirectory);
        else if (name == ReportOption)
            TakeValue(name, arg, equals, QStringLiteral("a directory"), options_.ReportDirectory);
        else if (name == QStringLiteral("--name"))
            // Empty is the host name, as without the option: a service can always pass it.
            TakeValue(name, arg, equals, QStringLiteral("a text"), options_.SiteName, true);
        else if (name == QStringLiteral("--image-format"))
            TakeImageFormat(name, arg, equals);
        else if (name == QStringLiteral("--hours"))
            TakeHours(name, arg, equals);
        else if ((name == QStringLiteral("--local-time") || name == QStringLiteral("--utc")) && equals < 0)
            TakeFlag(name, options_.Overrides.LocalTime, name == QStringLiteral("--local-time"));
        else if (name == QStringLiteral("--weighted") && equals < 0)
            TakeFlag(name, options_.Overrides.Weighted, true);
        else
            options_.Error = QStringLiteral("unknown option \"%1\"").arg(arg);
    }

    // Remembers that the option was given; false (with the error set) the second time.
    bool FirstTime(const QString& name)
    {
        if (given_.contains(name)) {
            options_.Error = QStringLiteral("%1 given twice").arg(name);
            return false;
        }
        given_.append(name);
        return true;
    }

    // The option's value: after "=", or the next argument (even one that begins with one
    // dash). Missing, or empty where emptyAllowed is false: a bad argument.
    void TakeValue(const QString& name, const QString& arg, qsizetype equals, const QString& what, QString& target,
        bool emptyAllowed = false)
    {
        if (!FirstTime(name))
            return;
        bool given = true;
        QString value;
        if (equals >= 0)
            value = arg.mid(equals + 1);
        else if (index_ + 1 < args_.size() && !IsLongOption(args_[index_ + 1]))
            value = args_[++index_];
        else
            given = false;
        if (!given || (value.isEmpty() && !emptyAllowed))
            options_.Error = QStringLiteral("%1 needs %2").arg(name, what);
        target = value;
    }

    void TakeImageFormat(const QString& name, const QString& arg, qsizetype equals)
    {
        QString format;
        TakeValue(name, arg, equals, QStringLiteral("png or svg"), format);
        if (!options_.Error.isEmpty())
            return;
        if (format == QStringLiteral("png") || format == QStringLiteral("svg"))
            options_.SvgImages = format == QStringLiteral("svg");
        else
            options_.Error = QStringLiteral("%1 must be png or svg, not \"%2\"").arg(name, format);
    }

    void TakeHours(const QString& name, const QString& arg, qsizetype equals)
    {
        QString text;
        TakeValue(name, arg, equals, QStringLiteral("a number of hours"), text);
        if (!options_.Error.isEmpty())
            return;
        // Digits only: no sign, no blanks, no "0x"; QString::toInt would take some of these.
        bool digits = text.size() <= 3;
        for (const QChar c : text)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const int hours = digits ? text.toInt() : 0;
        if (hours < 12 || hours > 168)
            options_.Error = QStringLiteral("%1 must be a whole number from 12 to 168, not \"%2\"").arg(name, text);
        else
            options_.Overrides.PlotHours = hours;
    }

    void TakeFlag(const QString& name, std::optional<bool>& target, bool value)
    {
        if (!FirstTime(name))
            return;
        if (target && *target != value) {
            options_.Error = QStringLiteral("--local-time and --utc exclude each other");
            return;
        }
        target = value;
    }

    QString FirstOverrideGiven() const
    {
        for (const QString& name : given_)
            if (name == QStringLiteral("--hours") || name == QStringLiteral("--local-time")
                || name == QStringLiteral("--utc") || name == QStringLiteral("--weighted"))
                return name;
        return QString();
    }

    LongOptions Finish()
    {
        using Outcome = LongOptions::Outcome;
        const bool images = !options_.SaveImagesDirectory.isEmpty();
        const bool report = !options_.ReportDirectory.isEmpty();
        const bool headless = images || report || !options_.ExportCsvDirectory.isEmpty();
        if (options_.Error.isEmpty()) {
            // Options of the runs without a window mean nothing to the window, which keeps
            // its settings in its own controls: say so rather than ignore them.
            const QString needs = QStringLiteral("%1 needs %2");
            const QString headlessOptions = QStringLiteral("--save-images, --export-csv or --report");
            if (given_.contains(QStringLiteral("--name")) && !report)
                options_.Error = needs.arg(QStringLiteral("--name"), ReportOption);
            else if (given_.contains(QStringLiteral("--image-format")) && !images && !report)
                options_.Error
                    = needs.arg(QStringLiteral("--image-format"), QStringLiteral("--save-images or --report"));
            else if (options_.Overrides.Any() && !headless)
                options_.Error = needs.arg(FirstOverrideGiven(), headlessOptions);
        }
        if (!options_.Error.isEmpty())
            options_.Action = Outcome::BadArguments;
        else if (help_)
            options_.Action = Outcome::Help;
        else if (version_)
            options_.Action = Outcome::Version;
        else if (headless)
            options_.Action = Outcome::Headless;
        return options_;
    }

    const QStringList& args_;
    qsizetype index_ = 0;
    LongOptions options_;
    QStringList given_;
    bool help_ = false;
    bool version_ = false;
};

} // namespace

LongOptions ParseLongOptions(const QStringList& args)
{
    return LongOptionReader(args).Read();
}

QString UsageText()
{
    return QStringLiteral("Usage: tallimer [OPTION]... [PATH]...\n"
                          "Show ntpd loop and peer statistics (loopstats, peerstats; plain, gzip or ZIP).\n"
                          "\n"
                          "  (nothing)            read the statistics files in the current directory\n"
                          "  PATH                 one directory, or one statistics file\n"
                          "  [-N] FILE FILE...    a list of files; -N reads the peer statistics of the\n"
                          "                       last N days only (N is one digit)\n"
                          "\n"
                          "Without a window (no display needed; the names written are printed):\n"
                          "  --save-images DIR    read as above, write the chart images that \"Save\" writes\n"
                          "                       into DIR, print their names and exit\n"
                          "  --export-csv DIR     the same for the data behind every image, as CSV files\n"
                          "                       (and _histogram.csv with the offset histogram)\n"
                          "  --report DIR         write a web page, DIR/index.html, with every chart, its\n"
                          "                       data, the peer table and a glossary; replaced whole\n"
                          "  --name TEXT          the site name in the report's heading (default: the\n"
                          "                       host name)\n"
                          "  --image-format png|svg  the images' format for --save-images and --report\n"
                          "                       (default png)\n"
                          "  --hours N            plot the last N hours of loop statistics (12 to 168)\n"
                          "  --local-time, --utc  the time base of the charts\n"
                          "  --weighted           the jitter's moving average weighted (exponential)\n"
                          "                       These four replace the stored settings for this run.\n"
                          "\n"
                          "  --help               show this text and exit\n"
                          "  --version            show the version and exit\n"
                          "  --                   end of options: every later argument is a path\n"
                          "\n"
                          "Arguments that begin with \"--\" are options; all others are paths as above.\n"
                          "Settings come from the same store as the window's; runs without a window\n"
                          "never write it.\n"
                          "\n"
                          "Exit status: 0 done (without a window: at least one file written), 1 nothing\n"
                          "written (no loop statistics read), 2 bad arguments or DIR not writable.\n");
}

QString VersionText()
{
    return QStringLiteral("Tallimer " TALLIMER_VERSION "\n");
}
