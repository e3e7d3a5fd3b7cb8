// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

/** A throw-away application folder, optionally holding a settings file with given bytes. */
class TempAppFolder
{
public:
    /** The folder with a trailing separator, as the program uses it. */
    QString folder() const;
    /** folder() + name. */
    QString file(const QString& name) const;
    /** Path of "tessdesk.ini" inside the folder. */
    QString settingsPath() const;
    void writeSettings(const QByteArray& bytes) const;
    QByteArray readSettings() const;
    /** Copies the shipped data files (settings, pictures) into the folder. */
    void seedShippedData() const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
