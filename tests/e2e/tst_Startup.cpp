// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the real program (offscreen) the way a user would: first start, a second copy, a portable copy,
// and drives the running copy from the command line.
#include "TempAppFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneCopyRuns_data();
    void oneCopyRuns();
    void printingNeedsNoFolder_data();
    void printingNeedsNoFolder();
    void commandsDriveTheRunningCopy();
    void portableCopyKeepsItsOwnFolder_data();
    void portableCopyKeepsItsOwnFolder();
    void unusableEntryShowsTheFallback_data();
    void unusableEntryShowsTheFallback();
    void cleanup();

private:
    struct Result
    {
        int exitCode;
        QString out;
        QString err;
    };
    QProcess* start(const QString& program, const QString& home, const QStringList& arguments = {});
    /** A copy of the program in the folder, which makes it a portable copy once settings are written. */
    QString copyProgram(const TempAppFolder& folder);
    Result command(const QStringList& arguments);
    void writeRecordingSetup();
    /** Waits until a copy holds the socket; commands sent then wait for it to be ready. */
    void waitForSocket();
    QByteArray waitForSettings(const QString& path, const QByteArray& mustContain);

    QString m_program;
    QTemporaryDir m_home;
    QList<QProcess*> m_running;
};

void tst_Startup::initTestCase()
{
    m_program = QString::fromLocal8Bit(qgetenv("TESSALY_PROGRAM"));
    QVERIFY2(QFileInfo(m_program).isExecutable(), "TESSALY_PROGRAM must name the built program");
}

QProcess* tst_Startup::start(const QString& program, const QString& home, const QStringList& arguments)
{
    auto* process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Never touch the developer's own desktop.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                             "XDG_SESSION_DESKTOP", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QLatin1String(name));
    QDir().mkpath(home + QStringLiteral("/run"));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    process->setProcessEnvironment(env);
    if (arguments.isEmpty())
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    m_running.append(process);
    return process;
}

tst_Startup::Result tst_Startup::command(const QStringList& arguments)
{
    QProcess* process = start(m_program, m_home.path(), arguments);
    if (!process->waitForFinished(30000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
            QString::fromUtf8(process->readAllStandardError())};
}

void tst_Startup::waitForSocket()
{
    const QString socket = m_home.path() + QStringLiteral("/run/tessaly.socket");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 30000);
}

/** Two pictures, no change due before 2030, and a desktop back end that logs each change. */
void tst_Startup::writeRecordingSetup()
{
    const QString folder = m_home.path() + QStringLiteral("/.config/tessaly/");
    QVERIFY(QDir().mkpath(folder));
    QFile recorder(m_home.path() + QStringLiteral("/record.sh"));
    QVERIFY(recorder.open(QIODevice::WriteOnly));
    recorder.write("#!/bin/sh\necho \"$1 $2\" >> \"$(dirname \"$0\")/changes.log\"\n");
    recorder.close();
    QVERIFY(recorder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QFile ini(folder + QStringLiteral("tessdesk.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(
        QStringLiteral("[total]\ntotal=2\n[images]\n0=%1image1.gif\n1=%1image2.gif\n[caption]\n0=First\n"
                       "1=Second\n[display]\nimageNum=0\ndisplayType=0\nsequenceType=0\n[font]\n"
                       "captionPosition=2\nonOffCaption=0\nnewFontName=DejaVu Sans\nnewFontSize=16\n"
                       "newFontBold=True\nnewFontItalic=False\nnewFontUnderline=False\n"
                       "newFontFontStrikethru=False\nnewFontForeColor=0\n[time]\ntimeOption=1\n"
                       "timeHour=1\nChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand=%2\n"
                       "[tessaly]\nfirstRun=False\n")
            .arg(folder, recorder.fileName())
            .toUtf8());
}

QByteArray tst_Startup::waitForSettings(const QString& path, const QByteArray& mustContain)
{
    QDeadlineTimer deadline(30000);
    QByteArray bytes;
    while (!deadline.hasExpired()) {
        QFile f(path);
        bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        if (bytes.contains(mustContain))
            return bytes;
        QTest::qWait(50);
    }
    qWarning("%s never held %s; it holds:\n%s", qPrintable(path), mustContain.constData(), bytes.constData());
    return {};
}

void tst_Startup::oneCopyRuns_data()
{
    QTest::addColumn<bool>("killedBefore");
    QTest::addRow("two started at once") << false;
    QTest::addRow("after a killed copy left its socket") << true;
}

void tst_Startup::oneCopyRuns()
{
    QFETCH(bool, killedBefore);
    writeRecordingSetup();
    const QString socket = m_home.path() + QStringLiteral("/run/tessaly.socket");
    if (killedBefore) {
        QProcess* killed = start(m_program, m_home.path());
        waitForSocket();
        QCOMPARE(command({QStringLiteral("--status")}).exitCode, 0);
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(3000));
        QVERIFY(QFileInfo::exists(socket));
        QCOMPARE(command({QStringLiteral("--status")}).err, QStringLiteral("Tessaly is not running\n"));
    }
    QProcess* a = start(m_program, m_home.path());
    QProcess* b = start(m_program, m_home.path());
    QVERIFY(a->waitForStarted() && b->waitForStarted());
    QDeadlineTimer deadline(30000);
    while (a->state() == QProcess::Running && b->state() == QProcess::Running && !deadline.hasExpired())
        QTest::qWait(50);
    QProcess* left = a->state() == QProcess::Running ? b : a;
    QCOMPARE(left->state(), QProcess::NotRunning);
    QCOMPARE(left->exitCode(), 0);
    QTest::qWait(500);
    QCOMPARE((left == a ? b : a)->state(), QProcess::Running);
    QCOMPARE(command({QStringLiteral("--status")}).exitCode, 0);
}

void tst_Startup::printingNeedsNoFolder_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addRow("help") << QStringList{"--help"} << 0 << "Usage: tessaly"
                          << "";
    QTest::addRow("version") << QStringList{"--version"} << 0 << "Tessaly 1.1.0"
                             << "";
    QTest::addRow("unknown option") << QStringList{"--nexr"} << 2 << ""
                                    << "Usage: tessaly";
    QTest::addRow("two commands") << QStringList{"--next", "--quit"} << 2 << ""
                                  << "Usage: tessaly";
    QTest::addRow("nothing runs") << QStringList{"--next"} << 1 << ""
                                  << "Tessaly is not running";
}

