// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlternatingBitmapPath.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString AlternatingBitmapPath::prepare(const QString& bitmapPath, QString& error, const QString& folder)
{
    const QFileInfo source(bitmapPath);
    if (!source.isFile()) {
        error = QStringLiteral("the wallpaper bitmap %1 cannot be found")
                    .arg(QDir::toNativeSeparators(bitmapPath));
        return {};
    }
    const QDir target(folder.isEmpty() ? source.absolutePath() : folder);
    const QString suffix = source.suffix().isEmpty() ? QString() : QStringLiteral(".") + source.suffix();
    const QString nameA = target.absoluteFilePath(source.completeBaseName() + QStringLiteral("-a") + suffix);
    const QString nameB = target.absoluteFilePath(source.completeBaseName() + QStringLiteral("-b") + suffix);

    // The name that exists is the one on screen. Both exist after a failed change: the newer copy is the
    // one the desktop most likely never took, as most failures happen before the file is set.
    const QFileInfo a(nameA);
    const QFileInfo b(nameB);
    const bool aInUse = a.exists() && (!b.exists() || a.lastModified() < b.lastModified());
    m_fresh = aInUse ? nameB : nameA;
    m_previous = aInUse ? nameA : nameB;

    QFile::remove(m_fresh);
    QFile copy(bitmapPath);
    if (!copy.copy(m_fresh)) {
        error = QStringLiteral("cannot copy the wallpaper bitmap to %1: %2")
                    .arg(QDir::toNativeSeparators(m_fresh), copy.errorString());
        m_fresh.clear();
        return {};
    }
    copy.setFileName(m_fresh);
    if (copy.open(QIODevice::ReadWrite))
        copy.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return m_fresh;
}

void AlternatingBitmapPath::finish(bool applied)
{
    // After a failure both names stay: the desktop may already show the copy when only a later step failed.
    if (applied && !m_previous.isEmpty())
        QFile::remove(m_previous);
    m_fresh.clear();
    m_previous.clear();
}
