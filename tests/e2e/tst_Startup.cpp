// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the real program (offscreen) the way a user would: first start, a second copy, a portable copy.
#include "TempAppFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstStartSeedsConfigFolder();
    void secondStartLeavesNoTrace();
    void portableCopyKeepsItsOwnFolder_data();
    void portableCopyKeepsItsOwnFolder();
    void unusableEntryShowsTheFallback_data();
    void unusableEntryShowsTheFallback();
    void cleanup();

private:
    QProcess* start(const QString& program, const QString& home);
    /** A copy of the program in the folder, which makes it a portable copy once settings are written. */
    QString copyProgram(const TempAppFolder& folder);
    QByteArray waitForSettings(const QString& path, const QByteArray& mustContain);
    QByteArray waitUntilSettled(const QString& path);

    QString m_program;
    QTemporaryDir m_home;
    QList<QProcess*> m_running;
};

void tst_Startup::initTestCase()
{
    m_program = QString::fromLocal8Bit(qgetenv("TESSALY_PROGRAM"));
    QVERIFY2(QFileInfo(m_program).isExecutable(), "TESSALY_PROGRAM must name the built program");
}

QProcess* tst_Startup::start(const QString& program, const QString& home)
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
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, {});
    m_running.append(process);
    return process;
}

QByteArray tst_Startup::waitForSettings(const QString& path, const QByteArray& mustContain)
{
    QDeadlineTimer deadline(10000);
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

/** The file's bytes once start-up has stopped writing it: unchanged for a whole second. */
QByteArray tst_Startup::waitUntilSettled(const QString& path)
{
    QDeadlineTimer deadline(15000);
    QByteArray last;
    QDateTime lastModified;
    QElapsedTimer unchanged;
    unchanged.start();
    while (!deadline.hasExpired()) {
        QFile f(path);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        const QDateTime modified = QFileInfo(path).lastModified();
        if (bytes != last || modified != lastModified) {
            last = bytes;
            lastModified = modified;
            unchanged.restart();
        } else if (!bytes.isEmpty() && unchanged.elapsed() >= 1000) {
            return bytes;
        }
        QTest::qWait(50);
    }
    return {};
}

void tst_Startup::firstStartSeedsConfigFolder()
{
    QProcess* first = start(m_program, m_home.path());
    const QString folder = m_home.path() + QStringLiteral("/.config/tessaly/");
    QVERIFY(!waitForSettings(folder + QStringLiteral("tessdesk.ini"), "firstRun=False").isEmpty());
    const QByteArray settings = waitUntilSettled(folder + QStringLiteral("tessdesk.ini"));
    QVERIFY(!settings.isEmpty());
    QVERIFY(settings.contains("0=" + folder.toUtf8() + "image1.gif\n"));
    QVERIFY(settings.contains("1=" + folder.toUtf8() + "image2.gif\n"));
    QVERIFY(settings.contains("total=2\n"));
    QVERIFY(!settings.contains("ChangeTime=\n"));
    for (const char* name : {"badimage.bmp", "image1.gif", "image2.gif"})
        QVERIFY2(QFileInfo::exists(folder + QLatin1String(name)), name);
    QCOMPARE(first->state(), QProcess::Running);
}

void tst_Startup::secondStartLeavesNoTrace()
{
    QProcess* first = start(m_program, m_home.path());
    const QString ini = m_home.path() + QStringLiteral("/.config/tessaly/tessdesk.ini");
    QVERIFY(!waitForSettings(ini, "firstRun=False").isEmpty());
    const QByteArray before = waitUntilSettled(ini);
    QVERIFY(!before.isEmpty());
    const QDateTime modified = QFileInfo(ini).lastModified();
    const QStringList filesBefore = QDir(QFileInfo(ini).path()).entryList(QDir::Files | QDir::Hidden);

    QProcess* second = start(m_program, m_home.path());
    QVERIFY(second->waitForFinished(5000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    QFile f(ini);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(QFileInfo(ini).lastModified(), modified);
    QCOMPARE(QDir(QFileInfo(ini).path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
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
    QTRY_VERIFY_WITH_TIMEOUT(!QImage(shown).isNull(), 10000);
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
