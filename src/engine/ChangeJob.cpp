// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeJob.h"

#include "BitmapWriter.h"
#include "DecodeDeadline.h"
#include "DesktopBackend.h"

#include <QDeadlineTimer>
#include <QThread>

ChangeJob::ChangeJob(Order order, FileSystem& files, DesktopBackend& desktop)
    : m_order(std::move(order)), m_files(files), m_desktop(desktop)
{}

ChangeReport ChangeJob::run(const std::atomic_bool& abandon) const
{
    if (abandon)
        return {ChangeReport::Outcome::Abandoned, {}, {}};
    QString notice;
    const QString caption = ShownCaption::text(m_order.caption, m_files);
    if (const std::optional<QString> failure = saveBitmap(abandon, caption, &notice))
        return {abandon ? ChangeReport::Outcome::Abandoned : ChangeReport::Outcome::Failed, *failure, {}};
    if (!settle(abandon))
        return {ChangeReport::Outcome::Abandoned, {}, {}};
    // A bitmap the size of the screen (stretched, filled, fitted, tiled, or centred on it) fills it 1:1.
    const bool centred = m_order.composition.displayType == CheckedSettings::DisplayType::Centre &&
                         !m_order.composition.centreOnScreen;
    const WallpaperStyle style = spansMonitors() ? WallpaperStyle::Span
                                 : centred       ? WallpaperStyle::Center
                                                 : WallpaperStyle::Stretch;
    const ApplyResult result = m_desktop.apply(m_order.bitmapPath, style, m_order.monitors);
    if (!result.ok)
        return {ChangeReport::Outcome::Failed,
                QStringLiteral("The wallpaper could not be set: %1").arg(result.reason),
                {}};
    return {ChangeReport::Outcome::Applied, notice, caption};
}

bool ChangeJob::spansMonitors() const
{
    return m_order.monitors.size() > 1 && m_desktop.spans();
}

std::optional<QImage> ChangeJob::composeDesktop(const std::atomic_bool& abandon, const QString& caption,
                                                QString* unusable) const
{
    const DesktopComposer composer(m_order.monitors, m_order.composition, m_order.screens);
    QString reason;
    QList<DesktopComposer::Picture> pictures{{m_order.picturePath, caption}};
    for (const ShownCaption::Source& other : m_order.others)
        pictures.append({other.path, ShownCaption::text(other, m_files)});
    std::optional<QImage> bitmap =
        composer.composeFiles(m_files, pictures, m_order.fallbackPath, &reason, DecodeDeadline(&abandon));
    if (!bitmap)
        *unusable = QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, reason);
    return bitmap;
}

std::optional<QImage> ChangeJob::composeScreen(const std::atomic_bool& abandon, const QString& caption,
                                               BitmapWriter& writer, QString* notice, QString* unusable) const
{
    const WallpaperComposer composer(m_order.screen, m_order.composition);
    const DecodeDeadline pictureDeadline(&abandon);
    QString reason;
    std::optional<QImage> bitmap =
        composer.composeFile(m_files, m_order.picturePath, caption, &reason, &writer, pictureDeadline);
    // A picture that cannot be read shows the fallback, as always; one that took too long is told,
    // since nothing else would say why a good-looking file did not show.
    if (!bitmap && pictureDeadline.expired() && !abandon)
        *notice = QStringLiteral("%1: %2").arg(m_order.picturePath, reason);
    if (!bitmap && !abandon) {
        bitmap = composer.composeFile(m_files, m_order.fallbackPath, caption, &reason, &writer,
                                      DecodeDeadline(&abandon));
        if (!bitmap)
            *unusable = QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, reason);
    }
    return bitmap;
}

std::optional<QString> ChangeJob::saveBitmap(const std::atomic_bool& abandon, const QString& caption,
                                             QString* notice) const
{
    QString saveError;
    QString unusableFallback;
    BitmapWriter writer(m_files);
    bool saved = false;
    if (writer.begin(m_order.bitmapPath, &saveError)) {
        const std::optional<QImage> bitmap =
            spansMonitors() ? composeDesktop(abandon, caption, &unusableFallback)
                            : composeScreen(abandon, caption, writer, notice, &unusableFallback);
        saved = !abandon && bitmap && !bitmap->isNull() && writer.finish(*bitmap, &saveError);
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
