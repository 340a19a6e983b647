#include "PeerContextPopup.h"

#include "TFormSelectPeers.h"

bool ChartPeerstatsContextPopup(const std::vector<PeerLineCount>& peerLineCounts, TFormSelectPeers& dialog,
    QStringList& selectedPeers, const std::function<void()>& rereadAndRebuild)
{
    if (peerLineCounts.empty())
        return false;
    QStringList choice;
    choice.reserve(qsizetype(peerLineCounts.size()));
    for (const PeerLineCount& peer : peerLineCounts)
        choice.push_back(peer.Address);
    dialog.SetPeerChoice(choice);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    selectedPeers = dialog.PeerChoice();
    if (rereadAndRebuild)
        rereadAndRebuild();
    return true;
}
