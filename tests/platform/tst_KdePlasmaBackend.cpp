// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivateSessionBus.h"
#include "platform/desktop/KdePlasmaBackend.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

const QString kService = QStringLiteral("org.kde.plasmashell");

/** The script's one double-quoted literal, decoded, and the script with that literal cut out. */
struct SplitScript
{
    QString value;
    QString rest;
};

SplitScript splitLiteral(const QString& script)
{
    const qsizetype start = script.indexOf(QLatin1Char('"'));
    if (start < 0)
        return {};
    qsizetype end = start + 1;
    while (end < script.size() && script.at(end) != QLatin1Char('"'))
        end += script.at(end) == QLatin1Char('\\') ? 2 : 1;
    const QString literal = script.mid(start, end - start + 1);
    const QJsonDocument document = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(literal).toUtf8());
    return {document.array().at(0).toString(),
            script.left(start) + QStringLiteral("@") + script.mid(end + 1)};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_KdePlasmaBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void writesFillModeThenImage_data();
    void writesFillModeThenImage();
    void reportsRefusals_data();
    void reportsRefusals();

private:
    void startShell(const QString& refusal = {});
    void stopShell();
    QStringList recordedScripts() const;
    QString makeBitmap(const QString& folderName);

    PrivateSessionBus m_daemon;
    std::unique_ptr<QDBusConnection> m_bus;
    std::unique_ptr<QProcess> m_shell;
    std::unique_ptr<QTemporaryDir> m_records;
    QTemporaryDir m_files;
};

void tst_KdePlasmaBackend::initTestCase()
{
    const QString error = m_daemon.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_bus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_daemon.address(), QStringLiteral("tessaly-test")));
    QVERIFY2(m_bus->isConnected(), qPrintable(m_bus->lastError().message()));
    QVERIFY(m_files.isValid());
}

void tst_KdePlasmaBackend::cleanup()
{
    stopShell();
}

void tst_KdePlasmaBackend::startShell(const QString& refusal)
{
    m_records = std::make_unique<QTemporaryDir>();
    m_shell = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_daemon.address());
    m_shell->setProcessEnvironment(environment);
    m_shell->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{m_records->path()};
    if (!refusal.isEmpty())
        arguments << refusal;
    m_shell->start(QStringLiteral(FAKE_PLASMASHELL), arguments);
    QVERIFY(m_shell->waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(m_bus->interface()->isServiceRegistered(kService), 5000);
}

void tst_KdePlasmaBackend::stopShell()
{
    if (!m_shell)
        return;
    m_shell->terminate();
    m_shell->waitForFinished(3000);
    m_shell.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!m_bus->interface()->isServiceRegistered(kService), 5000);
}

QStringList tst_KdePlasmaBackend::recordedScripts() const
{
    QStringList scripts;
    for (int i = 1;; ++i) {
        const QString path = QDir(m_records->path()).filePath(QStringLiteral("script-%1.js").arg(i));
        if (!QFile::exists(path))
            return scripts;
        scripts << QString::fromUtf8(readAll(path));
    }
}

