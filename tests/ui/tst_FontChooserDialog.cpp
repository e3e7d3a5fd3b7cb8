// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FontChooserDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

class tst_FontChooserDialog : public QObject
{
    Q_OBJECT

private slots:
    void offersOnlyTenToFortyEightPoints()
    {
        FontChooserDialog dialog;
        QVERIFY(!dialog.sizeBox->isEditable());
        QCOMPARE(dialog.sizeBox->itemData(0).toDouble(), 10.0);
        QCOMPARE(dialog.sizeBox->itemData(dialog.sizeBox->count() - 1).toDouble(), 48.0);
    }

    void sizeIsKeptInRange_data()
    {
        QTest::addColumn<double>("asked");
        QTest::addColumn<double>("shown");
        QTest::addRow("9 points") << 9.0 << 10.0;
        QTest::addRow("72 points") << 72.0 << 48.0;
        QTest::addRow("ends") << 10.0 << 10.0;
        QTest::addRow("fraction kept") << 13.5 << 13.5;
    }
    void sizeIsKeptInRange()
    {
        QFETCH(double, asked);
        FontChooserDialog dialog;
        dialog.setChoice({QStringLiteral("DejaVu Sans"), asked, false, false, false, false, 0});
        QTEST(dialog.choice().size, "shown");
        for (int i = 1; i < dialog.sizeBox->count(); ++i)
            QVERIFY(dialog.sizeBox->itemData(i - 1).toDouble() < dialog.sizeBox->itemData(i).toDouble());
    }

    void choiceRoundTrips()
    {
        FontChooserDialog dialog;
        const FontChoice choice{QStringLiteral("DejaVu Serif"), 20, true, true, false, true, 0x123456};
        dialog.setChoice(choice);
        QCOMPARE(dialog.choice(), choice);
        // The sample shows each style on its own: italic here, not underlined.
        QVERIFY(dialog.sample->font().italic() && !dialog.sample->font().underline());
        dialog.underlineCheck->click();
        QVERIFY(dialog.choice().underline);
        QVERIFY(dialog.sample->font().underline());
    }
};

QTEST_MAIN(tst_FontChooserDialog)
#include "tst_FontChooserDialog.moc"
