// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"
#include "ui/frmTimer.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {

QByteArray timeSection(const QString& option, const QString& min, const QString& hour, const QString& day,
                       const QString& boot)
{
    return QStringLiteral("[time]\nchangeEveryBoot=%5\ntimeOption=%1\ntimeMin=%2\ntimeHour=%3\ntimeDay=%4\n")
        .arg(option, min, hour, day, boot)
        .toUtf8();
}

QString selectedUnit(const frmTimer& dialog)
{
    for (QRadioButton* option : {dialog.minOption, dialog.hourOption, dialog.dayOption}) {
        if (option->isChecked())
            return option->objectName();
    }
    return QString();
}

void upperArrow(frmTimer& dialog)
{
    dialog.timeScroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

} // namespace

class tst_frmTimer : public QObject
{
    Q_OBJECT

private slots:
    void opening_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("boot");
        QTest::addRow("hours 5") << timeSection("1", "30", "5", "1", "0") << "hourOption" << 5 << "Hours"
                                 << false;
        QTest::addRow("one minute") << timeSection("0", "1", "5", "1", "1") << "minOption" << 1 << "Minute"
                                    << true;
        QTest::addRow("2.0 is days") << timeSection("2.0", "30", "5", "7", "1.0") << "dayOption" << 7
                                     << "Days" << true;
        QTest::addRow("7 is days") << timeSection("7", "30", "5", "1", "2") << "dayOption" << 1 << "Day"
                                   << false;
        QTest::addRow("over the range")
            << timeSection("0", "99", "5", "1", "0") << "minOption" << 60 << "Minutes" << false;
    }
    void opening()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, unit);
        QFETCH(int, count);
        QFETCH(QString, word);
        QFETCH(bool, boot);
        DialogFixture f(ini);
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        QCOMPARE(selectedUnit(dialog), unit);
        QCOMPARE(dialog.count(), count);
        QCOMPARE(dialog.timeText->text(), QString::number(count));
        QCOMPARE(dialog.timeLabel->text(), word);
        QCOMPARE(dialog.bootCheck->isChecked(), boot);
    }

    void okWritesAllFiveInOrder()
    {
        DialogFixture f("[time]\n");
        f.settings = Settings{};
        f.settings.timeOption = QStringLiteral("1");
        f.settings.timeMin = QStringLiteral("30");
        f.settings.timeHour = QStringLiteral("5");
        f.settings.timeDay = QStringLiteral("3");
        f.settings.changeEveryBoot = QStringLiteral("1");
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        dialog.ok->click();
        QCOMPARE(f.keyLines(QStringLiteral("time")),
                 QStringList({"timeOption=1", "timeMin=30", "timeHour=5", "timeDay=3", "changeEveryBoot=1"}));
        QVERIFY(f.mainWindow.isEnabled());
    }

    void unitSwitchShowsEachUnitsCountAndCancelRestores()
    {
        DialogFixture f(timeSection("0", "45", "5", "3", "0"));
        const QByteArray before = f.folder.readSettings();
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        QCOMPARE(dialog.count(), 45);
        upperArrow(dialog);
        QCOMPARE(f.settings.timeMin, QStringLiteral("46"));

        dialog.hourOption->click();
        QCOMPARE(f.settings.timeOption, QStringLiteral("1"));
        QCOMPARE(dialog.count(), 5);
        QCOMPARE(dialog.timeText->text(), QStringLiteral("5"));
        upperArrow(dialog);
        QCOMPARE(f.settings.timeHour, QStringLiteral("6"));
        QCOMPARE(dialog.timeLabel->text(), QStringLiteral("Hours"));

        dialog.dayOption->click();
        QCOMPARE(dialog.count(), 3);
        dialog.timeScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        dialog.timeScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(dialog.timeLabel->text(), QStringLiteral("Day"));
        QCOMPARE(f.settings.timeDay, QStringLiteral("1"));
        QCOMPARE(f.settings.timeMin, QStringLiteral("46"));
        dialog.bootCheck->click();

        dialog.cancel->click();
        QCOMPARE(f.settings.timeOption, QStringLiteral("0"));
        QCOMPARE(f.settings.timeMin, QStringLiteral("45"));
        QCOMPARE(f.settings.timeHour, QStringLiteral("5"));
        QCOMPARE(f.settings.timeDay, QStringLiteral("3"));
        QCOMPARE(f.settings.changeEveryBoot, QStringLiteral("0"));
        QCOMPARE(f.folder.readSettings(), before);
        QVERIFY(f.mainWindow.isEnabled());
    }

    void spinnerStaysInTheUnitsRange()
    {
        DialogFixture f(timeSection("1", "30", "24", "1", "0"));
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        upperArrow(dialog);
        QCOMPARE(dialog.count(), 24);
        for (int i = 0; i < 30; ++i)
            dialog.timeScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(dialog.count(), 1);
        QCOMPARE(f.settings.timeHour, QStringLiteral("1"));
    }

    void typedCount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        QTest::addRow("within the hours") << "12" << 12;
        QTest::addRow("down to one") << "1" << 1;
        QTest::addRow("past 24 keeps what was in range") << "30" << 3;
        QTest::addRow("empty keeps the count") << "" << 5;
    }
    void typedCount()
    {
        QFETCH(QString, typed);
        QFETCH(int, count);
        DialogFixture f(timeSection("1", "30", "5", "1", "0"));
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        dialog.timeText->selectAll();
        QTest::keyClick(dialog.timeText, Qt::Key_Backspace);
        QTest::keyClicks(dialog.timeText, typed);
        QTest::keyClick(dialog.timeText, Qt::Key_Return);
        QCOMPARE(dialog.count(), count);
        QCOMPARE(dialog.timeText->text(), QString::number(count));
        QCOMPARE(f.settings.timeHour, QString::number(count));
    }

    void otherCloseKeepsEditsInMemoryOnly()
    {
        DialogFixture f(timeSection("1", "30", "5", "1", "0"));
        const QByteArray before = f.folder.readSettings();
        frmTimer dialog(&f.mainWindow, f.settings, *f.file, f.prompter);
        dialog.minOption->click();
        dialog.bootCheck->click();
        dialog.bootCheck->click();
        dialog.bootCheck->click();
        dialog.close();
        QCOMPARE(f.settings.timeOption, QStringLiteral("0"));
        QCOMPARE(f.settings.changeEveryBoot, QStringLiteral("1"));
        QCOMPARE(f.folder.readSettings(), before);
        QVERIFY(f.mainWindow.isEnabled());
    }
};

QTEST_MAIN(tst_frmTimer)
#include "tst_frmTimer.moc"
