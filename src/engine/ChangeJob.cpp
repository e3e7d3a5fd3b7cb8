// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeJob.h"

#include "BitmapWriter.h"
#include "DesktopBackend.h"

#include <QDeadlineTimer>
#include <QThread>

ChangeJob::ChangeJob(Order order, FileSystem& files, DesktopBackend& desktop)
    : m_order(std::move(order)), m_files(files), m_desktop(desktop)
{}

ChangeReport ChangeJob::run(const std::atomic_bool& abandon) const
{
    if (abandon)
        return {ChangeReport::Outcome::Abandoned, {}};
    if (const std::optional<QString> failure = saveBitmap())
        return {ChangeReport::Outcome::Failed, *failure};
    if (!settle(abandon))
        return {ChangeReport::Outcome::Abandoned, {}};
    QString style =
        m_order.composition.displayType == 1 ? QStringLiteral("Center") : QStringLiteral("Stretch");
    const ApplyResult result = m_desktop.apply(m_order.bitmapPath, style);
    if (!result.ok)
        return {ChangeReport::Outcome::Failed,
                QStringLiteral("The wallpaper could not be set: %1").arg(result.reason)};
    return {ChangeReport::Outcome::Applied, {}};
}

std::optional<QString> ChangeJob::saveBitmap() const
{
    QString saveError;
    QString unusableFallback;
    BitmapWriter writer(m_files);
    bool saved = false;
    if (writer.begin(m_order.bitmapPath, &saveError)) {
        const WallpaperComposer composer(m_order.screen, m_order.composition);
        std::optional<QImage> bitmap =
            composer.composeFile(m_files, m_order.picturePath, m_order.caption, nullptr, &writer);
        if (!bitmap) {
            QString reason;
            bitmap = composer.composeFile(m_files, m_order.fallbackPath, m_order.caption, &reason, &writer);
            if (!bitmap)
                unusableFallback = QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, reason);
        }
        saved = bitmap && !bitmap->isNull() && writer.finish(*bitmap, &saveError);
    }
    if (saved)
        return std::nullopt;
    if (!saveError.isEmpty())
        return QStringLiteral("%1 The wallpaper was not changed.").arg(saveError);
    return QStringLiteral(
               "Error 100: Cannot process image correct. If this keeps happening, please report it "
               "to the Tessaly developers together with the picture that was being shown.") +
           unusableFallback;
}

bool ChangeJob::settle(const std::atomic_bool& abandon) const
{
    // Short naps, so that a program told to end does not wait out the rest.
    constexpr int NapMs = 20;
    const QDeadlineTimer rested(m_order.settleMs);
    while (!rested.hasExpired()) {
        if (abandon)
            return false;
        QThread::msleep(qMin<qint64>(NapMs, rested.remainingTime()));
    }
    return !abandon;
}
