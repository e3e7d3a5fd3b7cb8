// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

/**
 * A caption that may hold words in braces, such as "{name}", replaced when the caption is drawn. "{{"
 * and "}}" stand for one brace each; a word the caller does not know is kept as typed, braces and all.
 */
class CaptionTemplate
{
public:
    /** The value of a word in braces, or nothing when the word is not known. */
    using Lookup = std::function<std::optional<QString>(QStringView word)>;

    /** `text` with each known word replaced; each word is looked up only where it occurs. */
    static QString expand(const QString& text, const Lookup& lookup);
};
