// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeJob.h"

#include "BitmapWriter.h"
#include "DecodeDeadline.h"
#include "FileSystem.h"
#include "FreshBitmapCopy.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

Failure notProcessed(const QString& unusable = {})
{
    return Failure::because(
        QStringLiteral("Error 100: Cannot process image correct. If this keeps happening, please report it "
                       "to the Tessaly developers together with the picture that was being shown.") +
        unusable);
}

Failure notSaved(const Failure& failure)
{
    return {failure.kind, QStringLiteral("%1 The wallpaper was not changed.").arg(failure.reason)};
}

Failure notSet(const Failure& failure)
{
    return failure.prefixed(QStringLiteral("The wallpaper could not be set: "));
}

} // namespace

ChangeJob::ChangeJob(Order order, FileSystem& files, DesktopBackend& desktop)
    : m_order(std::move(order)), m_files(files), m_desktop(desktop)
{}

ChangeReport ChangeJob::run(const std::atomic_bool& abandon) const
{
    if (abandon)
        return {ChangeReport::Outcome::Abandoned, {}, {}};
    QString notice;
    const QString caption = ShownCaption::text(m_order.caption, m_files);
    FreshBitmapCopy fresh(m_files);
    const Result<Handed> handed = writeFiles(abandon, caption, fresh, &notice);
    if (!handed)
        return {
            abandon ? ChangeReport::Outcome::Abandoned : ChangeReport::Outcome::Failed, handed.reason(), {}};
    if (!settle(abandon))
        return {ChangeReport::Outcome::Abandoned, {}, {}};
    const Result<> applied = m_desktop.apply(handed->files, handed->style, m_order.monitors);
    fresh.finish(applied.ok());
    if (!applied)
        return {ChangeReport::Outcome::Failed, notSet(applied.failure()).reason, {}};
    // Each monitor shows its own file: a bitmap left from a change before is no wallpaper any more.
    if (handed->parts)
        (void)m_files.remove(m_order.bitmapPath); // an outdated one left behind shows nowhere
    return {ChangeReport::Outcome::Applied, notice, caption};
}

ChangeJob::Layout ChangeJob::layout() const
{
    if (m_order.monitors.size() <= 1)
        return Layout::Primary;
    switch (m_desktop.takes()) {
    case DesktopBackend::Takes::SpannedBitmap:
        return Layout::Spanned;
    case DesktopBackend::Takes::FilePerMonitor:
        return Layout::Parts;
    case DesktopBackend::Takes::OneBitmap:
        break;
    }
    return Layout::Primary;
}

Result<ChangeJob::Handed> ChangeJob::writeFiles(const std::atomic_bool& abandon, const QString& caption,
                                                FreshBitmapCopy& fresh, QString* notice) const
{
    const Layout how = layout();
    const Result<std::optional<QString>> folder = m_desktop.freshFolder(m_order.bitmapPath);
    if (!folder)
        return notSet(folder.failure());
    if (how == Layout::Parts) {
        if (Result<> begun = fresh.begin(m_order.bitmapPath, folder->value_or(QString())); !begun)
            return notSet(begun.failure());
        // Each part written once, straight under the name the desktop is handed.
        const QStringList paths = fresh.partPaths(m_order.monitors);
        if (Result<> saved = saveParts(abandon, caption, paths); !saved)
            return saved.failure();
        return Handed{paths, WallpaperStyle::Stretch, true};
    }

    if (Result<> saved = saveBitmap(abandon, caption, how == Layout::Spanned, notice); !saved)
        return saved.failure();
    // A bitmap the size of the screen (stretched, filled, fitted, tiled, or centred on it) fills it 1:1.
    const bool centred = m_order.composition.displayType == CheckedSettings::DisplayType::Centre &&
                         !m_order.composition.centreOnScreen;
    const WallpaperStyle style = how == Layout::Spanned ? WallpaperStyle::Span
                                 : centred              ? WallpaperStyle::Center
                                                        : WallpaperStyle::Stretch;
    // Begun either way: copies from before go once this change shows, parts of an earlier one too.
    if (Result<> begun = fresh.begin(m_order.bitmapPath, folder->value_or(QString())); !begun)
        return notSet(begun.failure());
    if (!folder->has_value())
        return Handed{{m_order.bitmapPath}, style};
    const Result<QString> linked = fresh.link();
    if (!linked)
        return notSet(linked.failure());
    return Handed{{*linked}, style};
}

