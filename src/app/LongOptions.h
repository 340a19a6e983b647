#pragma once

#include "StoredSettings.h"

#include <QString>
#include <QStringList>

// What the long options of the command line ask for. Arguments that begin with "--" are
// long options; every other argument is left, in order, for the start-up load, which
// reads it as before (a path, or "-N" among two or more). A "--" on its own ends the
// long options: everything after it is left for the start-up load as written.
struct LongOptions
{
    enum class Outcome {
        Window, // no long option asks for anything else: show the window
        Help, // print UsageText(), exit 0
        Version, // print VersionText(), exit 0
        Headless, // load, then write images, CSV files and/or the report page, no window
        BadArguments, // print Error on standard error, exit 2
    };

    Outcome Action = Outcome::Window;
    QString SaveImagesDirectory; // --save-images DIR; empty when not given
    QString ExportCsvDirectory; // --export-csv DIR; empty when not given
    QString ReportDirectory; // --report DIR; empty when not given
    QString SiteName; // --name TEXT (with --report); empty: the host name
    bool SvgImages = false; // --image-format svg (with --save-images or --report)
    // --hours, --local-time / --utc, --weighted: the stored settings with these in
    // place, for this run only.
    SettingOverrides Overrides;
    QStringList Remaining; // the arguments for the start-up load
    QString Error; // when BadArguments: what was wrong, one line
};

// args: the arguments after the program name. Accepts "--save-images DIR" and
// "--save-images=DIR" (likewise every option with a value). An unknown option, a
// missing or empty value, a value out of its range, an option given twice, --local-time
// with --utc, or an option of the runs without a window given without one of them
// (--save-images, --export-csv, --report) is a bad argument; it wins over --help and
// --version, so a script with a typo never reports success.
LongOptions ParseLongOptions(const QStringList& args);

// The text of --help, ending in a line feed.
QString UsageText();

// "Tallimer" and the four-part version, ending in a line feed.
QString VersionText();

// Exit codes of the program.
namespace ExitCode {
inline constexpr int Success = 0;
inline constexpr int NothingWritten = 1;
inline constexpr int BadArguments = 2;
} // namespace ExitCode
