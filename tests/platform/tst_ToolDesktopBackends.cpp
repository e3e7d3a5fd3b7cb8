// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/CommandDesktopBackend.h"
#include "platform/desktop/PcmanfmDesktopBackend.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The back ends that hand the file to a program: the user's command, pcmanfm-qt and pcmanfm (stand-ins
// on PATH that record the arguments they were given, each one whole).
class tst_ToolDesktopBackends : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void commandGetsPathAndStyleIntact_data();
    void commandGetsPathAndStyleIntact();
    void commandFailureIsReported_data();
    void commandFailureIsReported();
    void pcmanfmGetsModeAndFreshFile_data();
    void pcmanfmGetsModeAndFreshFile();

private:
    QStringList recordedArguments() const;
    QString bitmapIn(const QString& folder) const;

    QTemporaryDir m_dir;
    QString m_record;
    QString m_tools;
};

void tst_ToolDesktopBackends::initTestCase()
{
    m_record = m_dir.filePath(QStringLiteral("argv"));
    m_tools = m_dir.filePath(QStringLiteral("tools with space"));
    QVERIFY(QDir().mkpath(m_tools));
    const QByteArray recorder = "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$ARGV_RECORD\"\n"
                                "[ -n \"$FAIL_WITH\" ] && { echo \"$FAIL_WITH\" >&2; exit 3; }\nexit 0\n";
    for (const char* tool : {"set wallpaper", "pcmanfm-qt", "pcmanfm"})
        QVERIFY(DesktopTestFiles::writeScript(m_tools + QLatin1Char('/') + QLatin1String(tool), recorder));
    DesktopTestFiles::prependToPath(m_tools);
    qputenv("ARGV_RECORD", m_record.toLocal8Bit());
    // Anything a file name managed to run would leave its mark here.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void tst_ToolDesktopBackends::init()
{
    QFile::remove(m_record);
    qunsetenv("FAIL_WITH");
}

QStringList tst_ToolDesktopBackends::recordedArguments() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<not run>")};
    QStringList arguments = QString::fromUtf8(file.readAll()).split(QChar(0));
    arguments.removeLast();
    return arguments;
}

QString tst_ToolDesktopBackends::bitmapIn(const QString& folder) const
{
    return DesktopTestFiles::writeBitmap(m_dir.filePath(folder + QStringLiteral("/tessaly.bmp")));
}

void tst_ToolDesktopBackends::commandGetsPathAndStyleIntact_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QStringList>("leading");

    const QString program =
        QStringLiteral("\"%1/set wallpaper\"").arg(m_dir.path() + QStringLiteral("/tools with space"));
    QTest::addRow("hostile folder") << program << DesktopTestFiles::hostileName() << "Center"
                                    << QStringList{};
    QTest::addRow("command with its own arguments")
        << program + QStringLiteral(" --quiet \"two words\"") << "plain"
        << "Tile" << QStringList{"--quiet", "two words"};
    QTest::addRow("found on PATH, style normalised") << "\"set wallpaper\""
                                                     << "x;y"
                                                     << "stretch" << QStringList{};
}

void tst_ToolDesktopBackends::commandGetsPathAndStyleIntact()
{
    QFETCH(QString, command);
    QFETCH(QString, folder);
    QFETCH(QString, style);
    QFETCH(QStringList, leading);
    const QString bitmap = bitmapIn(folder);
    CommandDesktopBackend desktop(command);
    const ApplyResult result = desktop.apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(recordedArguments(), leading + QStringList({bitmap, style}));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned2"))));
}

void tst_ToolDesktopBackends::commandFailureIsReported_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reason");

    QTest::addRow("non-zero exit")
        << "\"set wallpaper\""
        << "desktop command: set wallpaper failed with exit code 3: no monitor named X";
    QTest::addRow("no such program") << "/nonexistent/setter"
                                     << "desktop command: /nonexistent/setter could not be started";
    QTest::addRow("empty command") << "  "
                                   << "desktop command: no program is set";
}

void tst_ToolDesktopBackends::commandFailureIsReported()
{
    QFETCH(QString, command);
    QFETCH(QString, reason);
    qputenv("FAIL_WITH", "no monitor named X");
    CommandDesktopBackend desktop(command);
    QString style = QStringLiteral("Center");
    const ApplyResult result = desktop.apply(bitmapIn(QStringLiteral("failing")), style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(reason), qPrintable(result.reason));
}

void tst_ToolDesktopBackends::pcmanfmGetsModeAndFreshFile_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("mode");

    for (const char* desktop : {"lxqt", "lxde"}) {
        QTest::addRow("%s Stretch", desktop) << desktop << "Stretch"
                                             << "stretch";
        QTest::addRow("%s Center", desktop) << desktop << "Center"
                                            << "center";
        QTest::addRow("%s Tile", desktop) << desktop << "Tile"
                                          << "tile";
    }
}

void tst_ToolDesktopBackends::pcmanfmGetsModeAndFreshFile()
{
    QFETCH(QString, desktop);
    QFETCH(QString, style);
    QFETCH(QString, mode);
    const std::unique_ptr<DesktopBackend> backend =
        desktop == QLatin1String("lxqt") ? PcmanfmDesktopBackend::lxqt() : PcmanfmDesktopBackend::lxde();
    const QString bitmap = bitmapIn(DesktopTestFiles::hostileName() + QLatin1Char('/') +
                                    QString::fromUtf8(QTest::currentDataTag()));
    const QString folder = QFileInfo(bitmap).absolutePath();

    for (const char* name : {"tessaly-1.bmp", "tessaly-2.bmp"}) {
        const ApplyResult result = backend->apply(bitmap, style);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(recordedArguments(), (QStringList{QStringLiteral("--wallpaper-mode=") + mode,
                                                   QStringLiteral("--set-wallpaper=") + folder +
                                                       QLatin1Char('/') + QLatin1String(name)}));
    }
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));

    qputenv("FAIL_WITH", "cannot open display");
    const ApplyResult failed = backend->apply(bitmap, style);
    QVERIFY(!failed.ok);
    const QString tool = desktop == QLatin1String("lxqt") ? QStringLiteral("LXQt: pcmanfm-qt")
                                                          : QStringLiteral("LXDE: pcmanfm");
    QCOMPARE(failed.reason, tool + QStringLiteral(" failed with exit code 3: cannot open display"));
}

QTEST_GUILESS_MAIN(tst_ToolDesktopBackends)
#include "tst_ToolDesktopBackends.moc"
