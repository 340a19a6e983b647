#include "PeerScaleSpinner.h"

QRect PeerScaleSpinnerRect(int chartHeight)
{
    constexpr int width = 17;
    constexpr int height = 25;
    return {4, chartHeight - 36 - height, width, height};
}
