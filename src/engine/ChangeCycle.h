// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class DesktopBackend;
class LoadedImages;
class Prompter;
class RandomSource;
class SettingsFile;
struct Settings;

/** One wallpaper change after another: choose, compose, caption, save, apply, record. */
class ChangeCycle : public QObject
{
    Q_OBJECT

public:
    ChangeCycle(Settings& settings, LoadedImages& images, SettingsFile& file, QString appFolder,
                DesktopBackend& desktop, Prompter& prompter, RandomSource& random, QObject* parent = nullptr);

    /** Changes the wallpaper; `orderMode` is "0" list order, "1" random, anything else: same picture. */
    void ChangeWallpaper(const QString& orderMode);

private:
    Settings& m_settings;
    LoadedImages& m_images;
    SettingsFile& m_file;
    QString m_appFolder;
    DesktopBackend& m_desktop;
    Prompter& m_prompter;
    RandomSource& m_random;
};
