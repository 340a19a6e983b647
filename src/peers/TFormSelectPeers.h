#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QListWidget;
class QPushButton;

// The peer selection dialog ("Tallimer - Select Peers"): the peers offered, each with a
// check box, all unchecked at every showing; "None" and "All" change every check box;
// "OK" resets the peer scale spinners (through the callback the window sets) and keeps
// the checked peers in PeerChoice; "Cancel" or closing the dialog otherwise changes
// nothing. Created once with the main window as parent (so it is centred on it) and
// shown with exec() by ChartPeerstatsContextPopup.
class TFormSelectPeers : public QDialog
{
    Q_OBJECT

public:
    explicit TFormSelectPeers(QWidget* parent = nullptr);

    // The peers to offer before showing; after a confirmation, the peers checked.
    void SetPeerChoice(const QStringList& peers) { peerChoice_ = peers; }
    const QStringList& PeerChoice() const { return peerChoice_; }

    // Called by "OK" to put the four peer scale spinners back to 0 without a rebuild.
    void SetResetPeerScales(std::function<void()> resetPeerScales);

    QListWidget* CheckListBoxPeers() const { return checkList_; }
    QPushButton* ButtonNone() const { return buttonNone_; }
    QPushButton* ButtonSelectAll() const { return buttonSelectAll_; }
    QPushButton* ButtonOK() const { return buttonOK_; }
    QPushButton* ButtonCancel() const { return buttonCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void SetAllChecked(bool checked);
    void ButtonOKClick();

    QStringList peerChoice_;
    std::function<void()> resetPeerScales_;
    QListWidget* checkList_ = nullptr;
    QPushButton* buttonNone_ = nullptr;
    QPushButton* buttonSelectAll_ = nullptr;
    QPushButton* buttonOK_ = nullptr;
    QPushButton* buttonCancel_ = nullptr;
};
