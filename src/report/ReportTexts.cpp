#include "ReportTexts.h"

#include "ChartTable.h"

#include <QHash>

namespace {

// By file suffix, which names a chart for good, also one that is added to the chart
// table later.
const QHash<QString, QString>& Descriptions()
{
    static const QHash<QString, QString> texts {
        { QStringLiteral("_offset"),
            QStringLiteral("The local clock's offset from the time ntpd steers it to, one point per clock update, with "
                           "its RMS over each hour. A healthy server keeps it small and centred on zero: tens of "
                           "microseconds with a reference clock, a millisecond or two over the Internet. A step shows "
                           "as a sudden jump that the line then creeps back from, and a gap, when ntpd was not "
                           "running or not writing statistics, as a stretch without points.") },
        { QStringLiteral("_offset-tod"),
            QStringLiteral("The same offsets folded onto one day, a line of its own colour for each date. "
                           "Lines that rise and fall together at the same hours point to a daily cause, "
                           "such as the room warming up or a nightly job loading the machine; a healthy "
                           "server shows lines that overlap in one narrow band.") },
        { QStringLiteral("_abs_frequency"),
            QStringLiteral("The frequency correction ntpd applies to the local oscillator, in parts per "
                           "million. It follows the oscillator's temperature, so a slow daily wave is "
                           "normal; a healthy value is steady within a few hundredths of a ppm over hours. "
                           "A jump marks a restart or a step, a gap a time without statistics.") },
        { QStringLiteral("_frequency"),
            QStringLiteral("The frequency correction less its mean over the period shown, so that small "
                           "changes are easy to see. The smaller and smoother the line, the steadier the "
                           "oscillator; sharp swings together with offset spikes mean the server is "
                           "chasing noisy sources.") },
        { QStringLiteral("_frequency-tod"),
            QStringLiteral("That frequency change folded onto one day, a line for each date. Lines that "
                           "agree hour by hour show a daily temperature cycle; a healthy, well housed "
                           "server draws a flat bundle.") },
        { QStringLiteral("_jitter"),
            QStringLiteral("The clock jitter ntpd estimates from its recent offsets, in microseconds, with "
                           "a moving average on the right-hand axis. Low and flat is healthy; single spikes "
                           "are single bad samples, and a raised average over hours means a noisy network "
                           "path or a busy machine.") },
        { QStringLiteral("_poll_int"),
            QStringLiteral("The interval between clock updates, in seconds: a power of two that ntpd raises "
                           "while the clock is steady and lowers when it has to correct. A healthy server "
                           "climbs to its longest interval (often 1024 s) and stays there; repeated drops "
                           "show times of trouble, and a fall to the shortest interval follows a restart "
                           "or a step.") },
        { QStringLiteral("_histogram"),
            QStringLiteral("How often each offset of the period occurred, with their mean and standard "
                           "deviation in the title. A healthy server draws one narrow peak at zero; a wide "
                           "or lopsided hill means a biased source or an asymmetric network path, and a "
                           "second peak apart from the first a step or a change of source.") },
        { QStringLiteral("_stability"),
            QStringLiteral("The clock's stability over averaging times from seconds to days: Allan, modified "
                           "Allan and time deviation, on logarithmic axes. The deviations fall as the "
                           "averaging time grows while noise averages out, then level off or rise where the "
                           "oscillator wanders with temperature; the lower the curves, the better the "
                           "clock.") },
        { QStringLiteral("_peer_offset"),
            QStringLiteral("Each peer's offset from the local clock, one colour per peer, as ntpd measured "
                           "it. Good peers agree with each other within a millisecond or so; a peer whose "
                           "line lies apart from the rest is wrong or reached over an asymmetric path, and "
                           "a peer that stops drawing was unreachable.") },
        { QStringLiteral("_peer_delay"),
            QStringLiteral("The round-trip delay to each peer. A flat line is a steady network path; spikes "
                           "are congestion, and a step to a new level a changed route. Offsets measured "
                           "through long delays are less certain.") },
        { QStringLiteral("_peer_dispersion"),
            QStringLiteral("The dispersion of each peer: ntpd's estimate of the error that builds up in its "
                           "samples. It stays low for a peer answering regularly and grows in a saw-tooth "
                           "while a peer is not answering.") },
        { QStringLiteral("_peer_jitter"),
            QStringLiteral("The jitter of each peer's offsets. Low and even for a good peer on a good path; "
                           "a peer whose jitter is far above the others is a poor choice of source.") },
    };
    return texts;
}

} // namespace

QString ReportChartTitle(const ChartRow& row)
{
    const QString caption = QString::fromUtf8(row.PageCaption);
    if (row.Group == ChartGroup::Histogram)
        return QStringLiteral("Histogram of offsets");
    if (caption.isEmpty())
        return QString::fromLatin1(row.FileSuffix).mid(1);
    if (row.Group == ChartGroup::Peer)
        return QStringLiteral("Peer ") + caption.toLower();
    return caption;
}

QString ReportChartDescription(const ChartRow& row)
{
    const QString text = Descriptions().value(QString::fromLatin1(row.FileSuffix));
    if (!text.isEmpty())
        return text;
    return QStringLiteral("The chart of the page \"%1\" as the program shows it; its data is in the CSV file "
                          "below.")
        .arg(QString::fromUtf8(row.PageCaption));
}

const std::vector<GlossaryEntry>& ReportGlossary()
{
    static const std::vector<GlossaryEntry> entries {
        { QStringLiteral("Offset"),
            QStringLiteral("The difference between the local clock and the time it is compared with: for the "
                           "loop, the time ntpd steers to; for a peer, that peer's time. Positive when the "
                           "local clock is behind.") },
        { QStringLiteral("Frequency"),
            QStringLiteral("The correction ntpd applies to the rate of the local oscillator, in parts per "
                           "million (1 ppm is 86.4 ms a day).") },
        { QStringLiteral("Jitter"),
            QStringLiteral("The short-term variation of successive offsets: the root mean square of their "
                           "differences. It measures the noise of the measurements.") },
        { QStringLiteral("Wander"),
            QStringLiteral("The variation of the frequency over time, in ppm: how much the oscillator drifts, "
                           "mostly with temperature.") },
        { QStringLiteral("Poll"),
            QStringLiteral("The interval between updates, written as a power of two seconds (poll 6 is 64 s, "
                           "poll 10 is 1024 s).") },
        { QStringLiteral("Delay"),
            QStringLiteral("The round-trip time of a request to a peer and its answer. Half of it bounds the "
                           "error an asymmetric path can cause.") },
        { QStringLiteral("Dispersion"),
            QStringLiteral("ntpd's estimate of the error that accumulates in a peer's measurements from the "
                           "clocks' tolerances and the time since its last answer.") },
        { QStringLiteral("RMS"),
            QStringLiteral("Root mean square: the square root of the mean of the squared values. For offsets "
                           "it combines bias and noise into one size of error.") },
        { QStringLiteral("ADEV, MDEV, TDEV"),
            QStringLiteral("Allan deviation, modified Allan deviation and time deviation: measures of a "
                           "clock's stability over a given averaging time τ. ADEV and MDEV are fractional "
                           "frequency (1e-9 is 1 ppb), TDEV is a time in seconds; smaller is steadier.") },
    };
    return entries;
}
