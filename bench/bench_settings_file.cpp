// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long the settings file takes to load and save picture lists of several sizes,
// and, for comparison, a save that rewrites the whole file for every key.
#include "IniDocument.h"
#include "LoadedImages.h"
#include "PosixFileSystem.h"
#include "SettingsFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

QString picturePath(int i)
{
    // about 80 characters, as a real picture path is
    return QStringLiteral("/home/someone/Pictures/Holidays/2019 Summer in the mountains/IMG_%1_edited.jpeg")
        .arg(i, 6, 10, QLatin1Char('0'));
}

/** The list saved as the program saves it: each section as one list edit. */
QList<IniEdit> listSaveAsLists(int entries)
{
    QByteArrayList paths;
    QByteArrayList captions;
    for (int i = 0; i < entries; ++i) {
        paths.append(picturePath(i).toUtf8());
        captions.append(QByteArrayLiteral("Caption number ") + QByteArray::number(i));
    }
    return {IniEdit::write("total", "total", QString::number(entries)), IniEdit::removeSection("images"),
            IniEdit::writeList("images", paths), IniEdit::removeSection("caption"),
            IniEdit::writeList("caption", captions)};
}

/** The same save as one edit per key, through the general form of a batch. */
QList<IniEdit> listSave(int entries)
{
    QList<IniEdit> edits{IniEdit::write("total", "total", QString::number(entries)),
                         IniEdit::removeSection("images")};
    for (int i = 0; i < entries; ++i)
        edits.append(IniEdit::write("images", QString::number(i), picturePath(i)));
    edits.append(IniEdit::removeSection("caption"));
    for (int i = 0; i < entries; ++i)
        edits.append(
            IniEdit::write("caption", QString::number(i), QStringLiteral("Caption number %1").arg(i)));
    return edits;
}

// The machine may be shared: CPU time of this thread is reported beside the wall-clock time.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuNs();
        m_faults = faults();
    }
    QByteArray figures() const
    {
        return QByteArray::number(double(m_wall.nsecsElapsed()) / 1e6, 'f', 2) + " ms (cpu " +
               QByteArray::number(double(cpuNs() - m_cpu) / 1e6, 'f', 2) + ", " +
               QByteArray::number(faults() - m_faults) + " page faults)";
    }

private:
    static long faults()
    {
        rusage usage;
        getrusage(RUSAGE_THREAD, &usage);
        return usage.ru_minflt;
    }
    static qint64 cpuNs()
    {
        timespec now;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
    long m_faults = 0;
};

void measureBatch(const QString& folder, int entries)
{
    const QString path = folder + QStringLiteral("/batch-%1.ini").arg(entries);
    const QList<IniEdit> lists = listSaveAsLists(entries);
    const QList<IniEdit> keys = listSave(entries);

    Stopwatch timer;
    SettingsFile keyWriter(folder + QStringLiteral("/batch-by-key-%1.ini").arg(entries),
                           PosixFileSystem::instance());
    if (!keyWriter.apply(keys))
        std::printf("save failed: %s\n", qPrintable(keyWriter.errorString()));
    const QByteArray saveByKey = timer.figures();

    timer.restart();
    SettingsFile writer(path, PosixFileSystem::instance());
    if (!writer.apply(lists))
        std::printf("save failed: %s\n", qPrintable(writer.errorString()));
    const QByteArray save = timer.figures();

    // as the start-up reads the list: the count, then each section at once
    timer.restart();
    SettingsFile reader(path, PosixFileSystem::instance());
    const int count = reader.read("total", "total").toInt();
    const QByteArrayList images = reader.readList("images", count);
    const QByteArrayList captions = reader.readList("caption", count);
    const QByteArray load = timer.figures();

    timer.restart();
    SettingsFile keyByKey(path, PosixFileSystem::instance());
    qsizetype characters = 0;
    for (int i = 0; i < count; ++i) {
        characters += keyByKey.read("images", QString::number(i)).size();
        characters += keyByKey.read("caption", QString::number(i)).size();
    }
    const QByteArray loadByKey = timer.figures();

    std::printf("%6d entries, %5.2f MB: load %s, save %s; save with an edit per key %s; load with read() per "
                "key %s\n",
                entries, double(QFileInfo(path).size()) / 1e6, load.constData(), save.constData(),
                saveByKey.constData(), loadByKey.constData());
    if (images.size() != count || captions.size() != count || characters == 0)
        std::printf("read back wrong\n");
}

