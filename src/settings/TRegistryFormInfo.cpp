#include "TRegistryFormInfo.h"

#include <algorithm>

namespace {

enum FormStateCode : std::int32_t { StateNormal = 0, StateMinimised = 1, StateMaximised = 2 };

std::int32_t StateOf(const QWidget* w)
{
    if (!w)
        return StateNormal;
    if (w->isMinimized())
        return StateMinimised;
    if (w->isMaximized())
        return StateMaximised;
    return StateNormal;
}

QRect FrameOf(const QWidget* w)
{
    return w ? w->frameGeometry() : QRect();
}

QSize ClientOf(const QWidget* w)
{
    return w ? w->size() : QSize();
}

} // namespace

// The seven values are read in declaration order; the window's current placement is the
// default for each.
TRegistryFormInfo::TRegistryFormInfo(QWidget* window)
    : FormState(QStringLiteral("FormState"), StateOf(window))
    , FormLeft(QStringLiteral("FormLeft"), FrameOf(window).left())
    , FormTop(QStringLiteral("FormTop"), FrameOf(window).top())
    , FormWidth(QStringLiteral("FormWidth"), FrameOf(window).width())
    , FormHeight(QStringLiteral("FormHeight"), FrameOf(window).height())
    , FormClientWidth(QStringLiteral("FormClientWidth"), ClientOf(window).width())
    , FormClientHeight(QStringLiteral("FormClientHeight"), ClientOf(window).height())
    , window_(window)
{ }

TRegistryFormInfo::~TRegistryFormInfo()
{
    TakePlacement();
    // The members' destructors write the seven values.
}

void TRegistryFormInfo::TakePlacement()
{
    if (!window_)
        return;
    const QRect frame = window_->frameGeometry();
    FormState.Value = StateOf(window_);
    FormLeft.Value = frame.left();
    FormTop.Value = frame.top();
    FormWidth.Value = frame.width();
    FormHeight.Value = frame.height();
    FormClientWidth.Value = window_->width();
    FormClientHeight.Value = window_->height();
}

void TRegistryFormInfo::Restore()
{
    if (!window_)
        return;
    // The normal placement goes first and the state last: on some window systems a move
    // or resize takes a maximised window out of its state, and set first the normal
    // placement is what a later un-maximise returns to. Off-screen positions are applied
    // as they are. resize() keeps the size within the window's minimum and maximum; a
    // size below one pixel (a damaged store) would make the window vanish, so it is not
    // taken below one.
    window_->move(FormLeft.Value, FormTop.Value);
    window_->resize(std::max(FormClientWidth.Value, 1), std::max(FormClientHeight.Value, 1));

    const Qt::WindowStates kept
        = window_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (FormState.Value & 0xff) {
    case StateMinimised:
        window_->setWindowState(kept | Qt::WindowMinimized);
        break;
    case StateMaximised:
        window_->setWindowState(kept | Qt::WindowMaximized);
        break;
    default:
        // Normal, and any unknown state: showing the window normally is the safe choice.
        window_->setWindowState(kept);
        break;
    }
}
