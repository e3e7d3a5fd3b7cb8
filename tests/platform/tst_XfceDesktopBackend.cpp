// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "PrivateSessionBus.h"
#include "platform/desktop/XfceDesktopBackend.h"

#include <QTemporaryDir>
#include <QTest>

// XFCE through a real xfconfd, activated on a private session bus with its own home folder.
class tst_XfceDesktopBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void setsEveryBackdrop_data();
    void setsEveryBackdrop();
    void unreachableXfconfIsReported();

private:
    QString query(const QString& channel, const QString& property) const;
    bool create(const QString& channel, const QString& property, const QString& type,
                const QString& value) const;
    QStringList setCalls() const;

    QTemporaryDir m_dir;
    QString m_log;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<PrivateSessionBus> m_bus;
};

void tst_XfceDesktopBackend::initTestCase()
{
    // xfconfd comes with xfconf-query's package and is started by the bus on the first query.
    for (const char* tool : {"dbus-daemon", "xfconf-query"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
    m_log = m_dir.filePath(QStringLiteral("calls.log"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
    QVERIFY(DesktopTestFiles::writeLoggingWrapper(m_dir.filePath(QStringLiteral("bin")),
                                                  QStringLiteral("xfconf-query"), m_log));
    DesktopTestFiles::prependToPath(m_dir.filePath(QStringLiteral("bin")));
}

void tst_XfceDesktopBackend::init()
{
    // xfconfd takes its home from the bus that starts it, so each test gets a fresh home and bus.
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", m_home->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_home->path() + QStringLiteral("/.config")).toLocal8Bit());
    m_bus = std::make_unique<PrivateSessionBus>();
    const QString error = m_bus->start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    QFile::remove(m_log);
}

void tst_XfceDesktopBackend::cleanup()
{
    m_bus.reset(); // xfconfd leaves when its bus goes
}

QString tst_XfceDesktopBackend::query(const QString& channel, const QString& property) const
{
    return DesktopTestFiles::runTool(QStringLiteral("xfconf-query"),
                                     {QStringLiteral("-c"), channel, QStringLiteral("-p"), property})
        .chopped(1);
}

bool tst_XfceDesktopBackend::create(const QString& channel, const QString& property, const QString& type,
                                    const QString& value) const
{
    return QProcess::execute(QStringLiteral("xfconf-query"),
                             {QStringLiteral("-c"), channel, QStringLiteral("-p"), property,
                              QStringLiteral("-n"), QStringLiteral("-t"), type, QStringLiteral("-s"),
                              value}) == 0;
}

QStringList tst_XfceDesktopBackend::setCalls() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList calls;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String(" -s ")))
            calls.append(line.section(QLatin1Char(' '), 3, 3));
    }
    return calls;
}

void tst_XfceDesktopBackend::setsEveryBackdrop_data()
{
    QTest::addColumn<QStringList>("existing"); // property=value, made before the change
    QTest::addColumn<QStringList>("outputs");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("imageStyle");
    QTest::addColumn<QStringList>("expectedFolders");

    const QString f = QStringLiteral("/backdrop/screen0/monitor%1/workspace%2");
    QTest::addRow("fresh profile, two outputs, two workspaces")
        << QStringList{"xfwm4:/general/workspace_count=2"} << QStringList{"Virtual-1", "HDMI-2"} << "Stretch"
        << "3"
        << QStringList{f.arg("Virtual-1").arg(0), f.arg("Virtual-1").arg(1), f.arg("HDMI-2").arg(0),
                       f.arg("HDMI-2").arg(1)};
    QTest::addRow("fresh profile, default workspaces")
        << QStringList{} << QStringList{"screen"} << "Tile"
        << "2"
        << QStringList{f.arg("screen").arg(0), f.arg("screen").arg(1), f.arg("screen").arg(2),
                       f.arg("screen").arg(3)};
    QTest::addRow("existing workspaces, old monitor name kept")
        << QStringList{f.arg("Virtual1").arg(0) + "/last-image=/old.png",
                       f.arg("Virtual1").arg(1) + "/image-style=5",
                       f.arg("Virtual1").arg(2) + "/last-image=/old.png",
                       f.arg(0).arg(0) + "/last-image=/older.png"}
        << QStringList{"Virtual1"} << "Center"
        << "1"
        << QStringList{f.arg("Virtual1").arg(0), f.arg("Virtual1").arg(1), f.arg("Virtual1").arg(2),
                       f.arg(0).arg(0)};
    QTest::addRow("a new output gets the workspaces known")
        << QStringList{f.arg("DP-1").arg(2) + "/last-image=/old.png",
                       f.arg("DP-1").arg(0) + "/last-image=/old.png"}
        << QStringList{"DP-1", "DP-2"} << "Tile"
        << "2"
        << QStringList{f.arg("DP-1").arg(0), f.arg("DP-1").arg(2), f.arg("DP-2").arg(0),
                       f.arg("DP-2").arg(2)};
}

