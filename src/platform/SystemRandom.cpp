// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemRandom.h"

#include <QDateTime>

void SystemRandom::randomize()
{
    m_generator.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
}

float SystemRandom::next()
{
    // generateDouble() can round up to 1.0f when narrowed; keep the result below 1.
    const float r = static_cast<float>(m_generator.generateDouble());
    return r < 1.0f ? r : 0.0f;
}
