// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"
#include "FakeFontChooser.h"
#include "FakePrompter.h"
#include "FakeVolumes.h"
#include "core/LoadedImages.h"
#include "ui/OptionDialogLauncher.h"

#include <QPointer>
#include <QTest>

class tst_OptionDialogLauncher : public QObject
{
    Q_OBJECT

private slots:
    void eachDialogOpensModelessAndGoesAwayWhenClosed_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("form");
        QTest::addRow("Timer") << 0 << "frmTimer";
        QTest::addRow("Display") << 1 << "frmDisplay";
        QTest::addRow("Mode") << 2 << "frmMode";
        QTest::addRow("Caption") << 3 << "frmCaption";
        QTest::addRow("Multiple") << 4 << "frmMultifiles";
    }
    void eachDialogOpensModelessAndGoesAwayWhenClosed()
    {
        QFETCH(int, which);
        QFETCH(QString, form);
        DialogFixture f("");
        LoadedImages images;
        FakePrompter prompter;
        FakeFontChooser fonts;
        FakeVolumes volumes;
        OptionDialogLauncher launcher(&f.mainWindow, f.settings, *f.file, images, prompter, fonts, volumes,
                                      [](int) {});
        const std::array<void (OptionDialogs::*)(), 5> opens{
            &OptionDialogs::openTimer, &OptionDialogs::openDisplay, &OptionDialogs::openMode,
            &OptionDialogs::openCaption, &OptionDialogs::openMultiple};
        OptionDialogs& dialogs = launcher;
        (dialogs.*opens[which])();

        QPointer<QWidget> dialog = launcher.openDialog();
        QVERIFY(dialog);
        QCOMPARE(QString::fromLatin1(dialog->metaObject()->className()), form);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QVERIFY(!f.mainWindow.isEnabled());
        QCOMPARE(dialog->pos(), f.mainWindow.pos());

        // A second request while one is open opens nothing more.
        (dialogs.*opens[(which + 1) % 5])();
        QCOMPARE(launcher.openDialog(), dialog.data());

        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
        QVERIFY(f.mainWindow.isEnabled());
        QVERIFY(f.mainWindow.isVisible());
    }
};

QTEST_MAIN(tst_OptionDialogLauncher)
#include "tst_OptionDialogLauncher.moc"
