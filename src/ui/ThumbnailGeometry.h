// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/** Where a picture goes in the thumbnail box; all values in twips. */
struct ThumbnailPlacement
{
    int x = 0;
    int y = 0;
    double width = 0;
    double height = 0;
};

/**
 * Fits a picture into the thumbnail box: shrunk by 0.9 per step until it is strictly smaller than
 * the box both ways (never enlarged), then centred with the offsets rounded half to even.
 */
class ThumbnailGeometry
{
public:
    static constexpr int BoxWidth = 3375;
    static constexpr int BoxHeight = 1815;
    static constexpr double ShrinkStep = 0.9;

    /** `width` and `height` are the picture's natural size in twips. */
    static ThumbnailPlacement fit(float width, float height);
};
