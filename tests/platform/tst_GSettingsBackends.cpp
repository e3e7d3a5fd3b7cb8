// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTestFiles.h"
#include "platform/desktop/GSettingsDesktopBackend.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

// GNOME, Cinnamon and MATE through the real gsettings tool, on its keyfile back end in a private folder.
class tst_GSettingsBackends : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void writesStyleThenFile_data();
    void writesStyleThenFile();
    void eachChangeGetsAFreshName();
    void missingSchemaOrKeyIsReported_data();
    void missingSchemaOrKeyIsReported();
    void valueTheServiceDidNotKeepIsReported();

private:
    static std::unique_ptr<DesktopBackend> backendNamed(const QString& name);
    QString get(const QString& schema, const QString& key) const;
    QStringList setCalls() const;
    void useSchemas(const QString& schemaXml);

    QTemporaryDir m_dir;
    QString m_log;
    QString m_realGsettings;
};

void tst_GSettingsBackends::initTestCase()
{
    m_realGsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    QVERIFY2(!m_realGsettings.isEmpty(), "gsettings is missing (libglib2.0-bin)");
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty());
    m_log = m_dir.filePath(QStringLiteral("calls.log"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
    QVERIFY(DesktopTestFiles::writeLoggingWrapper(m_dir.filePath(QStringLiteral("bin")),
                                                  QStringLiteral("gsettings"), m_log));
    DesktopTestFiles::prependToPath(m_dir.filePath(QStringLiteral("bin")));
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data-home")).toLocal8Bit());
}

void tst_GSettingsBackends::init()
{
    static int run = 0;
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config%1").arg(++run)).toLocal8Bit());
    qunsetenv("XDG_DATA_DIRS");
    QFile::remove(m_log);
}

std::unique_ptr<DesktopBackend> tst_GSettingsBackends::backendNamed(const QString& name)
{
    if (name == QLatin1String("gnome"))
        return GSettingsDesktopBackend::gnome();
    if (name == QLatin1String("cinnamon"))
        return GSettingsDesktopBackend::cinnamon();
    return GSettingsDesktopBackend::mate();
}

QString tst_GSettingsBackends::get(const QString& schema, const QString& key) const
{
    const QString printed = DesktopTestFiles::runTool(m_realGsettings, {QStringLiteral("get"), schema, key});
    return GSettingsDesktopBackend::unquoted(printed.trimmed())
        .value_or(QStringLiteral("<unreadable: %1>").arg(printed));
}

QStringList tst_GSettingsBackends::setCalls() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList calls;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("set ")))
            calls.append(line.section(QLatin1Char(' '), 0, 2));
    }
    return calls;
}

