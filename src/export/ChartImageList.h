#pragma once

#include <span>

// The two groups of saved images; each takes its date prefix from its own reference
// chart (ChartOffsets for the loop charts, ChartPeerstatsOffset for the peer pages).
enum class ChartImageGroup { Loop, Peer };

// One saved image: what it is drawn from, the page that is made current before it is
// drawn, and its file name suffix.
struct ChartImageKind
{
    int Number; // 1 to 12, the order of writing
    ChartImageGroup Group;
    const char* ControlName;
    const char* PageName;
    const char* PageCaption;
    const char* Suffix;
};

// All twelve images in the order they are written: the seven loop charts, then the
// peer table and the four peer charts.
std::span<const ChartImageKind> ChartImageKinds();
