// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeCycle.h"

#include "ApplicationFolder.h"
#include "BitmapWriter.h"
#include "DesktopBackend.h"
#include "EventWait.h"
#include "LoadedImages.h"
#include "Prompter.h"
#include "RandomSource.h"
#include "ScreenInfo.h"
#include "SettingValue.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsSaveReport.h"
#include "WallpaperComposer.h"

#include <algorithm>
#include <cmath>

ChangeCycle::ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                         FileSystem& files, DesktopBackend& desktop, Prompter& prompter, RandomSource& random,
                         EventWait& wait, const ScreenInfo& screen, QObject* parent)
    : QObject(parent), m_settings(settings), m_images(images), m_file(file),
      m_appFolder(ApplicationFolder::withTrailingSeparator(appFolder)), m_files(files), m_desktop(desktop),
      m_prompter(prompter), m_random(random), m_wait(wait), m_screen(screen)
{}

bool ChangeCycle::ChangeWallpaper(const QString& orderMode)
{
    return run({orderMode});
}

std::optional<bool> ChangeCycle::showPrevious()
{
    // A picture since removed from the list is passed over for the one before it.
    while (const std::optional<ChangeHistory::Entry> earlier = m_history.stepBack()) {
        int position = earlier->position;
        if (position >= m_images.Count() || m_images.PathAt(position) != earlier->path) {
            position = -1;
            for (int i = 0; i < m_images.Count() && position < 0; ++i)
                position = m_images.PathAt(i) == earlier->path ? i : -1;
        }
        if (position >= 0)
            return run({QString(), position});
    }
    return std::nullopt;
}

void ChangeCycle::noteShownAtStart()
{
    if (const std::optional<int> position = shownPosition(m_images.Count()))
        m_history.record(*position, m_images.PathAt(*position));
}

std::optional<int> ChangeCycle::shownPosition(int count) const
{
    const std::optional<qint16> position = SettingValue::toInt16(m_settings.imageNum);
    if (position && *position >= 0 && *position < count)
        return *position;
    return std::nullopt;
}

bool ChangeCycle::run(const Request& request)
{
    // The wait before applying handles events, and a tick or a tray command may ask for a change
    // then; running it inside the first would mix two bitmaps and two index writes.
    if (m_stopped)
        return false;
    if (m_changing) {
        m_queued = request;
        return true;
    }
    m_changing = true;
    bool applied = false;
    std::optional<Request> next = request;
    while (next) {
        applied = changeOnce(*next);
        next = std::exchange(m_queued, std::nullopt);
    }
    m_changing = false;
    emit finished();
    return applied;
}

void ChangeCycle::stop()
{
    m_stopped = true;
    m_queued.reset();
}

QString ChangeCycle::nextIndex(const QString& orderMode, int count)
{
    if (orderMode == QLatin1String(ShuffleOrder::StoredValue)) {
        const std::optional<qint16> current = SettingValue::toInt16(m_settings.imageNum);
        return QString::number(m_shuffle.next(count, current.value_or(-1), m_random));
    }
    // An order mode that is not a number steps in list order; a number counts as the whole it rounds to.
    const qint16 mode = SettingValue::toInt16(orderMode).value_or(0);
    if (mode == 0) {
        const std::optional<double> current = SettingValue::toNumber(m_settings.imageNum);
        if (!current || *current >= count - 1)
            return QStringLiteral("0");
        const qint64 next = qint64(std::nearbyint(*current)) + 1;
        return QString::number(next < 0 ? 0 : next);
    }
    if (mode == 1) {
        // Any picture but the one on screen: draw among the others and step over it.
        const std::optional<int> current = shownPosition(count);
        const bool skip = count > 1 && current;
        const int choices = skip ? count - 1 : count;
        auto drawn =
            std::clamp<qint64>(qint64(std::floor(double(choices) * double(m_random.next()))), 0, choices - 1);
        if (skip && drawn >= *current)
            ++drawn;
        return QString::number(drawn);
    }
    return m_settings.imageNum;
}

bool ChangeCycle::changeOnce(const Request& request)
{
    m_random.randomize();
    const int count = m_images.Count();
    // Nothing to show: leave the desktop and the index as they are.
    if (count <= 0)
        return false;

    m_settings.imageNum =
        request.position >= 0 ? QString::number(request.position) : nextIndex(request.orderMode, count);
    const std::optional<int> position = shownPosition(count);
    const bool listed = position.has_value();
    const QString path = listed ? m_images.PathAt(*position) : QString();
    const QString caption = listed ? m_images.CaptionAt(*position) : QString();

    const std::optional<CompositionSettings> composition = CompositionSettings::fromSettings(m_settings);
    const QString bitmapPath = m_appFolder + QLatin1String(BitmapName);
    bool saved = false;
    QString saveError;
    QString unusableFallback;
    BitmapWriter writer(m_files);
    if (composition && writer.begin(bitmapPath, &saveError)) {
        const WallpaperComposer composer(m_screen.primary(), *composition);
        std::optional<QImage> bitmap = composer.composeFile(m_files, path, caption, nullptr, &writer);
        if (!bitmap) {
            const QString fallback = m_appFolder + QLatin1String(FallbackName);
            QString reason;
            bitmap = composer.composeFile(m_files, fallback, caption, &reason, &writer);
            if (!bitmap)
                unusableFallback = QStringLiteral("\n\n%1: %2").arg(fallback, reason);
        }
        saved = bitmap && !bitmap->isNull() && writer.finish(*bitmap, &saveError);
    }
    if (!saved) {
        m_prompter.tell(saveError.isEmpty()
                            ? QStringLiteral("Error 100: Cannot process image correct. If this keeps "
                                             "happening, please report it to the Tessaly developers together "
                                             "with the picture that was being shown.") +
                                  unusableFallback
                            : QStringLiteral("%1 The wallpaper was not changed.").arg(saveError),
                        PromptIcon::Exclamation);
        return false;
    }

    m_wait.wait(SettleMilliseconds);
    // A close request during the wait ends the program at once: nothing more is applied or written.
    if (m_stopped)
        return false;

    QString style = composition->displayType == 1 ? QStringLiteral("Center") : QStringLiteral("Stretch");
    const ApplyResult result = m_desktop.apply(bitmapPath, style);
    if (!result.ok) {
        m_prompter.tell(QStringLiteral("The wallpaper could not be set: %1").arg(result.reason),
                        PromptIcon::Exclamation);
        return false;
    }
    if (listed)
        m_history.record(*position, path);
    // The wallpaper did change; a failed record of it is told, and the change still counts.
    SettingsSaveReport::check(
        m_file.write(QStringLiteral("display"), QStringLiteral("imageNum"), m_settings.imageNum), m_file,
        m_prompter);
    return true;
}