void tst_GSettingsBackends::useSchemas(const QString& schemaXml)
{
    const QString folder = m_dir.filePath(QStringLiteral("schemas%1/glib-2.0/schemas").arg(qHash(schemaXml)));
    QVERIFY(QDir().mkpath(folder));
    if (!schemaXml.isEmpty()) {
        QFile file(folder + QStringLiteral("/test.gschema.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(schemaXml.toUtf8());
        file.close();
        QVERIFY(QProcess::execute(QStringLiteral("glib-compile-schemas"), {folder}) == 0);
    }
    qputenv("XDG_DATA_DIRS", QFileInfo(folder + QStringLiteral("/../..")).canonicalFilePath().toLocal8Bit());
}

void tst_GSettingsBackends::writesStyleThenFile_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("schema");
    QTest::addColumn<QStringList>("fileKeys");
    QTest::addColumn<bool>("uri");

    const QString gnome = QStringLiteral("org.gnome.desktop.background");
    const QString cinnamon = QStringLiteral("org.cinnamon.desktop.background");
    const QString mate = QStringLiteral("org.mate.background");
    const QStringList gnomeKeys{"picture-uri", "picture-uri-dark"};
    QTest::addRow("GNOME Stretch") << "gnome"
                                   << "Stretch"
                                   << "stretched" << gnome << gnomeKeys << true;
    QTest::addRow("GNOME Center") << "gnome"
                                  << "Center"
                                  << "centered" << gnome << gnomeKeys << true;
    QTest::addRow("GNOME Tile") << "gnome"
                                << "Tile"
                                << "wallpaper" << gnome << gnomeKeys << true;
    QTest::addRow("Cinnamon Center") << "cinnamon"
                                     << "Center"
                                     << "centered" << cinnamon << QStringList{"picture-uri"} << true;
    QTest::addRow("Cinnamon Tile") << "cinnamon"
                                   << "Tile"
                                   << "wallpaper" << cinnamon << QStringList{"picture-uri"} << true;
    QTest::addRow("MATE Stretch") << "mate"
                                  << "Stretch"
                                  << "stretched" << mate << QStringList{"picture-filename"} << false;
    QTest::addRow("MATE Tile") << "mate"
                               << "Tile"
                               << "wallpaper" << mate << QStringList{"picture-filename"} << false;
}

void tst_GSettingsBackends::writesStyleThenFile()
{
    QFETCH(QString, backend);
    QFETCH(QString, style);
    QFETCH(QString, option);
    QFETCH(QString, schema);
    QFETCH(QStringList, fileKeys);
    QFETCH(bool, uri);

    // The application folder may sit anywhere; its path must reach the desktop exactly.
    const QString bitmap = DesktopTestFiles::writeBitmap(
        m_dir.filePath(DesktopTestFiles::hostileName() + QLatin1Char('/') +
                       QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral("/tessaly.bmp")));
    QVERIFY(!bitmap.isEmpty());
    const auto desktop = backendNamed(backend);
    const ApplyResult result = desktop->apply(bitmap, style);
    QVERIFY2(result.ok, qPrintable(result.reason));

    QCOMPARE(get(schema, QStringLiteral("picture-options")), option);
    QStringList expectedOrder{QStringLiteral("set %1 picture-options").arg(schema)};
    for (const QString& key : fileKeys) {
        const QString value = get(schema, key);
        const QString path = uri ? QUrl(value).toLocalFile() : value;
        QCOMPARE(path, QFileInfo(bitmap).absolutePath() + QStringLiteral("/tessaly-1.bmp"));
        QVERIFY(QFile::exists(path));
        expectedOrder.append(QStringLiteral("set %1 %2").arg(schema, key));
    }
    QCOMPARE(setCalls(), expectedOrder);
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
}

void tst_GSettingsBackends::eachChangeGetsAFreshName()
{
    const QString bitmap = DesktopTestFiles::writeBitmap(m_dir.filePath(QStringLiteral("turns/tessaly.bmp")));
    const auto desktop = GSettingsDesktopBackend::gnome();
    QStringList names;
    for (int change = 0; change < 3; ++change) {
        QString style = QStringLiteral("Stretch");
        const ApplyResult result = desktop->apply(bitmap, style);
        QVERIFY2(result.ok, qPrintable(result.reason));
        names.append(
            QFileInfo(QUrl(get(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("picture-uri")))
                          .toLocalFile())
                .fileName());
    }
    QCOMPARE(names, (QStringList{"tessaly-1.bmp", "tessaly-2.bmp", "tessaly-3.bmp"}));
}

void tst_GSettingsBackends::missingSchemaOrKeyIsReported_data()
{
    QTest::addColumn<QString>("schemaXml");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("reason");

    const QString schema = QStringLiteral(
        "<schemalist><schema id='org.gnome.desktop.background' path='/org/gnome/desktop/background/'>%1"
        "</schema></schemalist>");
    const QString options =
        QStringLiteral("<key name='picture-options' type='s'><default>'zoom'</default></key>");
    const QString uriKey = QStringLiteral("<key name='picture-uri' type='s'><default>''</default></key>");
    QTest::addRow("no schemas at all") << QString() << false << "GNOME: gsettings failed with exit code 1";
    QTest::addRow("no picture-uri")
        << schema.arg(options) << false
        << "GNOME: the settings schema org.gnome.desktop.background has no key picture-uri";
    QTest::addRow("older GNOME without a dark key") << schema.arg(options + uriKey) << true << "";
}

void tst_GSettingsBackends::missingSchemaOrKeyIsReported()
{
    QFETCH(QString, schemaXml);
    QFETCH(bool, ok);
    QFETCH(QString, reason);
    useSchemas(schemaXml);
    const QString bitmap =
        DesktopTestFiles::writeBitmap(m_dir.filePath(QStringLiteral("schemas/tessaly.bmp")));
    const auto desktop = GSettingsDesktopBackend::gnome();
    QString style = QStringLiteral("Center");
    const ApplyResult result = desktop->apply(bitmap, style);
    QCOMPARE(result.ok, ok);
    QVERIFY2(ok ? result.reason.isEmpty() : result.reason.startsWith(reason), qPrintable(result.reason));
    if (ok) {
        QCOMPARE(setCalls(), (QStringList{"set org.gnome.desktop.background picture-options",
                                          "set org.gnome.desktop.background picture-uri"}));
    } else {
        QVERIFY(setCalls().isEmpty());
    }
}

void tst_GSettingsBackends::valueTheServiceDidNotKeepIsReported()
{
    // gsettings exits 0 when its write never reached the settings store (no session bus for dconf, or
    // the memory back end): only reading the value back shows it.
    qputenv("GSETTINGS_BACKEND", "memory");
    const QString bitmap =
        DesktopTestFiles::writeBitmap(m_dir.filePath(QStringLiteral("memory/tessaly.bmp")));
    const auto desktop = GSettingsDesktopBackend::mate();
    QString style = QStringLiteral("Tile");
    const ApplyResult result = desktop->apply(bitmap, style);
    qputenv("GSETTINGS_BACKEND", "keyfile");
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, QStringLiteral("MATE: org.mate.background picture-options did not keep the value "
                                           "written (is the settings service running?)"));
}

QTEST_GUILESS_MAIN(tst_GSettingsBackends)
#include "tst_GSettingsBackends.moc"
