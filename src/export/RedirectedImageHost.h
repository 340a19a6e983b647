#pragma once

#include "ChartImageHost.h"

// Saves a window's images into another directory: every call goes to the window's own
// host, except that the target directory is the given one. As with the window, nothing
// is written until a loop statistics file has been read.
class RedirectedImageHost : public ChartImageHost
{
public:
    // directory: where the images go, ending in '/'.
    RedirectedImageHost(ChartImageHost& host, const QString& directory);

    void BeginSaving() override;
    void ShowImagePage(const ChartRow& row) override;
    void EndGroup(ChartGroup group) override;
    void EndSaving() override;

    QString LoopDirectory() const override;
    bool HavePeerData() const override;
    double ReferenceHighestX(ChartGroup group) const override;
    QImage RenderImage(const ChartRow& row) override;
    bool DrawsFromAnyThread() const override;

private:
    ChartImageHost& host_;
    QString directory_;
};