void tst_XfceDesktopBackend::setsEveryBackdrop()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, outputs);
    QFETCH(QString, style);
    QFETCH(QString, imageStyle);
    QFETCH(QStringList, expectedFolders);

    for (const QString& entry : existing) {
        QString channel = QStringLiteral("xfce4-desktop");
        QString property = entry.section(QLatin1Char('='), 0, 0);
        if (property.contains(QLatin1Char(':'))) {
            channel = property.section(QLatin1Char(':'), 0, 0);
            property = property.section(QLatin1Char(':'), 1);
        }
        const QString value = entry.section(QLatin1Char('='), 1);
        const bool number = !value.startsWith(QLatin1Char('/'));
        QVERIFY(create(channel, property, number ? QStringLiteral("int") : QStringLiteral("string"), value));
    }
    QFile::remove(m_log);

    const QString bitmap = DesktopTestFiles::writeBitmap(
        m_dir.filePath(DesktopTestFiles::hostileName() + QLatin1Char('/') +
                       QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral("/tessaly.bmp")));
    XfceDesktopBackend desktop(outputs);
    const ApplyResult result = desktop.apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));

    const QString fresh = QFileInfo(bitmap).absolutePath() + QStringLiteral("/tessaly-1.bmp");
    QStringList styles;
    QStringList files;
    for (const QString& folder : expectedFolders) {
        QCOMPARE(query(QStringLiteral("xfce4-desktop"), folder + QStringLiteral("/image-style")), imageStyle);
        QCOMPARE(query(QStringLiteral("xfce4-desktop"), folder + QStringLiteral("/last-image")), fresh);
        styles.append(folder + QStringLiteral("/image-style"));
        files.append(folder + QStringLiteral("/last-image"));
    }
    // Every style before any file; the exact lists also show no backdrop beyond the expected ones.
    const QStringList calls = setCalls();
    QCOMPARE(calls.size(), styles.size() + files.size());
    QStringList styleCalls = calls.mid(0, styles.size());
    QStringList fileCalls = calls.mid(styles.size());
    styleCalls.sort();
    fileCalls.sort();
    styles.sort();
    files.sort();
    QCOMPARE(styleCalls, styles);
    QCOMPARE(fileCalls, files);
}

void tst_XfceDesktopBackend::unreachableXfconfIsReported()
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    const QString bitmap = DesktopTestFiles::writeBitmap(m_dir.filePath(QStringLiteral("nobus/tessaly.bmp")));
    XfceDesktopBackend desktop({QStringLiteral("screen")});
    QString style = QStringLiteral("Center");
    const ApplyResult result = desktop.apply(bitmap, style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(QLatin1String("XFCE: xfconf-query failed")), qPrintable(result.reason));
}

QTEST_GUILESS_MAIN(tst_XfceDesktopBackend)
#include "tst_XfceDesktopBackend.moc"
