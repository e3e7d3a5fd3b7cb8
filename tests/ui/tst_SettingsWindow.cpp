// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window driven through its controls, found by objectName: the list commands, the
// help line, the toolbar and the thumbnail.
#include "CollectionAdvice.h"
#include "FakeFileDialogs.h"
#include "FakeLoginStart.h"
#include "FakePrompter.h"
#include "FakeUrlOpener.h"
#include "FaultyFileSystem.h"
#include "LoadedImages.h"
#include "RecordingOptionDialogs.h"
#include "SettingsWindow.h"
#include "TestPictures.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <cstdio>
#include <fstream>

namespace {

const QString kData = QStringLiteral(TESSALY_SOURCE_DIR "/data/");

} // namespace

class tst_SettingsWindow : public QObject
{
    Q_OBJECT

    LoadedImages m_images;
    FakePrompter m_prompter;
    FakeFileDialogs m_fileDialogs;
    FakeUrlOpener m_urlOpener;
    QStringList m_openedDialogs;
    FakeLoginStart m_loginStart;
    FaultyFileSystem m_files;
    std::unique_ptr<SettingsWindow> m_window;
    QTemporaryDir m_dir;
    QTemporaryDir m_odd; // folders holding what cannot be taken

    template<typename Control> Control* control(const QString& name) const
    {
        return m_window->findChild<Control*>(name);
    }
    void add(const std::optional<QString>& path)
    {
        m_fileDialogs.choose(path);
        control<QPushButton>(QStringLiteral("addButton"))->click();
    }
    QStringList captions() const
    {
        QStringList texts;
        for (int i = 0; i < m_images.count(); ++i)
            texts << m_images.captionAt(i);
        return texts;
    }

    /** A name with a byte that is not UTF-8, as a camera or an old system may give. */
    std::string badName() const
    {
        return QFile::encodeName(m_odd.filePath(QStringLiteral("names/"))).toStdString() + "bad\xff.gif";
    }

    /** Drops files and folders of `dir`, named relative to it, on the picture list. */
    bool drop(const QStringList& names, const QTemporaryDir& dir)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(dir.filePath(name));
        data.setUrls(urls);
        QWidget* viewport = control<QListView>(QStringLiteral("pictureList"))->viewport();
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDropEvent dropped(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &dropped);
        return enter.isAccepted();
    }

