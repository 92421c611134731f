#pragma once

#include "clean/luma_plane.h"

namespace tamsolo {

// The largest turn the search considers and the smallest it reports, in degrees.
inline constexpr double kMaxSkew = 3.0;
inline constexpr double kLeastSkew = 0.02;

// The angle, in degrees, by which a scan shows its page's long straight lines (panel borders,
// text columns, the paper's edges) turned: the scan's point q shows the straight page's point s
// with q - c = R(angle) (s - c) about the centre c, R(a) = ((cos a, -sin a), (sin a, cos a)),
// x right and y down. 0 when the page has no clear lines or the turn is under kLeastSkew.
// Single-threaded with sums in a fixed order, so the same plane always gives the same angle.
double EstimateSkew(const LumaPlane& luma);

}  // namespace tamsolo
