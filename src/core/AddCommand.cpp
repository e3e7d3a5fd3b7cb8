// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddCommand.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

const QString kRefused = QStringLiteral("refused ");

} // namespace

QStringList AddCommand::commands(const QStringList& paths, int maxBytes, QList<Refusal>* tooLong,
                                 const QString& name)
{
    QStringList result;
    QString current;
    for (const QString& path : paths) {
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(path));
        if (name.size() + 1 + encoded.size() > maxBytes) {
            if (tooLong)
                tooLong->append({path, QStringLiteral("the name is too long to send")});
            continue;
        }
        if (!current.isEmpty() && current.size() + 1 + encoded.size() > maxBytes) {
            result << current;
            current.clear();
        }
        current += (current.isEmpty() ? name : QString()) + QLatin1Char(' ') + encoded;
    }
    if (!current.isEmpty())
        result << current;
    return result;
}

bool AddCommand::parse(const QString& command, QStringList* paths, const QString& name)
{
    if (command != name && !command.startsWith(name + QLatin1Char(' ')))
        return false;
    const QStringList words = command.mid(name.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words)
        paths->append(QUrl::fromPercentEncoding(word.toLatin1()));
    return true;
}

QString AddCommand::replyBody(const Outcome& outcome)
{
    QString body = summary(outcome) + QLatin1Char('\n');
    for (const Refusal& refusal : outcome.refused)
        body += kRefused + QString::fromLatin1(QUrl::toPercentEncoding(refusal.path)) + QLatin1Char(' ') +
                refusal.reason + QLatin1Char('\n');
    return body;
}

QString AddCommand::summary(const Outcome& outcome)
{
    return QStringLiteral("added %1, already in the list %2").arg(outcome.added).arg(outcome.already);
}

void AddCommand::addReply(const QString& reply, Outcome& total)
{
    if (!reply.startsWith(QLatin1String("ok\n"))) {
        total.error = reply.startsWith(QLatin1String("error: ")) ? reply.mid(7).trimmed() : reply.trimmed();
        return;
    }
    static const QRegularExpression counts(QStringLiteral("^added (\\d+), already in the list (\\d+)$"));
    for (const QString& line : reply.mid(3).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (const QRegularExpressionMatch match = counts.match(line); match.hasMatch()) {
            total.added += match.captured(1).toInt();
            total.already += match.captured(2).toInt();
        } else if (line.startsWith(kRefused)) {
            const QString rest = line.mid(kRefused.size());
            const qsizetype space = rest.indexOf(QLatin1Char(' '));
            total.refused.append(
                {QUrl::fromPercentEncoding(rest.left(space).toLatin1()), rest.mid(space + 1)});
        }
    }
}
