#pragma once

#include "ChartImageHost.h"

class TFormTallimer;

// Lets the image saving walk the main window's pages: it makes each chart's page
// current, draws the chart at its on-screen size (the peer table whole, from its rows),
// and puts the pages back as they were.
class TallimerImageHost : public ChartImageHost
{
public:
    explicit TallimerImageHost(TFormTallimer& form);

    void BeginSaving() override;
    void ShowImagePage(const ChartRow& row) override;
    void EndGroup(ChartGroup group) override;
    void EndSaving() override;

    QString LoopDirectory() const override;
    bool HavePeerData() const override;
    double ReferenceHighestX(ChartGroup group) const override;
    QImage RenderImage(const ChartRow& row) override;

private:
    TFormTallimer& form_;
    int graphPage_ = 0;
    int loopPage_ = 0;
    int peerPage_ = 0;
    int analysisPage_ = 0;
};
