#pragma once

#include "PeerStore.h"

#include <QStringList>

#include <functional>
#include <vector>

class TFormSelectPeers;

// The right-click handler of the four peer charts. Without peers it does nothing.
// Otherwise it offers the peers of peerLineCounts in the dialog, modally; when the user
// confirms, selectedPeers becomes the peers checked (none checked: no restriction) and
// rereadAndRebuild runs (the window re-reads the files last opened and rebuilds the peer
// pages). A cancelled dialog changes nothing. Returns whether the user confirmed.
//
// The window connects each peer chart's right click (TChartView::SetRightClickHandler)
// to a call of this with its PeerStore's PeerLineCounts and its SelectedPeers.
bool ChartPeerstatsContextPopup(const std::vector<PeerLineCount>& peerLineCounts, TFormSelectPeers& dialog,
    QStringList& selectedPeers, const std::function<void()>& rereadAndRebuild);
