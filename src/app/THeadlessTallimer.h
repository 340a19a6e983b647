#pragma once

#include "TFormTallimer.h"

// The main window as a run without a desktop uses it: the same controls, settings and
// start-up load, but its messages go to standard error and it never asks for files.
// Show it with Qt::WA_DontShowOnScreen so that pages and charts are laid out at the
// stored window size without anything appearing on a screen.
class THeadlessTallimer : public TFormTallimer
{
    Q_OBJECT

public:
    explicit THeadlessTallimer(const QStringList& arguments);

protected:
    // Nobody is there to choose: the load ends with what the command line gave.
    QStringList AskForStatisticsFiles() override;
    void ShowMessage(const QString& text) override;
};
