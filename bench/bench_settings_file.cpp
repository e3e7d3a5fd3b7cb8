// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long the settings file takes to load and save picture lists of several sizes, as the
// program loads and saves them: each section as one list.
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

    Stopwatch timer;
    SettingsFile writer(path, PosixFileSystem::instance());
    if (const Result<> saved = writer.apply(lists); !saved)
        std::printf("save failed: %s\n", qPrintable(saved.reason()));
    const QByteArray save = timer.figures();

    // as the start-up reads the list: the count, then each section at once
    timer.restart();
    SettingsFile reader(path, PosixFileSystem::instance());
    const int count = reader.read("total", "total").toInt();
    const QByteArrayList images = reader.readList("images", count);
    const QByteArrayList captions = reader.readList("caption", count);
    const QByteArray load = timer.figures();

    std::printf("%6d entries, %5.2f MB: load %s, save %s\n", entries, double(QFileInfo(path).size()) / 1e6,
                load.constData(), save.constData());
    if (images.size() != count || captions.size() != count)
        std::printf("read back wrong\n");
}

void measureInMemory(int entries)
{
    const QList<IniEdit> edits = listSaveAsLists(entries);
    QByteArray text;
    {
        IniDocument doc;
        for (const IniEdit& edit : edits)
            doc.apply(edit);
        text = doc.serialise();
    }
    Stopwatch timer;
    IniDocument doc = IniDocument::parse(text);
    const QByteArray parse = timer.figures();
    timer.restart();
    for (const IniEdit& edit : edits)
        doc.apply(edit);
    const QByteArray edit = timer.figures();
    timer.restart();
    const QByteArray out = doc.serialise();
    std::printf("%6d entries in memory: parse %s, list edits %s, serialise %s\n", entries, parse.constData(),
                edit.constData(), timer.figures().constData());
}

/** In this process, fresh: the list loaded as start-up loads it, then saved as Activate saves it. */
int loadAndSaveAsTheProgram(const QString& path)
{
    Stopwatch timer;
    SettingsFile file(path, PosixFileSystem::instance());
    LoadedImages images;
    images.loadFromSettings(file);
    const QByteArray load = timer.figures();
    // An unchanged list would give the same bytes, which are not written again.
    images.setCaption(0, QStringLiteral("edited"));
    timer.restart();
    const bool saved = images.saveToSettings(file).ok();
    std::printf("%6d entries: load at start-up %s, save on Activate %s%s\n", images.count(), load.constData(),
                timer.figures().constData(), saved ? "" : " (save FAILED)");
    return saved ? 0 : 1;
}

void measureAsTheProgram(const QString& folder, int entries)
{
    const QString path = folder + QStringLiteral("/program-%1.ini").arg(entries);
    SettingsFile file(path, PosixFileSystem::instance());
    if (const Result<> saved = file.apply(listSaveAsLists(entries)); !saved) {
        std::printf("writing the list FAILED: %s\n", qPrintable(saved.reason()));
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
    return 0;
}