QList<DesktopComposer::Picture> ChangeJob::pictures(const QString& caption) const
{
    QList<DesktopComposer::Picture> pictures{{m_order.picturePath, caption}};
    for (const ShownCaption::Source& other : m_order.others)
        pictures.append({other.path, ShownCaption::text(other, m_files)});
    return pictures;
}

Result<QImage> ChangeJob::composeDesktop(const std::atomic_bool& abandon, const QString& caption) const
{
    const DesktopComposer composer(m_order.monitors, m_order.composition, m_order.screens);
    Result<QImage> bitmap =
        composer.composeFiles(m_files, pictures(caption), m_order.fallbackPath, DecodeDeadline(&abandon));
    if (!bitmap)
        return notProcessed(QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, bitmap.reason()));
    return bitmap;
}

Result<QImage> ChangeJob::composeScreen(const std::atomic_bool& abandon, const QString& caption,
                                        BitmapWriter& writer, QString* notice) const
{
    const WallpaperComposer composer(m_order.screen, m_order.composition);
    const DecodeDeadline pictureDeadline(&abandon);
    Result<QImage> bitmap =
        composer.composeFile(m_files, m_order.picturePath, caption, &writer, pictureDeadline);
    if (bitmap || abandon)
        return bitmap;
    // A picture that cannot be read shows the fallback, as always; one that took too long is told,
    // since nothing else would say why a good-looking file did not show.
    if (pictureDeadline.expired())
        *notice = QStringLiteral("%1: %2").arg(m_order.picturePath, bitmap.reason());
    bitmap = composer.composeFile(m_files, m_order.fallbackPath, caption, &writer, DecodeDeadline(&abandon));
    if (!bitmap)
        return notProcessed(QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, bitmap.reason()));
    return bitmap;
}

Result<> ChangeJob::saveBitmap(const std::atomic_bool& abandon, const QString& caption, bool spanned,
                               QString* notice) const
{
    BitmapWriter writer(m_files);
    if (Result<> begun = writer.begin(m_order.bitmapPath); !begun)
        return notSaved(begun.failure());
    const Result<QImage> bitmap =
        spanned ? composeDesktop(abandon, caption) : composeScreen(abandon, caption, writer, notice);
    if (abandon || !bitmap || bitmap->isNull())
        return bitmap ? notProcessed() : bitmap.failure();
    if (Result<> saved = writer.finish(*bitmap); !saved)
        return notSaved(saved.failure());
    return {};
}

Result<> ChangeJob::saveParts(const std::atomic_bool& abandon, const QString& caption,
                              const QStringList& paths) const
{
    const DesktopComposer composer(m_order.monitors, m_order.composition, m_order.screens);
    const QList<DesktopComposer::Picture> shown = pictures(caption);
    const DecodeDeadline deadline(&abandon);
    const auto unusable = [this](const Failure& failure) {
        return notProcessed(QStringLiteral("\n\n%1: %2").arg(m_order.fallbackPath, failure.reason));
    };
    // One picture across them all is made whole, and each part written from it.
    if (m_order.screens == CheckedSettings::Screens::Span) {
        const Result<QImage> desktop = composer.composeFiles(m_files, shown, m_order.fallbackPath, deadline);
        if (!desktop)
            return unusable(desktop.failure());
        for (qsizetype i = 0; i < paths.size(); ++i) {
            if (abandon || desktop->isNull())
                return notProcessed();
            if (Result<> saved = BitmapWriter::write(composer.partOf(*desktop, i), paths.at(i), m_files);
                !saved)
                return notSaved(saved.failure());
        }
        return {};
    }
    // Otherwise one part at a time, its rows written as they are made; monitors alike share one.
    QImage made;
    qsizetype madeFor = -1;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        BitmapWriter writer(m_files);
        if (Result<> begun = writer.begin(paths.at(i)); !begun)
            return notSaved(begun.failure());
        if (madeFor < 0 || !composer.sameParts(i, madeFor, shown)) {
            made = QImage(); // the last part's buffer goes before the next one is made
            Result<QImage> part =
                composer.composePart(i, m_files, shown, m_order.fallbackPath, &writer, deadline);
            if (!part)
                return unusable(part.failure());
            made = std::move(part).value();
            madeFor = i;
        }
        if (abandon || made.isNull())
            return notProcessed();
        if (Result<> saved = writer.finish(made); !saved)
            return notSaved(saved.failure());
    }
    return {};
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
