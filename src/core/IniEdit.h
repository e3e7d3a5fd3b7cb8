// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayList>
#include <QString>

/**
 * One change to the settings file: write a key, write a list, or remove a whole section. A list
 * travels as UTF-8, the form it is stored in, so that a long one is not converted on the way.
 */
struct IniEdit
{
    enum class Kind { Write, WriteList, RemoveSection };
    Kind kind = Kind::Write;
    QString section;
    QString key;
    QString value;
    QByteArrayList utf8Values;

    static IniEdit write(QString section, QString key, QString value)
    {
        return {Kind::Write, std::move(section), std::move(key), std::move(value), {}};
    }
    /** Writes the UTF-8 text utf8Values[i] under key "i", for each i in order. */
    static IniEdit writeList(QString section, QByteArrayList utf8Values)
    {
        return {Kind::WriteList, std::move(section), {}, {}, std::move(utf8Values)};
    }
    static IniEdit removeSection(QString section)
    {
        return {Kind::RemoveSection, std::move(section), {}, {}, {}};
    }
};
