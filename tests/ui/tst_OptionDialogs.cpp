// SPDX-License-Identifier: GPL-3.0-or-later
// The option dialogs as the toolbar opens them: what each stores on Ok, that the program's settings hold
// no choice before Ok, and that Cancel, the close box and a failed save leave the file as it was.
#include "CollectionAdvice.h"
#include "FakeFontChooser.h"
#include "FakePrompter.h"
#include "FakeVolumes.h"
#include "FolderDialog.h"
#include "FontChooserDialog.h"
#include "LoadedImages.h"
#include "NativeFileSystem.h"
#include "OptionDialogLauncher.h"
#include "SettingsFile.h"
#include "SettingsSchema.h"
#include "TempAppFolder.h"
#include "TestPictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace {

QStringList values(const Settings& settings)
{
    QStringList texts;
    for (const SettingSpec& spec : SettingsSchema::all())
        texts << settings.*spec.field;
    return texts;
}

const QMap<QString, void (OptionDialogs::*)()> kOpens{{"timer", &OptionDialogs::openTimer},
                                                      {"display", &OptionDialogs::openDisplay},
                                                      {"mode", &OptionDialogs::openMode},
                                                      {"caption", &OptionDialogs::openCaption},
                                                      {"multiple", &OptionDialogs::openMultiple}};

} // namespace

class tst_OptionDialogs : public QObject
{
    Q_OBJECT

    TempAppFolder m_folder;
    std::unique_ptr<SettingsFile> m_file;
    Settings m_settings;
    LoadedImages m_images;
    CollectionAdvice m_advice;
    FakePrompter m_prompter;
    FakeFontChooser m_fonts;
    FakeVolumes m_volumes;
    QWidget m_mainWindow;
    QList<std::pair<QString, bool>> m_loads; // each load's folder, and whether with its subfolders
    std::unique_ptr<OptionDialogLauncher> m_launcher;
    QString m_home;

    void load(const QByteArray& ini)
    {
        m_launcher.reset();
        m_folder.writeSettings(ini);
        m_file = std::make_unique<SettingsFile>(m_folder.settingsPath(), NativeFileSystem::instance());
        m_settings = SettingsSchema::readAll(*m_file);
        m_prompter.clear();
        m_loads.clear();
        m_images.clear();
        m_images.append(QStringLiteral("/old.jpg"));
        m_fonts.answer = FontChoice{QStringLiteral("Serif"), 13.5, true, false, true, true, 255};
        m_launcher = std::make_unique<OptionDialogLauncher>(
            &m_mainWindow, m_settings, *m_file, m_prompter, m_fonts, m_volumes,
            [this](const QString& folder, bool subfolders, bool) {
                m_loads.append({folder, subfolders});
            });
    }

private slots:
    void initTestCase()
    {
        m_home = m_folder.folder() + QStringLiteral("vol/home/");
        QVERIFY(QDir().mkpath(m_home));
        QVERIFY(QDir().mkpath(m_folder.folder() + QStringLiteral("other")));
        m_volumes.volumes = {{m_folder.folder() + QStringLiteral("vol/"), QStringLiteral("vol")},
                             {m_folder.folder() + QStringLiteral("other/"), QStringLiteral("other")}};
        for (const char* name : {"b.jpg", "a.gif", "c.txt", "D.JPG", "e.jif", "f.dib", "g.png", ".hidden.jpg",
                                 "two\nlines.jpg", "Trip/c.jpg", "Trip/Day 2/a.webp"})
            QVERIFY(!TestPictures::written(m_home + QLatin1String(name), {}).isEmpty());
        qputenv("HOME", m_home.toUtf8());
        qputenv("XDG_CONFIG_HOME", m_folder.folder().toUtf8());
        m_mainWindow.move(140, 90);
    }

    void init() { load(""); }