QString tst_KdePlasmaBackend::makeBitmap(const QString& folderName)
{
    QDir folder(m_files.path());
    if (!folder.mkpath(folderName))
        qFatal("cannot make %s", qPrintable(folderName));
    const QString path = folder.filePath(folderName + QStringLiteral("/tessaly.bmp"));
    if (!writeAll(path, "BM bitmap bytes"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_KdePlasmaBackend::writesFillModeThenImage_data()
{
    QTest::addColumn<QString>("folderName"); // the file name must stay data whatever it holds
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("fillMode");
    QTest::addColumn<QString>("styleAfter");

    QTest::addRow("Stretch") << "plain"
                             << "Stretch" << 0 << "Stretch";
    QTest::addRow("Center, single quotes") << "it's 'quoted'"
                                           << "Center" << 6 << "Center";
    QTest::addRow("Tile, double quotes") << "say \"hi\""
                                         << "Tile" << 3 << "Tile";
    QTest::addRow("lower-case word stretches") << "back\\slash\\"
                                               << "tile" << 0 << "Stretch";
    QTest::addRow("empty word stretches") << "'); evil(); ('"
                                          << "" << 0 << "Stretch";
    QTest::addRow("closes a double-quoted call") << "\"); evil(); (\""
                                                 << "Center" << 6 << "Center";
    QTest::addRow("substitutions") << "$(touch pwned) `id` ${evil()} %1"
                                   << "Center" << 6 << "Center";
    QTest::addRow("non-ASCII") << QStringLiteral("Ünïcødé 壁紙 😀") << "Tile" << 3 << "Tile";
    QTest::addRow("line breaks") << QStringLiteral("line\nbreak a\u2028b\u2029c") << "Tile" << 3 << "Tile";
    QTest::addRow("URL delimiters") << "a#b?c%20d"
                                    << "Tile" << 3 << "Tile";
}

void tst_KdePlasmaBackend::writesFillModeThenImage()
{
    QFETCH(QString, folderName);
    QFETCH(QString, style);
    QFETCH(int, fillMode);
    QFETCH(QString, styleAfter);

    startShell();
    KdePlasmaBackend backend(*m_bus);
    QString plainStyle = styleAfter;
    QVERIFY(backend
                .apply(makeBitmap(QStringLiteral("plain-") + QString::fromUtf8(QTest::currentDataTag())),
                       plainStyle)
                .ok);
    const QString bitmap = makeBitmap(folderName);
    const ApplyResult result = backend.apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(style, styleAfter);

    const QStringList scripts = recordedScripts();
    QCOMPARE(scripts.size(), 2);
    const SplitScript split = splitLiteral(scripts.at(1));
    const QUrl url(split.value);
    QCOMPARE(url.scheme(), QStringLiteral("file"));
    QCOMPARE(url.toLocalFile(), QFileInfo(bitmap).absolutePath() + QStringLiteral("/tessaly-1.bmp"));
    // The name changes nothing but the one literal.
    QCOMPARE(split.rest, splitLiteral(scripts.at(0)).rest);

    const qsizetype fill = split.rest.indexOf(QStringLiteral("writeConfig('FillMode', %1)").arg(fillMode));
    const qsizetype image = split.rest.indexOf(QStringLiteral("writeConfig('Image', "));
    QVERIFY2(fill >= 0 && image > fill, qPrintable(split.rest));
    QVERIFY(split.rest.contains(QLatin1String("desktops()")));
}

void tst_KdePlasmaBackend::reportsRefusals_data()
{
    QTest::addColumn<bool>("shellRunning");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("bitmapMissing");
    QTest::addColumn<QString>("reasonHas");

    QTest::addRow("widgets locked") << true << "Widgets are locked" << false << "Widgets are locked";
    QTest::addRow("scripting forbidden") << true << "Administrative policies prevent script execution"
                                         << false << "Administrative policies prevent script execution";
    QTest::addRow("no plasmashell") << false << "" << false << "org.kde.plasmashell";
    QTest::addRow("bitmap missing") << true << "" << true << "tessaly.bmp";
}

void tst_KdePlasmaBackend::reportsRefusals()
{
    QFETCH(bool, shellRunning);
    QFETCH(QString, refusal);
    QFETCH(bool, bitmapMissing);
    QFETCH(QString, reasonHas);

    const QString bitmap = makeBitmap(QString::fromLatin1(QTest::currentDataTag()));
    const QString folder = QFileInfo(bitmap).absolutePath();
    KdePlasmaBackend backend(*m_bus);
    QString style = QStringLiteral("Stretch");
    startShell();
    QVERIFY(backend.apply(bitmap, style).ok);
    stopShell();

    if (shellRunning)
        startShell(refusal);
    if (bitmapMissing)
        QVERIFY(QFile::remove(bitmap));
    const ApplyResult result = backend.apply(bitmap, style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.startsWith(QLatin1String("KDE Plasma")), qPrintable(result.reason));
    QVERIFY2(result.reason.contains(reasonHas), qPrintable(result.reason));
    if (bitmapMissing)
        QVERIFY(recordedScripts().isEmpty());

    // The wallpaper Plasma still shows stays, whatever became of the copy made for the refused change.
    QVERIFY(QFile::exists(folder + QStringLiteral("/tessaly-1.bmp")));
}

QTEST_GUILESS_MAIN(tst_KdePlasmaBackend)
#include "tst_KdePlasmaBackend.moc"
