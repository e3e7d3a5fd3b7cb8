// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeRandom.h"

float FakeRandom::next()
{
    return m_values.isEmpty() ? 0.0f : m_values.takeFirst();
}
