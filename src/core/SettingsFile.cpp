// SPDX-License-Identifier: GPL-3.0-or-later
// Interim implementation: whole file parsed per call, written in place. To be replaced.
#include "SettingsFile.h"

#include <QFile>

class SettingsFile::Private
{
public:
    QString path;
    QString error;
};

namespace {

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

} // namespace

SettingsFile::SettingsFile(QString path) : d(std::make_unique<Private>())
{
    d->path = std::move(path);
}

SettingsFile::~SettingsFile() = default;

QString SettingsFile::path() const
{
    return d->path;
}

QString SettingsFile::read(const QString& section, const QString& key)
{
    QString current;
    for (const QString& raw : readLines(d->path)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            current = line.mid(1, line.indexOf(QLatin1Char(']')) - 1).trimmed();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && current.compare(section, Qt::CaseInsensitive) == 0 &&
            line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QStringList SettingsFile::read(const QString& section, const QStringList& keys)
{
    QStringList values;
    values.reserve(keys.size());
    for (const QString& key : keys)
        values.append(read(section, key));
    return values;
}

bool SettingsFile::write(const QString& section, const QString& key, const QString& value)
{
    return apply({IniEdit::write(section, key, value)});
}

bool SettingsFile::removeSection(const QString& section)
{
    return apply({IniEdit::removeSection(section)});
}

bool SettingsFile::apply(const QList<IniEdit>& edits)
{
    Q_UNUSED(edits);
    d->error = QStringLiteral("not implemented");
    return false;
}

QString SettingsFile::errorString() const
{
    return d->error;
}
