#include "TFormSelectPeers.h"

#include <QListWidget>
#include <QPushButton>

TFormSelectPeers::TFormSelectPeers(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tallimer - Select Peers"));
    setFixedSize(249, 317);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    checkList_ = new QListWidget(this);
    checkList_->setGeometry(8, 8, 233, 241);

    const auto makeButton = [this](const QString& caption, int x, int y) {
        auto* button = new QPushButton(caption, this);
        button->setGeometry(x, y, 65, 25);
        button->setAutoDefault(false);
        return button;
    };
    buttonNone_ = makeButton(QStringLiteral("None"), 8, 255);
    buttonSelectAll_ = makeButton(QStringLiteral("All"), 8, 286);
    buttonOK_ = makeButton(QStringLiteral("OK"), 176, 255);
    buttonCancel_ = makeButton(QStringLiteral("Cancel"), 176, 286);
    buttonOK_->setDefault(true);

    connect(buttonNone_, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    connect(buttonSelectAll_, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    connect(buttonOK_, &QPushButton::clicked, this, &TFormSelectPeers::ButtonOKClick);
    connect(buttonCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormSelectPeers::SetResetPeerScales(std::function<void()> resetPeerScales)
{
    resetPeerScales_ = std::move(resetPeerScales);
}

void TFormSelectPeers::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormSelectPeers::FormShow()
{
    // No check state is kept between showings, not even for the peers selected now.
    checkList_->clear();
    for (const QString& peer : peerChoice_) {
        auto* item = new QListWidgetItem(peer, checkList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TFormSelectPeers::SetAllChecked(bool checked)
{
    for (int i = 0; i < checkList_->count(); ++i)
        checkList_->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormSelectPeers::ButtonOKClick()
{
    peerChoice_.clear();
    if (resetPeerScales_)
        resetPeerScales_();
    for (int i = 0; i < checkList_->count(); ++i) {
        const QListWidgetItem* item = checkList_->item(i);
        if (item->checkState() == Qt::Checked)
            peerChoice_.push_back(item->text());
    }
    accept();
}