    void edits_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("written"); // none: the file is as it was
        const char* mode = "[display]\nsequenceType=0\n";
        const char* hours = "[time]\ntimeOption=1\ntimeHour=5\nchangeEveryBoot=0\n";
        const char* minutes = "[time]\ntimeOption=0\ntimeMin=45\ntimeHour=5\ntimeDay=3\nchangeEveryBoot=0\n";
        const char* rows[][4] = {
            {"display: a stored 2.0 is Tile", "[display]\ndisplayType=2.0\n", "display ok", "displayType=2"},
            // An older copy reading the file stretches: it knows displayType alone.
            {"display: fill beside a stretched displayType", "", "display fillOption ok",
             "displayType=0 fitting=fill"},
            {"display: a stored fit opens chosen, one picture across the monitors",
             "[display]\ndisplayType=0\nfitting=fit\nscreens=each\n", "display screensBox:2 ok",
             "displayType=0 fitting=fit screens=span"},
            {"display: an older copy's centre stands over a stale fit",
             "[display]\ndisplayType=1\nfitting=fit\n", "display ok", "displayType=1 fitting="},
            {"mode: random", mode, "mode randomOption ok", "sequenceType=1"},
            {"mode: each once", mode, "mode shuffleOption ok", "sequenceType=shuffle"},
            {"mode: the close box is Cancel", mode, "mode randomOption close", ""},
            {"mode: a failed save is told with the file and the reason", mode, "mode randomOption broken ok",
             ""},
            {"timer: 24 hours typed, every start", hours, "timer =24 everyStartCheck ok",
             "timeOption=1 timeHour=24 changeEveryBoot=1"},
            {"timer: 0 and 25 hours refused", hours, "timer =0 =25 ok", "timeHour=2"},
            {"timer: the spinner stops at 1 minute", "[time]\ntimeOption=0\ntimeMin=1\n", "timer - ok",
             "timeMin=1"},
            {"timer: each unit its own count", minutes, "timer daysOption + ok",
             "timeOption=2 timeMin=45 timeHour=5 timeDay=4"},
            {"timer: each unit its own range, the count beside it",
             "[time]\ntimeOption=0\ntimeMin=60\ntimeDay=10\n", "timer beside + daysOption beside + ok",
             "timeOption=2 timeMin=60 timeDay=10"},
            {"timer: Cancel restores every unit", minutes,
             "timer + hoursOption + daysOption everyStartCheck cancel", ""},
            {"caption: the chosen font", "[font]\ncaptionPosition=1\nonOffCaption=1\n",
             "caption fontButton topCentreOption onImageOption ok",
             "captionPosition=0 onOffCaption=0 newFontName=Serif newFontSize=13.5 newFontBold=True "
             "newFontItalic=False newFontUnderline=True newFontFontStrikethru=True newFontForeColor=255"},
            {"caption: Cancel restores the font", "[font]\ncaptionPosition=1\n",
             "caption fontButton bottomCentreOption cancel", ""},
            {"caption: a readable style and the caption of pictures without one",
             "[font]\ncaptionEffect=3\nautomaticColour=True\n",
             "caption effectBox:1 automaticColourCheck defaultCaptionEdit:{name} ok",
             "captionEffect=1 automaticColour=False defaultCaption={name}"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row[0]) << QString::fromUtf8(row[1]) << row[2] << row[3];
    }
    void edits()
    {
        QFETCH(QString, ini);
        QFETCH(QString, steps);
        QFETCH(QString, written);
        load(ini.toUtf8());
        const QByteArray before = m_folder.readSettings();
        QStringList words = steps.split(u' ');
        (m_launcher.get()->*kOpens[words.takeFirst()])();
        QPointer<QWidget> dialog = m_launcher->openDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), dialog.data());
        QCOMPARE(dialog->parentWidget(), &m_mainWindow);
        m_launcher->openMultiple();
        QCOMPARE(m_launcher->openDialog(), dialog.data());

        auto* count = dialog->findChild<QSpinBox*>(QStringLiteral("countBox"));
        const QStringList opening = values(m_settings);
        for (const QString& word : words) {
            // A change made meanwhile composes with what the settings hold: no choice before Ok.
            QCOMPARE(values(m_settings), opening);
            if (word == u"+" || word == u"-") {
                word == u"+" ? count->stepUp() : count->stepDown();
            } else if (word.startsWith(u'=')) {
                count->selectAll();
                QTest::keyClick(count, Qt::Key_Backspace);
                QTest::keyClicks(count, word.mid(1));
            } else if (word == u"beside") {
                // The count stands on the row of the unit it counts.
                dialog->layout()->activate();
                const auto middle = [&dialog](QWidget* widget) {
                    return widget->mapTo(dialog, widget->rect().center()).y();
                };
                QAbstractButton* unit = nullptr;
                for (auto* option : dialog->findChildren<QRadioButton*>())
                    unit = option->isChecked() ? option : unit;
                QVERIFY(qAbs(middle(count) - middle(unit)) <= 2);
            } else if (word.startsWith(u"screensBox:")) {
                dialog->findChild<QComboBox*>(QStringLiteral("screensBox"))
                    ->setCurrentIndex(word.section(u':', 1).toInt());
            } else if (word == u"close") {
                dialog->close();
            } else if (const qsizetype colon = word.indexOf(u':'); colon > 0) {
                // A choice in a list, or text typed into a field.
                const QString name = word.first(colon), value = word.mid(colon + 1);
                if (auto* list = dialog->findChild<QComboBox*>(name))
                    list->setCurrentIndex(value.toInt());
                else if (auto* field = dialog->findChild<QLineEdit*>(name))
                    QTest::keyClicks(field, value);
                else
                    QFAIL(qPrintable(word));
            } else if (word == u"broken") {
                QVERIFY(QFile::remove(m_file->path()) && QDir().mkdir(m_file->path()));
            } else {
                QVERIFY2(dialog->findChild<QAbstractButton*>(word), qPrintable(word));
                dialog->findChild<QAbstractButton*>(word)->click();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);

        if (steps.contains(u"broken")) {
            QVERIFY(!m_prompter.texts().isEmpty());
            for (const QString& text : m_prompter.texts()) {
                QVERIFY2(text.contains(m_folder.settingsPath()), qPrintable(text));
                QVERIFY2(text.contains(QStringLiteral("it is a folder, not a plain file")), qPrintable(text));
            }
            QVERIFY(QDir().rmdir(m_file->path()));
            return;
        }
        QVERIFY(m_prompter.texts().isEmpty());
        const QString after = QString::fromUtf8(m_folder.readSettings());
        if (written.isEmpty())
            QCOMPARE(after.toUtf8(), before);
        for (const QString& line : written.split(u' ', Qt::SkipEmptyParts))
            QVERIFY2(after.contains(u'\n' + line + u'\n'), qPrintable(after));
        QCOMPARE(values(m_settings), values(SettingsSchema::readAll(*m_file)));
    }

    void fontChooserShowsAndReturnsTheChoice()
    {
        FontChooserDialog dialog;
        const auto* sample = dialog.findChild<QLabel*>(QStringLiteral("sample"));
        const FontChoice choice{QStringLiteral("DejaVu Serif"), 20, true, true, false, true, 0x123456};
        dialog.setChoice(choice);
        QCOMPARE(dialog.choice(), choice);
        QCOMPARE(sample->palette().color(QPalette::WindowText), QColor(0x56, 0x34, 0x12));
        const QFont shown = sample->font();
        QVERIFY(shown.bold() && shown.italic() && !shown.underline() && shown.strikeOut());
        dialog.setChoice({QStringLiteral("DejaVu Sans"), 72, false, false, true, false, 0});
        QCOMPARE(dialog.choice().size, 48.0);
        const QFont plain = sample->font();
        QVERIFY(!plain.bold() && !plain.italic() && plain.underline() && !plain.strikeOut());
        dialog.setChoice({QStringLiteral("DejaVu Sans"), 9, false, false, false, false, 0});
        QCOMPARE(dialog.choice().size, 10.0);
    }

    void multipleLoadsTheHomeFolder_data()
    {
        QTest::addColumn<bool>("subfolders");
        QTest::addRow("with its subfolders") << true;
        QTest::addRow("the folder alone") << false;
    }
    void multipleLoadsTheHomeFolder()
    {
        QFETCH(bool, subfolders);
        m_launcher->openMultiple();
        QPointer<QDialog> dialog = m_launcher->openDialog();
        QVERIFY(dialog);
        QCOMPARE(qobject_cast<FolderDialog*>(dialog.data())->filePath(), m_home);
        auto* box = dialog->findChild<QAbstractButton*>(QStringLiteral("subfoldersBox"));
        QVERIFY(box->isChecked());
        box->setChecked(subfolders);
        dialog->findChild<QAbstractButton*>(QStringLiteral("loadButton"))->click();
        QCOMPARE(m_loads, (QList<std::pair<QString, bool>>{{m_home, subfolders}}));
        QTRY_VERIFY(!dialog);
    }

    void multipleLeadsBackFromAnUnreadyVolume()
    {
        m_launcher->openMultiple();
        QDialog* dialog = m_launcher->openDialog();
        auto* volumes = dialog->findChild<QComboBox*>(QStringLiteral("volumeBox"));
        m_volumes.unready = {m_folder.folder() + QStringLiteral("other/")};
        volumes->setCurrentIndex(1);
        QCOMPARE(m_prompter.texts(), QStringList{"Device is not ready"});
        QCOMPARE(volumes->currentIndex(), 0);
        dialog->findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->click();
        QCOMPARE(m_images.count(), 1);
        m_volumes.unready.clear();
    }
};

QTEST_MAIN(tst_OptionDialogs)
#include "tst_OptionDialogs.moc"
