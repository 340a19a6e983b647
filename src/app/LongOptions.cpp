#include "LongOptions.h"

#include "TallimerVersion.h"

namespace {

const QString SaveImagesOption = QStringLiteral("--save-images");
const QString ExportCsvOption = QStringLiteral("--export-csv");

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
            TakeDirectory(name, arg, equals, options_.SaveImagesDirectory);
        else if (name == ExportCsvOption)
            TakeDirectory(name, arg, equals, options_.ExportCsvDirectory);
        else
            options_.Error = QStringLiteral("unknown option \"%1\"").arg(arg);
    }

    void TakeDirectory(const QString& name, const QString& arg, qsizetype equals, QString& directory)
    {
        if (!directory.isEmpty()) {
            options_.Error = QStringLiteral("%1 given twice").arg(name);
            return;
        }
        QString value;
        if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (index_ + 1 < args_.size() && !IsLongOption(args_[index_ + 1])) {
            // The next argument is the directory, even when it begins with one dash.
            value = args_[++index_];
        }
        if (value.isEmpty())
            options_.Error = QStringLiteral("%1 needs a directory").arg(name);
        directory = value;
    }

    LongOptions Finish()
    {
        using Outcome = LongOptions::Outcome;
        if (!options_.Error.isEmpty())
            options_.Action = Outcome::BadArguments;
        else if (help_)
            options_.Action = Outcome::Help;
        else if (version_)
            options_.Action = Outcome::Version;
        else if (!options_.SaveImagesDirectory.isEmpty() || !options_.ExportCsvDirectory.isEmpty())
            options_.Action = Outcome::Headless;
        return options_;
    }

    const QStringList& args_;
    qsizetype index_ = 0;
    LongOptions options_;
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
                          "  --save-images DIR    read as above, write the chart images that \"Save\" writes\n"
                          "                       into DIR, print their names and exit; needs no display\n"
                          "  --export-csv DIR     the same for the data behind every image, as CSV files\n"
                          "                       (and _histogram.csv with the offset histogram)\n"
                          "  --help               show this text and exit\n"
                          "  --version            show the version and exit\n"
                          "  --                   end of options: every later argument is a path\n"
                          "\n"
                          "Arguments that begin with \"--\" are options; all others are paths as above.\n"
                          "Settings come from the same store as the window's.\n"
                          "\n"
                          "Exit status: 0 done (with --save-images or --export-csv: at least one file\n"
                          "written), 1 nothing written, 2 bad arguments or DIR not writable.\n");
}

QString VersionText()
{
    return QStringLiteral("Tallimer " TALLIMER_VERSION "\n");
}
