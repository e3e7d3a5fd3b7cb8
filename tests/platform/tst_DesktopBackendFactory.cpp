// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingDesktop.h"
#include "platform/desktop/DesktopBackendFactory.h"

#include <QTest>

class tst_DesktopBackendFactory : public QObject
{
    Q_OBJECT

private slots:
    void detectsTheSession_data();
    void detectsTheSession();
    void createsTheNamedBackend_data();
    void createsTheNamedBackend();
    void unknownNameIsReportedOnApply();
    void styleWordIsNormalisedForTheCaller_data();
    void styleWordIsNormalisedForTheCaller();
};

void tst_DesktopBackendFactory::detectsTheSession_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("expected");

    QTest::addRow("GNOME") << QStringList{"XDG_CURRENT_DESKTOP=GNOME", "DISPLAY=:0"} << "gnome";
    QTest::addRow("Ubuntu first token") << QStringList{"XDG_CURRENT_DESKTOP=ubuntu:GNOME"} << "gnome";
    QTest::addRow("Budgie") << QStringList{"XDG_CURRENT_DESKTOP=Budgie:GNOME"} << "gnome";
    QTest::addRow("Pantheon") << QStringList{"XDG_CURRENT_DESKTOP=Pantheon"} << "gnome";
    QTest::addRow("unknown token then known") << QStringList{"XDG_CURRENT_DESKTOP=Foo:XFCE"} << "xfce";
    QTest::addRow("Cinnamon") << QStringList{"XDG_CURRENT_DESKTOP=X-Cinnamon"} << "cinnamon";
    QTest::addRow("MATE") << QStringList{"XDG_CURRENT_DESKTOP=MATE"} << "mate";
    QTest::addRow("KDE") << QStringList{"XDG_CURRENT_DESKTOP=KDE", "WAYLAND_DISPLAY=wayland-0"} << "kde";
    QTest::addRow("LXQt") << QStringList{"XDG_CURRENT_DESKTOP=LXQt"} << "lxqt";
    QTest::addRow("LXDE") << QStringList{"XDG_CURRENT_DESKTOP=LXDE"} << "lxde";
    QTest::addRow("sway by name") << QStringList{"XDG_CURRENT_DESKTOP=sway", "DISPLAY=:1"} << "sway";
    QTest::addRow("desktop session") << QStringList{"DESKTOP_SESSION=plasma", "DISPLAY=:0"} << "kde";
    QTest::addRow("session desktop") << QStringList{"XDG_SESSION_DESKTOP=xubuntu"} << "xfce";
    QTest::addRow("Raspberry Pi LXDE") << QStringList{"DESKTOP_SESSION=LXDE-pi"} << "lxde";
    QTest::addRow("current desktop wins over session")
        << QStringList{"XDG_CURRENT_DESKTOP=MATE", "DESKTOP_SESSION=gnome"} << "mate";
    QTest::addRow("KDE marker") << QStringList{"KDE_FULL_SESSION=true", "DISPLAY=:0"} << "kde";
    QTest::addRow("GNOME marker") << QStringList{"GNOME_DESKTOP_SESSION_ID=this-is-deprecated"} << "gnome";
    QTest::addRow("MATE marker") << QStringList{"MATE_DESKTOP_SESSION_ID=Default"} << "mate";
    QTest::addRow("sway socket") << QStringList{"SWAYSOCK=/run/user/1000/sway-ipc.sock", "DISPLAY=:0"}
                                 << "sway";
    QTest::addRow("other Wayland") << QStringList{"XDG_CURRENT_DESKTOP=Hyprland", "WAYLAND_DISPLAY=wayland-1"}
                                   << "sway";
    QTest::addRow("plain X11, i3") << QStringList{"XDG_CURRENT_DESKTOP=i3", "DISPLAY=:0"} << "x11";
    QTest::addRow("nothing") << QStringList{"HOME=/root"} << "none";
    QTest::addRow("empty values") << QStringList{"XDG_CURRENT_DESKTOP=", "DISPLAY="} << "none";
}

void tst_DesktopBackendFactory::detectsTheSession()
{
    QFETCH(QStringList, variables);
    QFETCH(QString, expected);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    QCOMPARE(DesktopBackendFactory::detect(environment), expected);
}

void tst_DesktopBackendFactory::createsTheNamedBackend_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected");

    for (const QString& name : DesktopBackendFactory::names())
        QTest::addRow("%s", qPrintable(name)) << name << name;
    QTest::addRow("letter case and blanks") << " GNOME "
                                            << "gnome";
    QTest::addRow("auto detects") << "auto"
                                  << "xfce";
    QTest::addRow("empty detects") << ""
                                   << "xfce";
}

void tst_DesktopBackendFactory::createsTheNamedBackend()
{
    QFETCH(QString, setting);
    QFETCH(QString, expected);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("XFCE"));
    QCOMPARE(DesktopBackendFactory::create(setting, QString(), environment)->name(), expected);
}

void tst_DesktopBackendFactory::unknownNameIsReportedOnApply()
{
    const auto backend = DesktopBackendFactory::create(QStringLiteral("gnmoe"), QString(), {});
    QString style = QStringLiteral("Center");
    const ApplyResult result = backend->apply(QStringLiteral("/tmp/tessaly.bmp"), style);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.contains(QLatin1String("\"gnmoe\"")), qPrintable(result.reason));
    QVERIFY2(result.reason.contains(QLatin1String("gnome")), qPrintable(result.reason));
}

void tst_DesktopBackendFactory::styleWordIsNormalisedForTheCaller_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("used");

    QTest::addRow("Center") << "Center"
                            << "Center";
    QTest::addRow("Tile") << "Tile"
                          << "Tile";
    QTest::addRow("Stretch") << "Stretch"
                             << "Stretch";
    QTest::addRow("lower case") << "center"
                                << "Stretch";
    QTest::addRow("upper case") << "TILE"
                                << "Stretch";
    QTest::addRow("trailing blank") << "Center "
                                    << "Stretch";
    QTest::addRow("empty") << ""
                           << "Stretch";
    QTest::addRow("number") << "2"
                            << "Stretch";
}

void tst_DesktopBackendFactory::styleWordIsNormalisedForTheCaller()
{
    QFETCH(QString, given);
    QFETCH(QString, used);
    RecordingDesktop desktop;
    QString style = given;
    QVERIFY(desktop.apply(QStringLiteral("/x/tessaly.bmp"), style).ok);
    QCOMPARE(style, used);
    QCOMPARE(desktop.applied().size(), 1);
    QCOMPARE(desktop.applied().first().style, used);
}

QTEST_GUILESS_MAIN(tst_DesktopBackendFactory)
#include "tst_DesktopBackendFactory.moc"
