// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangeCycle.h"

ChangeCycle::ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                         DesktopBackend& desktop, Prompter& prompter, RandomSource& random, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_images(images)
    , m_file(file)
    , m_appFolder(std::move(appFolder))
    , m_desktop(desktop)
    , m_prompter(prompter)
    , m_random(random)
{
}

void ChangeCycle::ChangeWallpaper(const QString& orderMode)
{
    Q_UNUSED(orderMode);
}
