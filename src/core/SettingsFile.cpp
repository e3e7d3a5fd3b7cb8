// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "IniEncoding.h"
#include "IniSyntax.h"

SettingsFile::SettingsFile(QString path, FileSystem& fs) : m_path(std::move(path)), m_fs(fs), m_writer(fs) {}

void SettingsFile::refresh()
{
    const Result<FileStamp> now = m_fs.stat(m_path);
    const bool missing = !now && now.failure().kind == FailureKind::NotFound;
    if (m_loaded && now && *now == m_stamp)
        return;
    if (m_loaded && missing && !m_stamp.exists)
        return;

    m_doc = IniDocument();
    m_stamp = FileStamp{};
    m_converted = false;
    m_loaded = false;
    m_readFailure.reset();
    QByteArray bytes;
    if (now && now->kind != FileKind::Regular) {
        m_readFailure = Failure::because(FileSystem::refusal(now->kind, "a plain file"));
    } else if (now) {
        Result<QByteArray> read = m_fs.readFile(m_path);
        if (read)
            bytes = std::move(read).value();
        else
            m_readFailure = read.failure();
    } else if (!missing) {
        m_readFailure = now.failure();
    }
    if (m_readFailure)
        return; // tried again at the next call
    m_doc = IniDocument::parse(IniEncoding::toUtf8(bytes, &m_converted));
    m_stamp = now ? *now : FileStamp{};
    m_loaded = true;
}

Result<> SettingsFile::checkEdit(const IniEdit& edit) const
{
    QString key = edit.key;
    QString problem = IniSyntax::sectionProblem(edit.section);
    if (problem.isEmpty() && edit.kind == IniEdit::Kind::Write) {
        problem = IniSyntax::keyProblem(edit.key);
        if (problem.isEmpty())
            problem = IniSyntax::valueProblem(edit.value.toUtf8());
    }
    for (qsizetype i = 0; problem.isEmpty() && i < edit.utf8Values.size(); ++i) {
        problem = IniSyntax::valueProblem(edit.utf8Values[i]);
        if (!problem.isEmpty())
            key = QString::number(i);
    }
    if (problem.isEmpty())
        return {};
    return Failure::because(QStringLiteral("Did not write [%1] %2 to %3: %4.")
                                .arg(edit.section.simplified(), key.simplified(), m_path, problem));
}

Result<> SettingsFile::save()
{
    const Result<QString> target = m_writer.resolve(m_path);
    const QByteArray text = m_doc.serialise();
    Result<> saved = target ? m_writer.replace(*target, text) : Result<>(target.failure());
    if (!saved) {
        m_loaded = false;
        return saved;
    }
    if (const Result<FileStamp> now = m_fs.stat(m_path))
        m_stamp = *now;
    else
        m_loaded = false;
    // Read back as saved: the text then sits in one buffer, however many lines were written.
    m_doc = IniDocument::parse(text);
    m_converted = false;
    return {};
}

QString SettingsFile::path() const
{
    return m_path;
}

QString SettingsFile::read(const QString& section, const QString& key)
{
    refresh();
    return m_doc.value(section, key);
}

QByteArrayList SettingsFile::readList(const QString& section, int count)
{
    refresh();
    return m_doc.listValues(section, count);
}

Result<> SettingsFile::write(const QString& section, const QString& key, const QString& value)
{
    return apply({IniEdit::write(section, key, value)});
}

Result<> SettingsFile::apply(const QList<IniEdit>& edits)
{
    for (const IniEdit& edit : edits) {
        if (Result<> checked = checkEdit(edit); !checked)
            return checked;
    }
    refresh();
    if (m_readFailure) {
        return Failure{
            m_readFailure->kind,
            QStringLiteral("Could not read %1: %2. Nothing was written, so that its contents are not lost.")
                .arg(m_path, m_readFailure->reason),
            m_path};
    }
    bool changed = false;
    for (const IniEdit& edit : edits)
        changed |= m_doc.apply(edit);
    // A Windows-1252 file becomes UTF-8 at its first write, even one that changes no text.
    if (!changed && !(m_converted && m_stamp.exists))
        return {};
    return save();
}

Result<> SettingsFile::usable()
{
    refresh();
    if (!m_readFailure)
        return {};
    return m_readFailure->prefixed(m_path + QStringLiteral(": "));
}

int SettingsFile::removeStaleTemporaries()
{
    return AtomicFileWriter::removeStaleTemporaries(m_fs, m_path);
}
