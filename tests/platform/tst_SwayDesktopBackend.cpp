// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/SwayDesktopBackend.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <unistd.h>

// A real sway on the headless back end, run as an unprivileged user (it refuses root), read with grim.
class tst_SwayDesktopBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void outputShowsTheStyle_data();
    void outputShowsTheStyle();
    void missingBitmapIsReported();

private:
    QString samples() const;

    QTemporaryDir m_root;
    QString m_runtime;
    QProcess m_sway;
};

namespace {

constexpr uint Nobody = 65534;
// Points on the 320x200 output: inside the image's red corner, right of it, the middle, lower right.
const QPoint SamplePoints[] = {{10, 10}, {42, 10}, {140, 90}, {250, 150}};

char colourName(QRgb pixel)
{
    if (qRed(pixel) > 160 && qBlue(pixel) < 90)
        return 'R';
    if (qBlue(pixel) > 160 && qRed(pixel) < 90)
        return 'B';
    if (qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40)
        return 'K';
    return '?';
}

} // namespace

void tst_SwayDesktopBackend::initTestCase()
{
    for (const char* tool : {"sway", "swaymsg", "swaybg", "grim", "setpriv"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
    QVERIFY(m_root.isValid());
    // sway's user must read the bitmaps; and whatever a file name might make it run would land here.
    QVERIFY(QFile::setPermissions(m_root.path(), QFileDevice::Permissions(0x7777)));
    m_runtime = m_root.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(m_runtime));
    QCOMPARE(::chown(QFile::encodeName(m_runtime).constData(), Nobody, Nobody), 0);
    QVERIFY(QFile::setPermissions(m_runtime,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QFile config(m_root.filePath(QStringLiteral("config")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("output HEADLESS-1 mode --custom 320x200\nxwayland disable\n");
    config.close();

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), m_root.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    m_sway.setProcessEnvironment(environment);
    m_sway.setWorkingDirectory(m_root.path());
    m_sway.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sway.setStandardOutputFile(QProcess::nullDevice());
    m_sway.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                             QStringLiteral("--clear-groups"), QStringLiteral("sway"),
                                             QStringLiteral("-c"), config.fileName()});
    QVERIFY(m_sway.waitForStarted(5000));

    QString socket;
    QDeadlineTimer deadline(10000);
    while (socket.isEmpty() && !deadline.hasExpired()) {
        const QStringList found =
            QDir(m_runtime).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        if (!found.isEmpty() && QFile::exists(m_runtime + QStringLiteral("/wayland-1")))
            socket = m_runtime + QLatin1Char('/') + found.first();
        else
            QThread::msleep(50);
    }
    QVERIFY2(!socket.isEmpty(), "sway did not start");
    qputenv("SWAYSOCK", socket.toLocal8Bit());
}

void tst_SwayDesktopBackend::cleanupTestCase()
{
    m_sway.terminate();
    m_sway.waitForFinished(5000);
}

QString tst_SwayDesktopBackend::samples() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-1"));
    QProcess grim;
    grim.setProcessEnvironment(environment);
    grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(5000) || grim.exitCode() != 0)
        return QStringLiteral("grim failed");
    const QImage screen = QImage::fromData(grim.readAllStandardOutput(), "PPM");
    if (screen.size() != QSize(320, 200))
        return QStringLiteral("unexpected screen size");
    QString names;
    for (const QPoint& point : SamplePoints)
        names += QLatin1Char(colourName(screen.pixel(point)));
    return names;
}

void tst_SwayDesktopBackend::outputShowsTheStyle_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("expected");

    // A 64x40 bitmap, red in its top-left quarter, blue elsewhere, on a 320x200 output.
    QTest::addRow("Stretch") << "plain"
                             << "Stretch"
                             << "RRRB";
    QTest::addRow("Tile") << "plain"
                          << "Tile"
                          << "RBRB";
    QTest::addRow("Center") << "plain"
                            << "Center"
                            << "KKRK";
    QTest::addRow("hostile folder, Tile") << DesktopTestFiles::hostileName() << "Tile"
                                          << "RBRB";
    QTest::addRow("hostile folder, Stretch") << DesktopTestFiles::hostileName() << "Stretch"
                                             << "RRRB";
}

void tst_SwayDesktopBackend::outputShowsTheStyle()
{
    QFETCH(QString, folder);
    QFETCH(QString, style);
    QFETCH(QString, expected);

    QImage image(64, 40, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    QPainter(&image).fillRect(0, 0, 32, 20, QColor(255, 0, 0));
    const QString bitmap = m_root.filePath(folder + QStringLiteral("/tessaly.bmp"));
    QVERIFY(QDir().mkpath(QFileInfo(bitmap).absolutePath()));
    QVERIFY(image.save(bitmap, "BMP"));

    SwayDesktopBackend desktop(m_root.filePath(QStringLiteral("plain-copies")));
    const ApplyResult result = desktop.apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    // swaybg draws a moment after sway accepted the command.
    QString seen;
    QDeadlineTimer deadline(5000);
    while ((seen = samples()) != expected && !deadline.hasExpired())
        QThread::msleep(50);
    QCOMPARE(seen, expected);
    QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("pwned2"))));
}

void tst_SwayDesktopBackend::missingBitmapIsReported()
{
    SwayDesktopBackend desktop(m_root.filePath(QStringLiteral("plain-copies")));
    QString style = QStringLiteral("Center");
    const ApplyResult result = desktop.apply(m_root.filePath(QStringLiteral("gone.bmp")), style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(QLatin1String("sway: the wallpaper bitmap")),
             qPrintable(result.reason));
}

QTEST_GUILESS_MAIN(tst_SwayDesktopBackend)
#include "tst_SwayDesktopBackend.moc"
