// SPDX-License-Identifier: GPL-3.0-or-later
#include "FreshBitmapCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <system_error>

void FreshBitmapCopy::begin(const QString& bitmapPath, const QString& folder)
{
    const QFileInfo source(bitmapPath);
    m_begun = true;
    m_target = QDir(folder.isEmpty() ? source.absolutePath() : folder);
    m_baseName = source.completeBaseName();
    m_suffix = source.suffix().isEmpty() ? QString() : QStringLiteral(".") + source.suffix();
    m_previous.clear();
    // One numbering for the whole bitmap and every part: a name is never handed out twice, even when the
    // monitors change and the copies of the other kind are all gone.
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(m_baseName) +
        QStringLiteral("-(?:[A-Za-z0-9_]*[A-Za-z_][A-Za-z0-9_]*-)?(\\d{1,18})") +
        QRegularExpression::escape(m_suffix)));
    qulonglong highest = 0;
    for (const QString& name : m_target.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        // After a successful change only the copies on screen are left. More are left by a run killed while
        // the desktop took its copy, and any of them may be on screen: they stay until a change is applied.
        m_previous.append(m_target.absoluteFilePath(name));
        highest = std::max(highest, match.captured(1).toULongLong());
    }
    m_number = highest + 1;
}

QString FreshBitmapCopy::path(const QString& part) const
{
    const QString middle = part.isEmpty() ? QString() : part + QLatin1Char('-');
    return m_target.absoluteFilePath(m_baseName + QLatin1Char('-') + middle + QString::number(m_number) +
                                     m_suffix);
}

QString FreshBitmapCopy::prepare(const QString& bitmapPath, QString& error, const QString& folder)
{
    m_begun = false;
    if (!QFileInfo(bitmapPath).isFile()) {
        error = QStringLiteral("the wallpaper bitmap %1 cannot be found")
                    .arg(QDir::toNativeSeparators(bitmapPath));
        return {};
    }
    begin(bitmapPath, folder);
    const QString fresh = path();
    // The bitmap is always replaced by a rename, never rewritten in place, so a second link to it keeps
    // this change's picture and costs neither the copy's time nor its disk space.
    std::error_code linkError;
    std::filesystem::create_hard_link(QFile::encodeName(bitmapPath).toStdString(),
                                      QFile::encodeName(fresh).toStdString(), linkError);
    if (linkError) {
        QFile copy(bitmapPath);
        if (!copy.copy(fresh)) {
            m_begun = false;
            error = QStringLiteral("cannot copy the wallpaper bitmap to %1: %2")
                        .arg(QDir::toNativeSeparators(fresh), copy.errorString());
            return {};
        }
    }
    return fresh;
}

void FreshBitmapCopy::finish(bool applied)
{
    // After a failure every copy stays: the desktop may show the new one when only a later step failed,
    // and a name it was handed once must not come again.
    if (applied && m_begun) {
        for (const QString& copy : std::as_const(m_previous))
            QFile::remove(copy);
    }
    m_begun = false;
    m_previous.clear();
}
