#pragma once

#include "TRegistryInteger.h"

#include <QPointer>
#include <QWidget>

// Keeps a top-level window's placement from one run to the next in seven integer
// values: FormState (0 normal, 1 minimised, 2 maximised), FormLeft, FormTop (outer
// position), FormWidth, FormHeight (outer size), FormClientWidth, FormClientHeight.
//
// Lifecycle, as the main window uses it:
//  - construct it first thing in the window's creation logic: the window's geometry at
//    that moment becomes the defaults, then the stored values are read;
//  - call Restore() first thing when the window is shown;
//  - destroy it last thing in the window's destruction logic, while the window still
//    exists: the current placement is taken and all seven values are written.
// If the window has already gone at destruction, the held values are written as they are.
class TRegistryFormInfo
{
public:
    explicit TRegistryFormInfo(QWidget* window);
    ~TRegistryFormInfo();

    TRegistryFormInfo(const TRegistryFormInfo&) = delete;
    TRegistryFormInfo& operator=(const TRegistryFormInfo&) = delete;

    // Applies the held placement (stored or default): state, left, top, client width and
    // client height. The window's minimum and maximum sizes still bound the size. A
    // position off every screen is applied unchanged; a state other than 0-2 (after
    // taking its low byte) shows the window normally.
    void Restore();

    // Copies the window's current placement into the seven values without writing them.
    void TakePlacement();

    TRegistryInteger FormState;
    TRegistryInteger FormLeft;
    TRegistryInteger FormTop;
    TRegistryInteger FormWidth;
    TRegistryInteger FormHeight;
    TRegistryInteger FormClientWidth;
    TRegistryInteger FormClientHeight;

private:
    QPointer<QWidget> window_;
};
