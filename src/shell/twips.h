#pragma once

#include <QtGlobal>

namespace tarnwick {

// Positions of the window are kept in twips, 15 to a pixel at the usual resolution.
inline constexpr int kTwipsPerPixel = 15;
inline int Twips(int twips) { return qRound(static_cast<double>(twips) / kTwipsPerPixel); }

}  // namespace tarnwick
