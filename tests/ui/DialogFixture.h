// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakePrompter.h"
#include "TempAppFolder.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "core/SettingsSchema.h"
#include "platform/PosixFileSystem.h"

#include <QStringList>
#include <QWidget>

#include <memory>

/** A settings file with given bytes, the record read from it, and a stand-in main window. */
class DialogFixture
{
public:
    explicit DialogFixture(const QByteArray& ini)
    {
        folder.writeSettings(ini);
        file = std::make_unique<SettingsFile>(folder.settingsPath(), PosixFileSystem::instance());
        settings = SettingsSchema::readAll(*file);
        mainWindow.move(140, 90);
    }

    /** The key lines of a section as they stand in the file, in file order. */
    QStringList keyLines(const QString& section) const
    {
        QStringList lines;
        bool inside = false;
        for (const QByteArray& raw : folder.readSettings().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(u'['))
                inside = line == u'[' + section + u']';
            else if (inside && line.contains(u'='))
                lines.append(line);
        }
        return lines;
    }

    TempAppFolder folder;
    std::unique_ptr<SettingsFile> file;
    Settings settings;
    FakePrompter prompter;
    QWidget mainWindow;
};
