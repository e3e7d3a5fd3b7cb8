// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePrompter.h"
#include "FakeVolumes.h"
#include "TempAppFolder.h"
#include "core/LoadedImages.h"
#include "core/SettingsFile.h"
#include "platform/PosixFileSystem.h"
#include "ui/CollectionAdvice.h"
#include "ui/frmMultifiles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

const QString kAdvice = QStringLiteral("It is recommended that you should have less than 700 loaded images.");

void touch(const QString& folder, const QStringList& names)
{
    for (const QString& name : names) {
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

} // namespace

class tst_frmMultifiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_volA, m_volB, m_volC;
    FakeVolumes m_volumes;
    FakePrompter m_prompter;
    LoadedImages m_images;
    QWidget m_mainWindow;
    QList<int> m_selected;
    CollectionAdvice m_advice;

    frmMultifiles* open()
    {
        return new frmMultifiles(&m_mainWindow, m_images, m_advice, m_prompter, m_volumes,
                                 [this](int position) { m_selected.append(position); });
    }

    void fill(int count)
    {
        m_images.Clear();
        m_images.AppendPaths(QStringList(count, QStringLiteral("/old.jpg")));
    }

private slots:
    void initTestCase()
    {
        m_volA = m_dir.path() + QStringLiteral("/a/");
        m_volB = m_dir.path() + QStringLiteral("/b/");
        m_volC = m_dir.path() + QStringLiteral("/c/");
        for (const QString& root : {m_volA, m_volB, m_volC}) {
            QVERIFY(QDir().mkpath(root + QStringLiteral("pictures/empty")));
            m_volumes.volumes.append({root, root});
        }
        touch(m_volA + QStringLiteral("pictures/"), {"b.jpg", "a.gif", "c.txt", "D.JPG", "e.jpeg", "f.jif",
                                                     "g.dib", "h.BMP", "i.png", "j.webp", ".hidden.jpg"});
        QVERIFY(QDir().mkpath(m_volA + QStringLiteral("pictures/folder.jpg")));
        // No Pictures folder there: the dialog opens at home, not at the current folder.
        qputenv("HOME", (m_volA + QStringLiteral("pictures")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        QVERIFY(QDir::setCurrent(m_volB));
    }

    void init()
    {
        m_prompter.clear();
        m_selected.clear();
        m_volumes.unready.clear();
        m_advice.reset();
        fill(2);
    }

    void opensAtHomeAndLoadsItsPictures()
    {
        frmMultifiles* dialog = open();
        QVERIFY(!m_mainWindow.isEnabled());
        QCOMPARE(dialog->drvDrives->currentData().toString(), m_volA);
        QCOMPARE(dialog->filePath(), m_volA + QStringLiteral("pictures/"));
        const QModelIndex shown = dialog->dirDirectories->currentIndex();
        QVERIFY(dialog->dirDirectories->isExpanded(shown.parent()));
        // The add dialog's suffixes (.jif) and the installed readers' (.png, .webp) besides its own.
        const QStringList expected{"a.gif", "b.jpg", "D.JPG", "e.jpeg", "f.jif",
                                   "g.dib", "h.BMP", "i.png", "j.webp"};
        QCOMPARE(dialog->fileNames(), expected);
        dialog->Command1->click();
        QCOMPARE(m_images.Count(), 11);
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(m_images.PathAt(2 + i), m_volA + QStringLiteral("pictures/") + expected[i]);
            QCOMPARE(m_images.CaptionAt(2 + i), QString());
        }
        QCOMPARE(m_images.PathAt(0), QStringLiteral("/old.jpg"));
        QCOMPARE(m_selected, QList<int>{10});
        QVERIFY(m_prompter.shown().isEmpty());
        QVERIFY(m_mainWindow.isEnabled());
        delete dialog;
    }

    void emptyFolderAddsNothing_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QList<int>>("selected");
        QTest::addRow("three entries") << 3 << QList<int>{2};
        QTest::addRow("empty collection") << 0 << QList<int>{};
    }
    void emptyFolderAddsNothing()
    {
        QFETCH(int, entries);
        fill(entries);
        frmMultifiles* dialog = open();
        dialog->setFolder(m_volA + QStringLiteral("pictures/empty"));
        QVERIFY(dialog->fileNames().isEmpty());
        dialog->Command1->click();
        QCOMPARE(m_images.Count(), entries);
        QTEST(m_selected, "selected");
        QVERIFY(dialog->isHidden());
        delete dialog;
    }

    void adviceOnceAfterSevenHundred()
    {
        fill(699 - 9);
        for (int load = 0; load < 2; ++load) {
            frmMultifiles* dialog = open();
            dialog->Command1->click();
            delete dialog;
        }
        QCOMPARE(m_images.Count(), 699 + 9);
        QCOMPARE(m_prompter.texts(), QStringList{kAdvice});
        QCOMPARE(m_prompter.shown().value(0).icon, PromptIcon::Exclamation);
        QVERIFY(m_advice.shown());
    }

    void stopsAtTheCountLimit()
    {
        fill(32767 - 4);
        m_advice.setShown(true);
        frmMultifiles* dialog = open();
        dialog->Command1->click();
        QCOMPARE(m_images.Count(), 32767);
        QCOMPARE(m_images.PathAt(32767 - 1), m_volA + QStringLiteral("pictures/e.jpeg"));
        QCOMPARE(m_prompter.shown().size(), 1);
        QCOMPARE(m_prompter.texts().value(0), QStringLiteral("The list holds at most 32,767 pictures: 4 of "
                                                             "the 9 files were loaded and 5 were left out."));
        QCOMPARE(m_selected, QList<int>{32767 - 1});
        delete dialog;
    }

    void nameWithALineBreakIsRefusedByName()
    {
        const QString folder = m_volB + QStringLiteral("lines/");
        QVERIFY(QDir().mkpath(folder));
        touch(folder, {"ok.jpg", "two\nlines.jpg"});
        frmMultifiles* dialog = open();
        dialog->setFolder(folder);
        dialog->Command1->click();
        QCOMPARE(m_images.Count(), 3);
        QCOMPARE(m_prompter.texts().size(), 1);
        QVERIFY(m_prompter.texts().first().contains(folder + QStringLiteral("two\u21B5lines.jpg")));
        // The list on disk is the list on screen.
        TempAppFolder app;
        SettingsFile file(app.settingsPath(), PosixFileSystem::instance());
        QVERIFY(m_images.SaveToSettings(file));
        QCOMPARE(app.readSettings(), "[total]\ntotal=3\n[images]\n0=/old.jpg\n1=/old.jpg\n2=" +
                                         folder.toUtf8() + "ok.jpg\n[caption]\n0=\n1=\n2=\n");
        delete dialog;
    }

    void unreadyVolumeLeadsBackToTheOpeningOne()
    {
        m_volumes.unready.insert(m_volC);
        frmMultifiles* dialog = open();
        dialog->drvDrives->setCurrentIndex(1);
        QCOMPARE(dialog->filePath(), m_volB);
        dialog->drvDrives->setCurrentIndex(2);
        QCOMPARE(m_prompter.texts(), QStringList{"Device is not ready"});
        QCOMPARE(m_prompter.shown().value(0).icon, PromptIcon::Critical);
        QCOMPARE(dialog->drvDrives->currentIndex(), 0);
        QCOMPARE(dialog->filePath(), m_volA);

        // The opening volume gone too: one message each, and no endless bouncing.
        m_prompter.clear();
        m_volumes.unready.insert(m_volA);
        dialog->drvDrives->setCurrentIndex(2);
        QCOMPARE(m_prompter.texts().size(), 2);
        delete dialog;
    }

    void cancelLeavesTheCollection()
    {
        frmMultifiles* dialog = open();
        dialog->cmdQuit->click();
        QCOMPARE(m_images.Count(), 2);
        QVERIFY(m_selected.isEmpty());
        QVERIFY(m_mainWindow.isEnabled());
        delete dialog;
    }
};

QTEST_MAIN(tst_frmMultifiles)
#include "tst_frmMultifiles.moc"
