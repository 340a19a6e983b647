#include "TkstLabeledEdit.h"

#include "DigitsOnlyKeyFilter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

TkstLabeledEdit::TkstLabeledEdit(QWidget* parent)
    : TkstLabeledEdit(QString(), parent)
{ }

TkstLabeledEdit::TkstLabeledEdit(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , label_(new QLabel(caption, this))
    , edit_(new QLineEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    layout->addWidget(edit_, 1);
    label_->setBuddy(edit_);
    setFocusProxy(edit_);
    connect(edit_, &QLineEdit::textChanged, this, &TkstLabeledEdit::EditTextChanged);
}

// Destroying the value writes the text it has followed.
TkstLabeledEdit::~TkstLabeledEdit() = default;

void TkstLabeledEdit::Load()
{
    if (!CreateSetting(*this, edit_->text()))
        return;
    {
        const QSignalBlocker blockEdit(edit_);
        const QSignalBlocker blockSelf(this);
        edit_->setText(setting_->Value);
    }
    // The field may not hold all of it (its length limit); keep what it shows.
    setting_->Value = edit_->text();
}

void TkstLabeledEdit::Flush()
{
    if (setting_)
        setting_->Save();
}

QString TkstLabeledEdit::text() const
{
    return edit_->text();
}

void TkstLabeledEdit::setText(const QString& text)
{
    edit_->setText(text);
}

QString TkstLabeledEdit::Caption() const
{
    return label_->text();
}

void TkstLabeledEdit::SetCaption(const QString& caption)
{
    label_->setText(caption);
}

void TkstLabeledEdit::SetDigitsOnly(bool digitsOnly)
{
    if (digitsOnly == DigitsOnly())
        return;
    if (digitsOnly) {
        digitsFilter_ = new DigitsOnlyKeyFilter(edit_);
        edit_->installEventFilter(digitsFilter_);
    } else {
        delete digitsFilter_.data();
    }
}

bool TkstLabeledEdit::DigitsOnly() const
{
    return digitsFilter_ != nullptr;
}

void TkstLabeledEdit::EditTextChanged(const QString& text)
{
    if (setting_)
        setting_->Value = text;
    emit textChanged(text);
}
