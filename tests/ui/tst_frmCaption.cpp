// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"
#include "FakeFontChooser.h"
#include "ui/frmCaption.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QList<QString Settings::*> kFontFields = {
    &Settings::captionPosition,  &Settings::onOffCaption,          &Settings::newFontName,
    &Settings::newFontSize,      &Settings::newFontBold,           &Settings::newFontItalic,
    &Settings::newFontUnderline, &Settings::newFontFontStrikethru, &Settings::newFontForeColor};

QByteArray fontSection(const QString& position, const QString& onOff)
{
    return QStringLiteral("[font]\ncaptionPosition=%1\nonOffCaption=%2\nnewFontName=DejaVu Sans\n"
                          "newFontSize=12\nnewFontBold=1\nnewFontItalic=False\nnewFontUnderline=0\n"
                          "newFontFontStrikethru=false\nnewFontForeColor=16711680\n")
        .arg(position, onOff)
        .toUtf8();
}

QStringList values(const Settings& settings)
{
    QStringList texts;
    for (QString Settings::*field : kFontFields)
        texts.append(settings.*field);
    return texts;
}

FontChoice serifRed()
{
    return {QStringLiteral("DejaVu Serif"), 13.5, true, false, true, false, 255};
}

} // namespace

class tst_frmCaption : public QObject
{
    Q_OBJECT

private slots:
    void opening_data()
    {
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("onOff");
        QTest::addColumn<QString>("positionOption");
        QTest::addColumn<QString>("displayOption");
        QTest::addColumn<QString>("writtenPosition");
        QTest::addColumn<QString>("writtenOnOff");
        const char* rows[][7] = {
            {"0 0", "0", "0", "centerTopOption", "onImageOption", "0", "0"},
            {"1 1", "1", "1", "rightTopOption", "offImageOption", "1", "1"},
            {"out of range is as shipped", "7", "2.0", "bottomCenterOption", "onImageOption", "2", "0"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row[0]) << row[1] << row[2] << row[3] << row[4] << row[5] << row[6];
    }
    void opening()
    {
        QFETCH(QString, position);
        QFETCH(QString, onOff);
        QFETCH(QString, positionOption);
        QFETCH(QString, displayOption);
        QFETCH(QString, writtenPosition);
        QFETCH(QString, writtenOnOff);
        DialogFixture f(fontSection(position, onOff));
        FakeFontChooser chooser;
        frmCaption dialog(&f.mainWindow, f.settings, *f.file, f.prompter, chooser);
        QVERIFY(dialog.findChild<QRadioButton*>(positionOption)->isChecked());
        QVERIFY(dialog.findChild<QRadioButton*>(displayOption)->isChecked());
        dialog.ok->click();
        const Settings stored = SettingsSchema::readAll(*f.file);
        QCOMPARE(stored.captionPosition, writtenPosition);
        QCOMPARE(stored.onOffCaption, writtenOnOff);
    }

    void okWritesAllNineInOrder()
    {
        DialogFixture f("[font]\n");
        f.settings = SettingsSchema::readAll(*f.file);
        for (int i = 0; i < kFontFields.size(); ++i)
            f.settings.*kFontFields[i] = QString::number(i);
        FakeFontChooser chooser;
        frmCaption dialog(&f.mainWindow, f.settings, *f.file, f.prompter, chooser);
        dialog.ok->click();
        QCOMPARE(f.keyLines(QStringLiteral("font")),
                 QStringList({"captionPosition=0", "onOffCaption=1", "newFontName=2", "newFontSize=3",
                              "newFontBold=4", "newFontItalic=5", "newFontUnderline=6",
                              "newFontFontStrikethru=7", "newFontForeColor=8"}));
    }

    void chooserIsPrimedAndItsChoiceStoredAsText()
    {
        DialogFixture f(fontSection("0", "0"));
        FakeFontChooser chooser;
        chooser.answer = serifRed();
        frmCaption dialog(&f.mainWindow, f.settings, *f.file, f.prompter, chooser);
        QCOMPARE(dialog.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
        dialog.font->click();
        QCOMPARE(chooser.primed.value(0),
                 FontChoice({QStringLiteral("DejaVu Sans"), 12, true, false, false, false, 16711680}));
        QCOMPARE(values(f.settings),
                 QStringList({"0", "0", "DejaVu Serif", "13.5", "True", "False", "True", "False", "255"}));
        QCOMPARE(dialog.Picture2->palette().color(QPalette::Window), QColor(255, 0, 0));
        // The next opening of the chooser starts from the last choice.
        dialog.font->click();
        QCOMPARE(chooser.primed.value(1), serifRed());
    }

    void cancelledChooserChangesNothing()
    {
        DialogFixture f(fontSection("1", "1"));
        FakeFontChooser chooser;
        frmCaption dialog(&f.mainWindow, f.settings, *f.file, f.prompter, chooser);
        const QStringList before = values(f.settings);
        dialog.font->click();
        QCOMPARE(chooser.primed.size(), 1);
        QCOMPARE(values(f.settings), before);
        QCOMPARE(dialog.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
    }

    void cancelRestoresAllNine_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addRow("cancel") << true;
        QTest::addRow("close box") << false;
    }
    void cancelRestoresAllNine()
    {
        QFETCH(bool, cancel);
        DialogFixture f(fontSection("1", "1"));
        const QByteArray before = f.folder.readSettings();
        const QStringList opening = values(f.settings);
        FakeFontChooser chooser;
        chooser.answer = serifRed();
        frmCaption dialog(&f.mainWindow, f.settings, *f.file, f.prompter, chooser);
        dialog.centerTopOption->click();
        dialog.onImageOption->click();
        dialog.font->click();
        dialog.bottomCenterOption->click();
        const QStringList edited = values(f.settings);
        if (cancel)
            dialog.cancel->click();
        else
            dialog.close();
        QCOMPARE(values(f.settings), cancel ? opening : edited);
        QCOMPARE(f.folder.readSettings(), before);
        QVERIFY(f.mainWindow.isEnabled());
    }
};

QTEST_MAIN(tst_frmCaption)
#include "tst_frmCaption.moc"
