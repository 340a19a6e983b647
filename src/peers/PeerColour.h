#pragma once

#include "ChartColor.h"

// The line colour of the peer with the given peer index; from the sixteenth peer on,
// black.
ChartColor PeerColour(int peerIndex);
