// SPDX-License-Identifier: MIT
#include "interaction/trackball_coordinates.h"

std::optional<TrackballPoint> trackballCoordinates(int x, int y, int width, int height) {
    // A minimised window (0) or a single pixel column or row (1) has no span
    // to map onto [-1, 1].
    if (width < 2 || height < 2) {
        return std::nullopt;
    }
    const double bottomUpY = double(height) - y - 1.0;
    const double u = 2.0 * x / (width - 1.0) - 1.0;
    const double v = 2.0 * bottomUpY / (height - 1.0) - 1.0;
    return TrackballPoint{static_cast<float>(u), static_cast<float>(v)};
}
