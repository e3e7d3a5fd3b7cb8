// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingDesktop.h"

ApplyResult RecordingDesktop::applyStyleThenFile(const QString& bitmapPath, WallpaperStyle style)
{
    m_applied.append({bitmapPath, styleWord(style)});
    if (!m_failure.isEmpty())
        return {false, m_failure};
    return {true, {}};
}
