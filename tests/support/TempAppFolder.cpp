// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempAppFolder.h"

#include <QFile>

QString TempAppFolder::folder() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TempAppFolder::file(const QString& name) const
{
    return folder() + name;
}

QString TempAppFolder::settingsPath() const
{
    return file(QStringLiteral("tessdesk.ini"));
}

void TempAppFolder::writeSettings(const QByteArray& bytes) const
{
    QFile f(settingsPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test settings file");
}

QByteArray TempAppFolder::readSettings() const
{
    QFile f(settingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TempAppFolder::seedShippedData() const
{
    const QString data = QStringLiteral(TESSALY_DATA_SOURCE_DIR "/");
    for (const char* name : {"tessdesk.ini", "badimage.bmp", "image1.gif", "image2.gif"}) {
        const QString target = file(QLatin1String(name));
        QFile::remove(target);
        if (!QFile::copy(data + QLatin1String(name), target))
            qFatal("cannot copy shipped data file %s", name);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}