void measureInMemory(int entries)
{
    QByteArray text;
    {
        IniDocument doc;
        for (const IniEdit& edit : listSave(entries))
            doc.setValue(edit.section, edit.key, edit.value);
        text = doc.serialise();
    }
    const QList<IniEdit> edits = listSave(entries);
    Stopwatch timer;
    IniDocument doc = IniDocument::parse(text);
    const QByteArray parse = timer.figures();
    timer.restart();
    for (const IniEdit& edit : edits) {
        if (edit.kind == IniEdit::Kind::Write)
            doc.setValue(edit.section, edit.key, edit.value);
        else
            doc.removeSection(edit.section);
    }
    const QByteArray edit = timer.figures();
    timer.restart();
    const QByteArray out = doc.serialise();
    std::printf("%6d entries in memory: parse %s, edits %s, serialise %s\n", entries, parse.constData(),
                edit.constData(), timer.figures().constData());
}

void measureNaive(const QString& folder, int entries)
{
    const QString path = folder + QStringLiteral("/naive-%1.ini").arg(entries);
    const QList<IniEdit> edits = listSave(entries);
    Stopwatch timer;
    for (const IniEdit& edit : edits) {
        // a fresh object reads the whole file again, then rewrites it for this one key
        SettingsFile file(path, PosixFileSystem::instance());
        if (!file.apply({edit})) {
            std::printf("naive save FAILED: %s\n", qPrintable(file.errorString()));
            return;
        }
    }
    std::printf("%6d entries: naive key-by-key save %s\n", entries, timer.figures().constData());
}

/** In this process, fresh: the list loaded as start-up loads it, then saved as Activate saves it. */
int loadAndSaveAsTheProgram(const QString& path)
{
    Stopwatch timer;
    SettingsFile file(path, PosixFileSystem::instance());
    LoadedImages images;
    images.LoadFromSettings(file);
    const QByteArray load = timer.figures();
    // An unchanged list would give the same bytes, which are not written again.
    images.SetCaption(0, QStringLiteral("edited"));
    timer.restart();
    const bool saved = images.SaveToSettings(file);
    std::printf("%6d entries: load at start-up %s, save on Activate %s%s\n", images.Count(), load.constData(),
                timer.figures().constData(), saved ? "" : " (save FAILED)");
    return saved ? 0 : 1;
}

void measureAsTheProgram(const QString& folder, int entries)
{
    const QString path = folder + QStringLiteral("/program-%1.ini").arg(entries);
    SettingsFile file(path, PosixFileSystem::instance());
    if (!file.apply(listSave(entries))) {
        std::printf("writing the list FAILED: %s\n", qPrintable(file.errorString()));
        return;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--as-the-program"), path});
    child.waitForFinished(-1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 3 && qstrcmp(argv[1], "--as-the-program") == 0)
        return loadAndSaveAsTheProgram(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir dir;
    std::printf("As the program does it, each in a fresh process (save includes fsync):\n");
    for (int entries : {1000, 4096, 16384, 32767})
        measureAsTheProgram(dir.path(), entries);
    std::printf("\n");
    std::printf("Batch load and save through SettingsFile (save includes fsync):\n");
    for (int entries : {1000, 4096, 16384, 32767})
        measureBatch(dir.path(), entries);
    std::printf("\nThe same without the disk:\n");
    for (int entries : {1000, 32767})
        measureInMemory(entries);
    std::printf("\nNaive save, whole file read and rewritten per key:\n");
    for (int entries : {256, 1024, 4096})
        measureNaive(dir.path(), entries);
    return 0;
}
