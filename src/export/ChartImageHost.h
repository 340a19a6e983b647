#pragma once

#include "ChartTable.h"

#include <QImage>
#include <QString>

// What SaveChartImages needs from the main window. The calls come in this order:
//
//   LoopDirectory()                      target directory, read once at the start
//   BeginSaving()                        remember the current page of the graph page
//                                        control and of both chart page controls
//   for each row saved as an image, loop rows first, then the Analysis rows, then (when
//   HavePeerData() says so after those images) each peer row:
//     ShowImagePage(row)                make the group's page ("Loopstats", "Analysis"
//                                        or "Peerstats") and then row.PageName current
//     LoopDirectory(), ReferenceHighestX(row.Group), RenderImage(row) (unless
//                                        DrawsFromAnyThread(): then after EndSaving)
//   EndGroup(group)                      after each group: restore that group's page
//   EndSaving()                          restore the graph page control's page
//
// Page changes must run the pages' show and hide handlers as a user's page change
// would (leaving the Setup page reloads the statistics before anything is drawn), but
// not the page controls' change handlers.
class ChartImageHost
{
public:
    virtual ~ChartImageHost() = default;

    virtual void BeginSaving() = 0;
    virtual void ShowImagePage(const ChartRow& row) = 0;
    virtual void EndGroup(ChartGroup group) = 0;
    virtual void EndSaving() = 0;

    // The folder of the loop statistics file read last, ending in '/'; empty until
    // one has been read, and then nothing is written.
    virtual QString LoopDirectory() const = 0;
    virtual bool HavePeerData() const = 0;
    // HighestXOnAxis of the group's reference chart on its bottom axis: ChartOffsets
    // for the loop and Analysis images, ChartPeerstatsOffset for the peer images.
    virtual double ReferenceHighestX(ChartGroup group) const = 0;
    // The image of a row: a chart drawn at its size, or the whole peer table. A null
    // image writes nothing.
    virtual QImage RenderImage(const ChartRow& row) = 0;
    // True when RenderImage may be called for any row from any thread, several at once,
    // after EndSaving (a document's images, which need no page shown); the images are
    // then drawn in parallel. A window draws each image in turn as its page is shown.
    virtual bool DrawsFromAnyThread() const { return false; }
};