void tst_Startup::printingNeedsNoFolder()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QDir(m_home.path()).removeRecursively();
    QProcess process;
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path() + QStringLiteral("/run"));
    process.setProcessEnvironment(env);
    process.start(m_program, arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), exitCode);
    const QString printedOut = QString::fromUtf8(process.readAllStandardOutput());
    const QString printedErr = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? printedOut.isEmpty() : printedOut.contains(out), qPrintable(printedOut));
    QVERIFY2(err.isEmpty() ? printedErr.isEmpty() : printedErr.contains(err), qPrintable(printedErr));
    QVERIFY(!QFileInfo::exists(m_home.path()));
}

void tst_Startup::commandsDriveTheRunningCopy()
{
    writeRecordingSetup();
    const QString folder = m_home.path() + QStringLiteral("/.config/tessaly/");
    const QString bitmap = folder + QStringLiteral("tessaly.bmp Stretch\n");
    QProcess* running = start(m_program, m_home.path());
    waitForSocket();
    const auto status = [&](const QString& picture, const QString& caption, const QString& next) {
        return Result{0,
                      QStringLiteral("picture: %1%2\ncaption: %3\nnext change: %4\n")
                          .arg(folder, picture, caption, next),
                      QString()};
    };
    const auto changes = [&] {
        QFile log(m_home.path() + QStringLiteral("/changes.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    };
    const QString due = QStringLiteral("2030-01-01 00:00:00");
    const Result ok{0, QString(), QString()};
    const struct
    {
        const char* option;
        Result reply;
        int changes;
    } steps[] = {
        {"--status", status("image1.gif", "First", due), 0},
        {"--next", ok, 1},
        {"--status", status("image2.gif", "Second", due), 1},
        {"--previous", ok, 2},
        {"--status", status("image1.gif", "First", due), 2},
        {"--previous", {1, QString(), "tessaly: no earlier picture was shown since Tessaly started\n"}, 2},
        {"--pause", ok, 2},
        {"--status", status("image1.gif", "First", "paused"), 2},
        {"--resume", ok, 2},
        {"--status", status("image1.gif", "First", due), 2},
        {"--settings", ok, 2},
        {"--quit", ok, 2},
    };
    for (const auto& step : steps) {
        const Result result = command({QLatin1String(step.option)});
        QCOMPARE(result.exitCode, step.reply.exitCode);
        QCOMPARE(result.out, step.reply.out);
        QCOMPARE(result.err, step.reply.err);
        QCOMPARE(changes(), bitmap.repeated(step.changes));
    }
    QVERIFY(running->waitForFinished(30000));
    QCOMPARE(running->exitCode(), 0);
    QCOMPARE(command({QStringLiteral("--status")}).err, QStringLiteral("Tessaly is not running\n"));
}

void tst_Startup::portableCopyKeepsItsOwnFolder_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("firstEntry");
    QTest::addRow("a list of its own")
        << QByteArray("[total]\ntotal=1\n[images]\n0=/somewhere/a.jpg\n[time]\nChangeTime=\n[tessaly]\n"
                      "firstRun=False\n")
        << QStringLiteral("/somewhere/a.jpg");
    // The first start puts the sample pictures from its own folder in the list.
    QTest::addRow("first start") << QByteArray("[time]\nChangeTime=\n[tessaly]\nfirstRun=True\n")
                                 << QStringLiteral("image1.gif");
}

QString tst_Startup::copyProgram(const TempAppFolder& folder)
{
    const QString program = folder.file(QStringLiteral("tessaly"));
    if (!QFile::copy(m_program, program) ||
        !QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        qFatal("cannot copy the program to %s", qPrintable(program));
    return program;
}

void tst_Startup::portableCopyKeepsItsOwnFolder()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, firstEntry);
    TempAppFolder portable;
    const QString program = copyProgram(portable);
    portable.writeSettings(ini);

    start(program, m_home.path());
    const QByteArray settings = waitForSettings(portable.settingsPath(), "ChangeTime=2");
    QVERIFY(!settings.isEmpty());
    const QString expected = firstEntry.startsWith(u'/') ? firstEntry : portable.file(firstEntry);
    QVERIFY2(settings.contains("0=" + expected.toUtf8() + "\n"), settings.constData());
    QVERIFY(settings.contains("firstRun=False"));
    // Nothing outside its own folder: no settings folder and no login entry.
    QVERIFY(!QFileInfo::exists(m_home.path() + QStringLiteral("/.config")));
}

void tst_Startup::unusableEntryShowsTheFallback_data()
{
    QTest::addColumn<QString>("entry"); // a name in the folder, or an absolute path
    QTest::addRow("named pipe") << "pipe.jpg";
    QTest::addRow("folder") << "folder.jpg";
    QTest::addRow("device") << "/dev/zero";
}

void tst_Startup::unusableEntryShowsTheFallback()
{
    QFETCH(QString, entry);
    TempAppFolder portable;
    const QString program = copyProgram(portable);
    portable.seedShippedData();
    const QString path = entry.startsWith(u'/') ? entry : portable.file(entry);
    if (entry == QLatin1String("pipe.jpg"))
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    else if (entry == QLatin1String("folder.jpg"))
        QVERIFY(QDir().mkdir(path));
    // The desktop here is a command that keeps a copy of what it is given.
    const QString shown = portable.file(QStringLiteral("shown.bmp"));
    portable.writeSettings(portable.readSettings()
                               .replace("total=0", "total=1")
                               .replace("[caption]", "0=" + path.toUtf8() + "\n[caption]")
                               .replace("firstRun=True", "firstRun=False")
                               .replace("backend=auto", "backend=command")
                               .replace("command=\n", "command=sh -c \"cp $0 " + shown.toUtf8() + "\"\n"));

    QProcess* process = start(program, m_home.path());
    // A pipe that is opened blocks the start for ever; the timeout only ends a test that failed.
    QTRY_VERIFY_WITH_TIMEOUT(!QImage(shown).isNull(), 30000);
    QCOMPARE(process->state(), QProcess::Running);
    const QImage wallpaper(shown);
    const QImage fallback = QImage(portable.file(QStringLiteral("badimage.bmp")))
                                .scaled(wallpaper.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (const QPointF at : {QPointF(0.1, 0.1), QPointF(0.6, 0.375)}) { // the fallback's background and sun
        const QPoint pixel(int(at.x() * wallpaper.width()), int(at.y() * wallpaper.height()));
        QVERIFY(qAbs(qGray(wallpaper.pixel(pixel)) - qGray(fallback.pixel(pixel))) < 10);
    }
}

void tst_Startup::cleanup()
{
    for (QProcess* process : std::as_const(m_running)) {
        process->kill();
        process->waitForFinished(3000);
        delete process;
    }
    m_running.clear();
    QDir(m_home.path()).removeRecursively();
    QDir().mkpath(m_home.path());
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_Startup.moc"
