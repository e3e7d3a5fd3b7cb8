// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "AtomicFileWriter.h"
#include "FileSystem.h"
#include "IniDocument.h"
#include "IniEncoding.h"
#include "IniSyntax.h"

#include <cerrno>

class SettingsFile::Private
{
public:
    Private(QString path, FileSystem& fs) : path(std::move(path)), fs(fs), writer(fs) {}

    void refresh();
    QString editProblem(const IniEdit& edit) const;
    bool save();

    QString path;
    FileSystem& fs;
    AtomicFileWriter writer;
    QString error;
    IniDocument doc;
    FileStamp stamp;
    bool loaded = false;
    int readError = 0;
    bool converted = false;
};

void SettingsFile::Private::refresh()
{
    FileStamp now;
    const int statError = fs.stat(path, &now);
    if (loaded && statError == 0 && now == stamp)
        return;
    if (loaded && statError == ENOENT && !stamp.exists)
        return;

    doc = IniDocument();
    stamp = FileStamp{};
    converted = false;
    loaded = false;
    readError = statError == ENOENT ? 0 : statError;
    if (statError == 0 && !now.regular)
        readError = EISDIR;
    QByteArray bytes;
    if (statError == 0 && !readError)
        readError = fs.readFile(path, &bytes);
    if (readError)
        return; // tried again at the next call
    doc = IniDocument::parse(IniEncoding::toUtf8(bytes, &converted));
    stamp = now;
    loaded = true;
}

QString SettingsFile::Private::editProblem(const IniEdit& edit) const
{
    QString key = edit.key;
    QString problem = IniSyntax::sectionProblem(edit.section);
    if (problem.isEmpty() && edit.kind == IniEdit::Kind::Write) {
        problem = IniSyntax::keyProblem(edit.key);
        if (problem.isEmpty())
            problem = IniSyntax::valueProblem(edit.value);
    }
    for (qsizetype i = 0; problem.isEmpty() && i < edit.utf8Values.size(); ++i) {
        problem = IniSyntax::valueProblem(QByteArrayView(edit.utf8Values[i]));
        if (!problem.isEmpty())
            key = QString::number(i);
    }
    if (problem.isEmpty())
        return {};
    return QStringLiteral("Did not write [%1] %2 to %3: %4.")
        .arg(edit.section.simplified(), key.simplified(), path, problem);
}

bool SettingsFile::Private::save()
{
    const QString target = writer.resolve(path);
    const QByteArray text = doc.serialise();
    if (target.isEmpty() || !writer.replace(target, text)) {
        error = writer.errorString();
        loaded = false;
        return false;
    }
    if (fs.stat(path, &stamp) != 0)
        loaded = false;
    // Read back as saved: the text then sits in one buffer, however many lines were written.
    doc = IniDocument::parse(text);
    converted = false;
    return true;
}

SettingsFile::SettingsFile(QString path, FileSystem& fs) : d(std::make_unique<Private>(std::move(path), fs))
{}

SettingsFile::~SettingsFile() = default;

QString SettingsFile::path() const
{
    return d->path;
}

QString SettingsFile::read(const QString& section, const QString& key)
{
    d->refresh();
    return d->doc.value(section, key);
}

QByteArrayList SettingsFile::readList(const QString& section, int count)
{
    d->refresh();
    return d->doc.listValues(section, count);
}

bool SettingsFile::write(const QString& section, const QString& key, const QString& value)
{
    return apply({IniEdit::write(section, key, value)});
}

bool SettingsFile::apply(const QList<IniEdit>& edits)
{
    for (const IniEdit& edit : edits) {
        d->error = d->editProblem(edit);
        if (!d->error.isEmpty())
            return false;
    }
    d->refresh();
    if (d->readError) {
        d->error =
            QStringLiteral("Could not read %1: %2. Nothing was written, so that its contents are not lost.")
                .arg(d->path, qt_error_string(d->readError));
        return false;
    }
    bool changed = false;
    for (const IniEdit& edit : edits)
        changed |= d->doc.apply(edit);
    // A Windows-1252 file becomes UTF-8 at its first write, even one that changes no text.
    if (!changed && !(d->converted && d->stamp.exists))
        return true;
    return d->save();
}

QString SettingsFile::errorString() const
{
    return d->error;
}

int SettingsFile::removeStaleTemporaries()
{
    return AtomicFileWriter::removeStaleTemporaries(d->fs, d->path);
}
