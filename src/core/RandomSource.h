// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/** A uniform random generator that is re-seeded from the clock before each use. */
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    /** Re-seeds the generator from the clock. */
    virtual void randomize() = 0;
    /** A uniform number r with 0 <= r < 1, in single precision. */
    virtual float next() = 0;
};
