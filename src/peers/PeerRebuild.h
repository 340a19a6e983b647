#pragma once

#include "PeerAxisScale.h"
#include "PeerRecordStore.h"
#include "PeerSortState.h"
#include "PeerStore.h"
#include "PeerTable.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class TChart;

// The four peer charts in their fixed order.
enum PeerChart { PeerOffsetChart, PeerDelayChart, PeerDispersionChart, PeerJitterChart };
inline constexpr int PeerChartCount = 4;
using PeerCharts = std::array<TChart*, PeerChartCount>;

// The values the rebuild takes from the window's controls and state.
struct PeerRebuildInputs
{
    int PeerDays = 0; // whole days of records to use; 0 for all
    bool LanOnly = false; // "LAN peerstats"
    QStringList SelectedPeers; // empty: every peer
    // Texts of "Max peer offset/delay/dispersion/jitter (ms)", in chart order.
    std::array<QString, PeerChartCount> ThresholdTexts;
    // Positions of the four "Change scale" spinners, in chart order.
    std::array<int, PeerChartCount> ScaleSteps {};
    double ZoneOffset = 0; // days subtracted from every UTC time stamp
    QString ZoneLabel = QStringLiteral("UTC");
    QString DirectoryLabel;
    PeerSortState Sort;
    QLocale Locale; // decimal separator of the table cells
};

struct PeerRebuildResult
{
    // False when there were no records: nothing was touched and the table keeps its rows.
    bool Rebuilt = false;
    // The records appended since the last rebuild were all that was read: their points went
    // onto that rebuild's series (as a rebuild of every record would have placed them).
    bool Continued = false;
    std::vector<PeerTableRow> TableRows; // data rows in sorted order, without the header
    double FirstPeerTime = 0; // first accepted record in line order; 0: none
    QString TimeAxisTitle;
    std::array<PeerAxisScale, PeerChartCount> Scales;
};

// Rebuilds the peer pages from the collected peer records: counts the records per
// peer through the LAN filter and the selection, orders the peers, accumulates each
// peer's statistics from its records within the PeerDays window, and fills the four
// charts: every series is removed, each shown peer gets one series per chart (in its
// peer colour, titled with its address) holding the records within the thresholds;
// the time axes get their caption and the value axes their range and unit.
// latestTime is raised to the newest accepted record. Without records nothing changes.
// Nothing is parsed here: the records were when their files were read.
//
// What the main window does around it:
// - inputs: PeerDays from the command line, "LAN peerstats", its SelectedPeers, the
//   texts of the four threshold edits, the four spinner positions, ZoneOffset,
//   ZoneLabel, DirectoryLabel, TPeerStatsGrid::SortState() and QLocale();
// - charts: the four peer charts (TChartView::Chart()), configured once with
//   ConfigureChart; a null entry is skipped;
// - afterwards, when result.Rebuilt: TPeerStatsGrid::ShowPeerRows(result.TableRows),
//   the files hint := PeerFilesHint(PeerFilesRead), show "LAN peerstats", then apply
//   the plot background;
// - callers: start-up and reload after the loop rebuild; after RereadLastOpened on a
//   click of "LAN peerstats", on the 50 ms tick gathering spinner clicks, and on a
//   confirmed peer selection (ChartPeerstatsContextPopup);
// - TPeerStatsGrid::SortChanged → ReloadAll.
PeerRebuildResult RebuildPeerStatistics(const PeerRecordStore& records, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts);
// The same for records read here for the last time (a run without a window): their
// memory goes back to the system as the rebuild leaves them behind, and they are left
// empty.
PeerRebuildResult RebuildPeerStatistics(PeerRecordStore&& records, const PeerRebuildInputs& inputs,
    PeerStore& store, double& latestTime, const PeerCharts& charts);
