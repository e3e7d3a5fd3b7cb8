// SPDX-License-Identifier: GPL-3.0-or-later
#include "FreshBitmapCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <map>
#include <system_error>

QString FreshBitmapCopy::prepare(const QString& bitmapPath, QString& error, const QString& folder)
{
    m_fresh.clear();
    m_previous.clear();
    const QFileInfo source(bitmapPath);
    if (!source.isFile()) {
        error = QStringLiteral("the wallpaper bitmap %1 cannot be found")
                    .arg(QDir::toNativeSeparators(bitmapPath));
        return {};
    }
    const QDir target(folder.isEmpty() ? source.absolutePath() : folder);
    const QString suffix = source.suffix().isEmpty() ? QString() : QStringLiteral(".") + source.suffix();
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(source.completeBaseName()) + QStringLiteral("-(\\d{1,18})") +
        QRegularExpression::escape(suffix)));
    std::map<qulonglong, QString> copies; // by number
    for (const QString& name : target.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            copies.emplace(match.captured(1).toULongLong(), target.absoluteFilePath(name));
    }
    // After a successful change only the copy on screen is left. More are left by a run killed while the
    // desktop took its copy, and any of them may be on screen: they stay until a change is applied.
    for (const auto& copy : copies)
        m_previous.append(copy.second);

    const qulonglong number = copies.empty() ? 1 : copies.rbegin()->first + 1;
    const QString fresh =
        target.absoluteFilePath(source.completeBaseName() + QStringLiteral("-%1").arg(number) + suffix);
    // The bitmap is always replaced by a rename, never rewritten in place, so a second link to it keeps
    // this change's picture and costs neither the copy's time nor its disk space.
    std::error_code linkError;
    std::filesystem::create_hard_link(QFile::encodeName(bitmapPath).toStdString(),
                                      QFile::encodeName(fresh).toStdString(), linkError);
    if (linkError) {
        QFile copy(bitmapPath);
        if (!copy.copy(fresh)) {
            error = QStringLiteral("cannot copy the wallpaper bitmap to %1: %2")
                        .arg(QDir::toNativeSeparators(fresh), copy.errorString());
            return {};
        }
    }
    m_fresh = fresh;
    return m_fresh;
}

void FreshBitmapCopy::finish(bool applied)
{
    // After a failure every copy stays: the desktop may show the new one when only a later step failed,
    // and a name it was handed once must not come again.
    if (applied && !m_fresh.isEmpty()) {
        for (const QString& copy : std::as_const(m_previous))
            QFile::remove(copy);
    }
    m_fresh.clear();
    m_previous.clear();
}
