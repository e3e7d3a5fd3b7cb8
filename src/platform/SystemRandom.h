// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RandomSource.h"

#include <QRandomGenerator>

class SystemRandom final : public RandomSource
{
public:
    void randomize() override;
    float next() override;

private:
    QRandomGenerator m_generator;
};
