// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionTemplate.h"

QString CaptionTemplate::expand(const QString& text, const Lookup& lookup)
{
    // Most captions hold no brace and must come back byte for byte.
    if (!text.contains(u'{') && !text.contains(u'}'))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == c;
        if ((c == u'{' || c == u'}') && doubled) {
            shown += c;
            i += 2;
            continue;
        }
        if (c == u'{') {
            const qsizetype close = text.indexOf(u'}', i + 1);
            if (close > i) {
                if (const std::optional<QString> value =
                        lookup(QStringView(text).sliced(i + 1, close - i - 1))) {
                    shown += *value;
                    i = close + 1;
                    continue;
                }
            }
        }
        shown += c;
        ++i;
    }
    return shown;
}