private slots:
    void initTestCase()
    {
        for (const char* name : {"A.png", "Trip/b.png", "Trip/Day 2/a.jpg"}) {
            const QString path = m_dir.filePath(QLatin1String(name));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(TestPictures::quadrants(QSize(8, 8)).save(path));
        }
        QVERIFY(
            !TestPictures::written(m_dir.filePath(QStringLiteral("notes.txt")), "not a picture").isEmpty());
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Empty")));

        const QByteArray gif =
            QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
        const auto odd = [this](const QString& name, const QByteArray& content) {
            return !TestPictures::written(m_odd.filePath(name), content).isEmpty();
        };
        for (const char* name : {"names/ok.gif", "locked/ok.gif", "locked/Inner/a.gif", "content/ok.gif",
                                 "content/denied.gif", "content/text.jpg"})
            QVERIFY(odd(QLatin1String(name), QByteArray(name).endsWith(".jpg") ? "text" : gif));
        std::ofstream(badName()) << gif.toStdString();
        m_files.denied = {m_odd.filePath(QStringLiteral("locked/Inner")),
                          m_odd.filePath(QStringLiteral("content/denied.gif"))};
        // More than the list has room for, written out of order: the first by path are taken.
        for (int i = LoadedImages::MaxEntries + 40; i-- > 0;)
            QVERIFY(odd(QStringLiteral("many/%1.gif").arg(i, 5, 10, QLatin1Char('0')), gif));
    }

    void cleanupTestCase()
    {
        // Qt cannot name it to remove it.
        std::remove(badName().c_str());
    }

    void init()
    {
        m_images.clear();
        m_images.append(kData + QStringLiteral("image1.gif"), QStringLiteral("A"));
        m_images.append(kData + QStringLiteral("image2.gif"), QStringLiteral("B"));
        m_images.append(kData + QStringLiteral("badimage.bmp"), QStringLiteral("C"));
        m_prompter.clear();
        m_urlOpener.shownInFolder.clear();
        m_openedDialogs.clear();
        m_loginStart = {};
        m_window = std::make_unique<SettingsWindow>(
            m_images, m_prompter, m_fileDialogs, m_urlOpener, m_files, m_loginStart,
            [this](SettingsWindow&) { return std::make_unique<RecordingOptionDialogs>(m_openedDialogs); });
        m_window->showCount();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void listCommands_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("left");     // the captions left, in order
        QTest::addColumn<QString>("position"); // shown one-based, empty when nothing is selected
        QTest::addColumn<QString>("told");
        const char* rows[][5] = {
            {"remove the first: the new first", "0 removeButton", "B,C", "1", ""},
            {"remove the last: the one before", "2 removeButton", "A,B", "2", ""},
            {"remove, nothing selected", "removeButton", "A,B,C", "", "Nothing was selected to remove."},
            {"up the last", "2 upButton", "A,C,B", "2", ""},
            {"down the first", "0 downButton", "B,A,C", "2", ""},
            {"down, nothing selected", "downButton", "A,B,C", "",
             "Error. Cannot move down. A file needs to be selected."},
            {"remove all, yes", "1 removeAllButton", "", "",
             "Do you really want to remove all loaded images?"},
            {"add appends and selects", "0 add", "A,B,C,", "4", ""},
            {"add one in the list: selected, not added", "0 addtwice", "A,B,C", "2",
             "Added 0, already in the list 1."},
            {"Delete removes the selected", "1 Delete", "A,C", "1", ""},
            {"add cancelled", "0 cancel", "A,B,C", "1", "No file has been selected."},
            {"add a name with a line break", "0 linebreak", "A,B,C", "1",
             "\n/p/two\u21B5lines.gif: its name holds"},
            {"a typed caption", "0 type", "Dawn,B,C", "1", ""},
            {"caption cleared", "1 clearCaptionButton", "A,,C", "2", ""},
            // ^n is a Shift click on entry n, +n a Ctrl click: Remove and the moves take every selected
            // entry.
            {"remove two picked apart", "0 +2 removeButton", "B", "1", ""},
            {"Delete removes a range", "0 ^1 Delete", "C", "1", ""},
            {"a range down, in order", "0 ^1 downButton", "C,A,B", "3", ""},
            {"a range at the top stays", "0 ^1 upButton", "A,B,C", "2", ""},
            {"a range stays selected, then stays at the top", "1 ^2 upButton upButton", "B,C,A", "2", ""},
            {"picked apart up: the first stays", "0 +2 upButton", "A,C,B", "2", ""},
            {"show the selected in its folder", "1 showInFolder", "A,B,C", "2", ""},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row[0]) << row[1] << row[2] << row[3] << QString::fromUtf8(row[4]);
    }
    void listCommands()
    {
        QFETCH(QString, steps);
        QFETCH(QString, left);
        QFETCH(QString, position);
        QFETCH(QString, told);
        QItemSelectionModel* selection = control<QListView>(QStringLiteral("pictureList"))->selectionModel();
        auto* caption = control<QLineEdit>(QStringLiteral("captionEdit"));
        for (const QString& step : steps.split(u' ')) {
            if (step.size() == 2 && (step[0] == u'^' || step[0] == u'+')) {
                auto* list = control<QListView>(QStringLiteral("pictureList"));
                m_window->show();
                QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
                QTest::mouseClick(list->viewport(), Qt::LeftButton,
                                  step[0] == u'^' ? Qt::ShiftModifier : Qt::ControlModifier,
                                  list->visualRect(m_images.index(step.mid(1).toInt())).center());
            } else if (step.size() == 1 && step[0].isDigit()) {
                selection->setCurrentIndex(m_images.index(step.toInt()), QItemSelectionModel::ClearAndSelect);
            } else if (step == u"showInFolder") {
                control<QAction>(step)->trigger();
                QCOMPARE(m_urlOpener.shownInFolder, QStringList{kData + QStringLiteral("image2.gif")});
            } else if (step == u"add") {
                add(kData + QStringLiteral("icons/tessaly-16.png"));
            } else if (step == u"addtwice") {
                add(kData + QStringLiteral("image2.gif"));
            } else if (step == u"Delete") {
                QTest::keyClick(control<QListView>(QStringLiteral("pictureList")), Qt::Key_Delete);
            } else if (step == u"cancel") {
                add(std::nullopt);
            } else if (step == u"linebreak") {
                add(QStringLiteral("/p/two\nlines.gif"));
            } else if (step == u"type") {
                caption->clear();
                QTest::keyClicks(caption, QStringLiteral("Dawn"));
            } else {
                control<QAbstractButton>(step)->click();
            }
        }
        const QStringList captions = left.isEmpty() ? QStringList() : left.split(u',');
        QCOMPARE(this->captions(), captions);
        QCOMPARE(control<QLineEdit>(QStringLiteral("positionBox"))->text(), position);
        QCOMPARE(control<QLineEdit>(QStringLiteral("totalBox"))->text(), QString::number(captions.size()));
        QCOMPARE(selection->currentIndex().row(), position.toInt() - 1);
        QCOMPARE(caption->text(), captions.value(position.toInt() - 1));
        QCOMPARE(m_prompter.texts().size(), told.isEmpty() ? 0 : 1);
        QVERIFY2(m_prompter.texts().value(0).contains(told), qPrintable(m_prompter.texts().value(0)));
    }

    void adviceOnceAtSevenHundred()
    {
        const QStringList advice{"It is recommended that you should have less than 700 loaded images."};
        QStringList filler;
        for (int i = 3; i < 699; ++i)
            filler << QStringLiteral("/p/%1.jpg").arg(i);
        m_images.appendPaths(filler);
        add(kData + QStringLiteral("icons/tessaly-16.png")); // 700
        QVERIFY(m_prompter.texts().isEmpty());
        add(kData + QStringLiteral("icons/tessaly-22.png")); // 701
        QCOMPARE(m_prompter.texts(), advice);
        add(kData + QStringLiteral("icons/tessaly-24.png"));
        QCOMPARE(m_prompter.texts(), advice);
        // Opening the window again allows it once more.
        m_window->collectionAdvice().reset();
        add(kData + QStringLiteral("icons/tessaly-32.png"));
        QCOMPARE(m_prompter.texts(), advice + advice);
    }

    void dropAddsWhatItCan_data()
    {
        QTest::addColumn<bool>("odd");          // from the folder of what cannot be taken
        QTest::addColumn<QStringList>("drops"); // each drop's names, joined by "|"
        QTest::addColumn<QStringList>("added"); // relative to the folder dropped, or the first folder
        QTest::addColumn<QStringList>("told");  // %1 is that folder
        const QStringList all{"A.png", "Trip/b.png", "Trip/Day 2/a.jpg"};
        QTest::addRow("a folder: its pictures and its subfolders', sorted by path")
            << false << QStringList{"."} << all << QStringList{"Added 3, already in the list 0."};
        QTest::addRow("the same folder again: nothing twice")
            << false << QStringList{".", "Trip"} << all
            << QStringList{"Added 3, already in the list 0.", "Added 0, already in the list 2."};
        QTest::addRow("a picture and a text file")
            << false << QStringList{"notes.txt|Trip/b.png"} << QStringList{"Trip/b.png"}
            << QStringList{"Added 1, already in the list 0, left out 1.\n%1/notes.txt: not a picture"};
        QTest::addRow("a folder with no pictures says so")
            << false << QStringList{"Empty"} << QStringList{}
            << QStringList{"No pictures were found in %1/Empty."};
        const QString leftOne = QStringLiteral("Added 1, already in the list 0, left out 1.\n%1/");
        QTest::addRow("a name that is not valid UTF-8")
            << true << QStringList{"names"} << QStringList{"ok.gif"}
            << QStringList{
                   leftOne +
                   "bad\uFFFD.gif: its name is not valid UTF-8, which the settings file cannot store"};
        QTest::addRow("a subfolder that cannot be opened")
            << true << QStringList{"locked"} << QStringList{"ok.gif"}
            << QStringList{leftOne + "Inner: Permission denied"};
        QTest::addRow("pictures that cannot be read")
            << true << QStringList{"content"} << QStringList{"ok.gif"}
            << QStringList{"Added 1, already in the list 0, left out 2.\n%1/denied.gif: Permission denied\n"
                           "%1/text.jpg: not a picture"};
        QStringList first;
        const int room = LoadedImages::MaxEntries - 3;
        for (int i = 0; i < room; ++i)
            first << QStringLiteral("%1.gif").arg(i, 5, 10, QLatin1Char('0'));
        QTest::addRow("more than there is room for: the first by path, the rest counted")
            << true << QStringList{"many"} << first
            << QStringList{
                   QStringLiteral("Added %1, already in the list 0, left out 43.\nThe list holds at most "
                                  "32,767 pictures: %1 of the %2 files were loaded and 43 were left out.")
                       .arg(room)
                       .arg(room + 43),
                   "It is recommended that you should have less than 700 loaded images."};
    }
    void dropAddsWhatItCan()
    {
        QFETCH(bool, odd);
        QFETCH(QStringList, drops);
        QFETCH(QStringList, added);
        QFETCH(QStringList, told);
        const QTemporaryDir& dir = odd ? m_odd : m_dir;
        for (const QString& names : drops)
            QVERIFY(drop(names.split(u'|'), dir));
        const QString folder = QDir::cleanPath(dir.filePath(odd ? drops.first() : QStringLiteral(".")));
        QStringList paths;
        for (int i = 3; i < m_images.count(); ++i)
            paths << QDir(folder).relativeFilePath(m_images.pathAt(i));
        QCOMPARE(paths, added);
        for (QString& text : told)
            text.replace(QStringLiteral("%1"), folder);
        QCOMPARE(m_prompter.texts(), told);
        QCOMPARE(control<QLineEdit>(QStringLiteral("totalBox"))->text(), QString::number(m_images.count()));
        if (!added.isEmpty())
            QCOMPARE(control<QLineEdit>(QStringLiteral("positionBox"))->text(),
                     QString::number(m_images.count()));
    }

    void doubleClickOrEnterShowsThatPicture()
    {
        QSignalSpy shown(m_window.get(), &SettingsWindow::showRequested);
        auto* list = control<QListView>(QStringLiteral("pictureList"));
        const QPoint third = list->visualRect(m_images.index(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
        m_prompter.clear(); // the third picture cannot be read: its thumbnail says so
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third);
        // QTest leaves the double click's button down for the moves that follow: let it go.
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, third);
        list->selectionModel()->setCurrentIndex(m_images.index(1), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(shown, (QList<QList<QVariant>>{{2}, {1}}));
    }

    void addTakesSeveralFromWhereItWasLast()
    {
        const qsizetype before = m_fileDialogs.asked().size();
        m_fileDialogs.chooseSeveral(
            {m_dir.filePath(QStringLiteral("Trip/b.png")), m_dir.filePath(QStringLiteral("A.png"))});
        control<QPushButton>(QStringLiteral("addButton"))->click();
        add(std::nullopt);
        QCOMPARE(m_images.count(), 5);
        QCOMPARE(m_images.pathAt(4), m_dir.filePath(QStringLiteral("A.png")));
        const QList<FakeFileDialogs::Asked>& asked = m_fileDialogs.asked();
        QVERIFY(asked.at(before).filter.startsWith(QStringLiteral("All pictures (*.")));
        QVERIFY(asked.at(before).filter.contains(QStringLiteral(";;Image files (*.gif *.jpg *.bmp);;")));
        QCOMPARE(asked.last().folder, m_dir.filePath(QStringLiteral("Trip")));
    }

    void loginStartFollowsTheCheckBox()
    {
        FakeLoginStart& login = m_loginStart;
        auto* box = control<QAction>(QStringLiteral("loginAction"));
        QVERIFY(box->isChecked());
        box->trigger();
        QVERIFY(!login.on && !box->isChecked());
        login.failing = true;
        box->trigger();
        // A failure is told, and the box shows what is so.
        QVERIFY(!box->isChecked());
        QCOMPARE(m_prompter.texts(), QStringList{"Tessaly could not change whether it starts at login: "
                                                 "/x/autostart: Permission denied"});
    }

    void windowComesBackWhereItWas()
    {
        QSignalSpy places(m_window.get(), &SettingsWindow::placeChanged);
        m_window->hide();
        m_window->setRememberedPlace(QStringLiteral("40,30,500,460"));
        m_window->showCentred();
        QCOMPARE(QRect(m_window->pos(), m_window->size()), QRect(40, 30, 500, 460));
        m_window->hide();
        QCOMPARE(places.last().first().toString(), QStringLiteral("40,30,500,460"));
        // Off every screen: centred instead.
        m_window->setRememberedPlace(QStringLiteral("-9000,30,500,460"));
        m_window->showCentred();
        QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry().center()));
    }

    void hoverHelpFollowsThePointer()
    {
        auto* list = control<QWidget>(QStringLiteral("pictureList"));
        const auto over = [this](const char* name, QPoint at = {}) {
            auto* target = control<QWidget>(QLatin1String(name));
            at = at.isNull() ? target->rect().center() : at;
            QTest::mouseMove(target, at);
            QTest::mouseMove(target, at + QPoint(1, 1));
            return m_window->statusBar()->currentMessage();
        };
        const QString addHelp = QStringLiteral(" Image: Load an image for display.");
        QCOMPARE(over("addButton"), addHelp);
        QCOMPARE(over("captionLabel"), addHelp); // a label leaves it standing
        QCOMPARE(over("removeButton"), QStringLiteral(" Image: Remove a selected image."));
        QCOMPARE(over("surface", QPoint(2, list->y() + 4)), QString()); // bare surface beside the list
    }

    void toolbarOpensByExactKey()
    {
        for (QAction* action : control<QToolBar>(QStringLiteral("dialogBar"))->actions())
            action->trigger();
        m_window->openDialog(QStringLiteral("timer"));
        m_window->openDialog(QStringLiteral("Timer "));
        QCOMPARE(m_openedDialogs, (QStringList{"timer", "display", "mode", "caption", "multiple"}));
    }

    void thumbnailIsUprightCentredAndInProportion_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<int>("orientation"); // the EXIF tag, the pixels stored unturned
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<QList<QRgb>>("corners"); // top left, top right, bottom left, bottom right
        const QRgb r = qRgb(255, 0, 0), b = qRgb(0, 0, 255), g = qRgb(0, 255, 0), y = qRgb(255, 255, 0);
        QTest::addRow("wide") << QSize(300, 100) << 1 << QSize(300, 100) << QList<QRgb>{r, b, g, y};
        QTest::addRow("tall") << QSize(60, 150) << 1 << QSize(60, 150) << QList<QRgb>{r, b, g, y};
        // A quarter turn clockwise brings the stored left column to the top, read from the bottom up.
        QTest::addRow("quarter turn clockwise")
            << QSize(160, 80) << 6 << QSize(80, 160) << QList<QRgb>{g, r, y, b};
    }
    void thumbnailIsUprightCentredAndInProportion()
    {
        QFETCH(QSize, stored);
        QFETCH(int, orientation);
        QFETCH(QSize, upright);
        QFETCH(QList<QRgb>, corners);
        QTemporaryDir dir;
        const QByteArray photo = TestPictures::jpeg(TestPictures::quadrants(stored), quint16(orientation));
        add(TestPictures::written(dir.filePath(QStringLiteral("photo.jpg")), photo));

        // The drawn picture is where the box shows strong colour.
        const QImage shown = control<QWidget>(QStringLiteral("thumbnail"))->grab().toImage();
        QRect drawn;
        for (int py = 0; py < shown.height(); ++py)
            for (int px = 0; px < shown.width(); ++px) {
                const QColor c = shown.pixelColor(px, py);
                if (qMax(c.red(), qMax(c.green(), c.blue())) - qMin(c.red(), qMin(c.green(), c.blue())) > 150)
                    drawn |= QRect(px, py, 1, 1);
            }
        QVERIFY(drawn.width() > 20 && drawn.height() > 20);
        const QPoint offCentre = drawn.center() - shown.rect().center();
        QVERIFY2(qAbs(offCentre.x()) <= 2 && qAbs(offCentre.y()) <= 2,
                 qPrintable(QStringLiteral("%1, %2 off").arg(offCentre.x()).arg(offCentre.y())));
        // Same proportions as the upright picture, to a pixel's rounding at each edge.
        QVERIFY2(qAbs(drawn.width() * upright.height() - drawn.height() * upright.width()) <=
                     2 * qMax(upright.width(), upright.height()),
                 qPrintable(QStringLiteral("%1 x %2 drawn").arg(drawn.width()).arg(drawn.height())));
        const int qx = drawn.width() / 4, qy = drawn.height() / 4;
        const QPoint at[] = {drawn.topLeft() + QPoint(qx, qy), drawn.topRight() + QPoint(-qx, qy),
                             drawn.bottomLeft() + QPoint(qx, -qy), drawn.bottomRight() + QPoint(-qx, -qy)};
        for (int i = 0; i < 4; ++i) {
            const QColor seen = shown.pixelColor(at[i]), expected = QColor(corners.at(i));
            QVERIFY2(qAbs(seen.red() - expected.red()) < 60 && qAbs(seen.green() - expected.green()) < 60 &&
                         qAbs(seen.blue() - expected.blue()) < 60,
                     qPrintable(QStringLiteral("corner %1 is %2").arg(i).arg(seen.name())));
        }
    }
};

QTEST_MAIN(tst_SettingsWindow)
#include "tst_SettingsWindow.moc"
