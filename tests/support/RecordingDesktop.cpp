// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingDesktop.h"

ApplyResult RecordingDesktop::apply(const QString& bitmapPath, QString& style)
{
    m_applied.append({bitmapPath, style});
    if (!m_failure.isEmpty())
        return {false, m_failure};
    return {true, {}};
}
