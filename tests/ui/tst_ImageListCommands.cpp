// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeFileDialogs.h"
#include "FakePrompter.h"
#include "core/LoadedImages.h"
#include "ui/CollectionAdvice.h"
#include "ui/ImageListCommands.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kData = QStringLiteral(TESSALY_SOURCE_DIR "/data/");
const QString kNothingToRemove = QStringLiteral("Nothing was selected to remove.");
const QString kCannotLoad =
    QStringLiteral("Cannot load image file properly.\r\nYou need to reload a new one.");
const QString kDescribedFilter =
    QStringLiteral("Image files (*.gif *.jpg *.bmp);;CompuServe Files (*.gif);;Jpeg Files (*.jpg);;Jif files "
                   "(*.jif);;Windows Bitmap Files (*.bmp);;Windows DIB files (*.dib)");

QString picture(int i)
{
    static const char* names[] = {"image1.gif", "image2.gif", "badimage.bmp"};
    return kData + QLatin1String(names[i % 3]);
}

} // namespace

class tst_ImageListCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void removeAndMove_data();
    void removeAndMove();
    void removeAll_data();
    void removeAll();
    void addAppendsSelectsAndCounts();
    void addAtTheEdges_data();
    void addAtTheEdges();
    void largeCollectionAdviceOnce();
    void unloadablePictureStaysAndWarnsAtEachSelection_data();
    void unloadablePictureStaysAndWarnsAtEachSelection();
    void captionStoredKeystrokeByKeystroke();
    void captionWithoutEntry_data();
    void captionWithoutEntry();
    void dialogFilter_data();
    void dialogFilter();

private:
    /** Entries with captions "A", "B", "C"…, pictures that load, then `selected` chosen. */
    void fill(int count, int selected);
    QStringList paths() const;

    LoadedImages* m_images = nullptr;
    FakePrompter* m_prompter = nullptr;
    FakeFileDialogs* m_dialogs = nullptr;
    CollectionAdvice m_advice;
    ImageListCommands* m_commands = nullptr;
};

void tst_ImageListCommands::init()
{
    m_images = new LoadedImages;
    m_prompter = new FakePrompter;
    m_dialogs = new FakeFileDialogs;
    m_advice.reset();
    m_commands = new ImageListCommands(*m_images, m_advice, *m_prompter, *m_dialogs);
}

void tst_ImageListCommands::cleanup()
{
    delete m_commands;
    delete m_dialogs;
    delete m_prompter;
    delete m_images;
}

void tst_ImageListCommands::fill(int count, int selected)
{
    for (int i = 0; i < count; ++i)
        m_images->Append(picture(i), QString(QLatin1Char('A' + i)));
    m_commands->showCount();
    m_commands->List1_Click(selected);
    m_prompter->clear();
}

QStringList tst_ImageListCommands::paths() const
{
    QStringList result;
    for (int i = 0; i < m_images->Count(); ++i)
        result << m_images->PathAt(i);
    return result;
}

void tst_ImageListCommands::removeAndMove_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<int>>("order"); // the entries left, by their first positions
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QString>("message");

    const QString upError = QStringLiteral("Error. Cannot move up. A file needs to be selected.");
    const QString downError = QStringLiteral("Error. Cannot move down. A file needs to be selected.");
    QTest::addRow("remove the only entry") << "remove" << 1 << 0 << QList<int>{} << -1 << "";
    QTest::addRow("remove the first: the new first") << "remove" << 3 << 0 << QList<int>{1, 2} << 0 << "";
    QTest::addRow("remove the middle: the one before") << "remove" << 3 << 1 << QList<int>{0, 2} << 0 << "";
    QTest::addRow("remove the last: the one before") << "remove" << 3 << 2 << QList<int>{0, 1} << 1 << "";
    QTest::addRow("remove, nothing selected")
        << "remove" << 3 << -1 << QList<int>{0, 1, 2} << -1 << kNothingToRemove;
    QTest::addRow("remove, empty list") << "remove" << 0 << -1 << QList<int>{} << -1 << kNothingToRemove;
    QTest::addRow("up the first does nothing") << "up" << 3 << 0 << QList<int>{0, 1, 2} << 0 << "";
    QTest::addRow("down the last does nothing") << "down" << 3 << 2 << QList<int>{0, 1, 2} << 2 << "";
    QTest::addRow("up the last") << "up" << 3 << 2 << QList<int>{0, 2, 1} << 1 << "";
    QTest::addRow("down the next-to-last") << "down" << 3 << 1 << QList<int>{0, 2, 1} << 2 << "";
    QTest::addRow("down the first") << "down" << 3 << 0 << QList<int>{1, 0, 2} << 1 << "";
    QTest::addRow("up, nothing selected") << "up" << 3 << -1 << QList<int>{0, 1, 2} << -1 << upError;
    QTest::addRow("down, nothing selected") << "down" << 3 << -1 << QList<int>{0, 1, 2} << -1 << downError;
    QTest::addRow("up, empty list") << "up" << 0 << -1 << QList<int>{} << -1 << kNothingToRemove;
    QTest::addRow("down, empty list") << "down" << 0 << -1 << QList<int>{} << -1 << kNothingToRemove;
}

void tst_ImageListCommands::removeAndMove()
{
    QFETCH(QString, command);
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QList<int>, order);
    QFETCH(int, selectedAfter);
    QFETCH(QString, message);
    fill(count, selected);

    if (command == u"remove")
        m_commands->remove_Click();
    else
        command == u"up" ? m_commands->up_Click() : m_commands->down_Click();

    QStringList expectedPaths;
    QStringList expectedCaptions;
    for (int i : order) {
        expectedPaths << picture(i);
        expectedCaptions << QString(QLatin1Char('A' + i));
    }
    QCOMPARE(paths(), expectedPaths);
    QStringList captions;
    for (int i = 0; i < m_images->Count(); ++i)
        captions << m_images->CaptionAt(i);
    QCOMPARE(captions, expectedCaptions);
    QCOMPARE(m_commands->selected(), selectedAfter);
    QCOMPARE(m_commands->positionText(), selectedAfter < 0 ? QString() : QString::number(selectedAfter + 1));
    QCOMPARE(m_commands->captionText(), expectedCaptions.value(selectedAfter));
    QCOMPARE(m_commands->totalText(), QString::number(order.size()));
    QCOMPARE(m_commands->thumbnail().isNull(), selectedAfter < 0);
    QCOMPARE(m_prompter->texts(), message.isEmpty() ? QStringList() : QStringList{message});
}

void tst_ImageListCommands::removeAll_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<PromptAnswer>("answer");
    QTest::addColumn<int>("left");

    QTest::addRow("yes empties the list") << 3 << PromptAnswer::Yes << 0;
    QTest::addRow("no keeps everything") << 3 << PromptAnswer::No << 3;
    QTest::addRow("asks even when empty") << 0 << PromptAnswer::Yes << 0;
}

void tst_ImageListCommands::removeAll()
{
    QFETCH(int, count);
    QFETCH(PromptAnswer, answer);
    QFETCH(int, left);
    fill(count, count > 0 ? 1 : -1);
    m_prompter->answer({answer});

    m_commands->RemoveAll_Click();

    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->shown().first().text,
             QStringLiteral("Do you really want to remove all loaded images?"));
    QCOMPARE(m_prompter->shown().first().buttons, PromptButtons::YesNo);
    QCOMPARE(m_prompter->shown().first().icon, PromptIcon::Exclamation);
    QCOMPARE(m_images->Count(), left);
    QCOMPARE(m_commands->totalText(), QString::number(left));
    if (left > 0) {
        QCOMPARE(m_commands->selected(), 1);
        QCOMPARE(m_commands->captionText(), QStringLiteral("B"));
        QVERIFY(!m_commands->thumbnail().isNull());
    } else {
        QCOMPARE(m_commands->selected(), -1);
        QCOMPARE(m_commands->positionText(), QString());
        QCOMPARE(m_commands->captionText(), QString());
        QVERIFY(m_commands->thumbnail().isNull());
    }
}

void tst_ImageListCommands::addAppendsSelectsAndCounts()
{
    fill(2, 0);
    m_dialogs->choose(picture(1));

    m_commands->add_Click();

    QCOMPARE(m_dialogs->asked().size(), 1);
    QCOMPARE(m_dialogs->asked().first().title, QStringLiteral("Select a file to open"));
    QCOMPARE(m_dialogs->asked().first().filterIndex, 0);
    // The described filters first and unchanged, then one entry with every suffix a reader takes.
    const QString filter = m_dialogs->asked().first().filter;
    const QString allStart = kDescribedFilter + QStringLiteral(";;All pictures (");
    QVERIFY2(filter.startsWith(allStart) && filter.endsWith(u')'), qPrintable(filter));
    const QStringList all = filter.mid(allStart.size()).chopped(1).split(u' ');
    for (const char* pattern :
         {"*.bmp", "*.dib", "*.gif", "*.jif", "*.jpeg", "*.jpg", "*.png", "*.tif", "*.webp"})
        QVERIFY2(all.contains(QLatin1String(pattern)), pattern);
    for (const QString& pattern : all)
        QVERIFY2(pattern.startsWith(QLatin1String("*.")) && pattern == pattern.toLower(),
                 qPrintable(pattern));
    QCOMPARE(paths().last(), picture(1));
    QCOMPARE(m_images->CaptionAt(2), QString());
    QCOMPARE(m_commands->selected(), 2);
    QCOMPARE(m_commands->positionText(), QStringLiteral("3"));
    QCOMPARE(m_commands->totalText(), QStringLiteral("3"));
    QCOMPARE(m_commands->captionText(), QString());
    QVERIFY(!m_commands->thumbnail().isNull());
    QVERIFY(m_prompter->texts().isEmpty());
}

void tst_ImageListCommands::addAtTheEdges_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("told"); // empty: the entry is added
    QTest::addRow("cancelled") << 2 << ""
                               << "No file has been selected.";
    QTest::addRow("name with a line break") << 2 << "/p/two\nlines.gif"
                                            << "\"/p/two\u21B5lines.gif\"";
    // The list holds at most 32,767 entries (a 16-bit count).
    QTest::addRow("the 32,767th entry") << 32766 << picture(0) << "";
    QTest::addRow("one past a full list") << 32767 << picture(0) << "at most 32,767 pictures";
}

void tst_ImageListCommands::addAtTheEdges()
{
    QFETCH(int, count);
    QFETCH(QString, chosen);
    QFETCH(QString, told);
    m_images->AppendPaths(QStringList(count, picture(1)));
    m_commands->List1_Click(1);
    m_prompter->clear();
    m_dialogs->choose(chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen));

    m_commands->add_Click();

    if (told.isEmpty()) {
        QCOMPARE(m_images->Count(), count + 1);
        QCOMPARE(m_commands->selected(), count);
        QCOMPARE(m_commands->totalText(), QString::number(count + 1));
        QCOMPARE(m_prompter->texts().filter(QStringLiteral("32,767")), QStringList()); // the advice may come
        return;
    }
    QCOMPARE(m_images->Count(), count);
    QCOMPARE(m_commands->selected(), 1);
    QCOMPARE(m_prompter->texts().size(), 1);
    QVERIFY2(m_prompter->texts().first().contains(told), qPrintable(m_prompter->texts().first()));
    QCOMPARE(m_prompter->shown().first().icon, PromptIcon::Exclamation);
}

void tst_ImageListCommands::largeCollectionAdviceOnce()
{
    const QString advice =
        QStringLiteral("It is recommended that you should have less than 700 loaded images.");
    m_images->AppendPaths(QStringList(699, picture(0)));
    for (int i = 0; i < 4; ++i)
        m_dialogs->choose(picture(1));

    m_commands->add_Click(); // 700
    QVERIFY(m_prompter->texts().isEmpty());
    m_commands->add_Click(); // 701
    QCOMPARE(m_prompter->texts(), QStringList{advice});
    QVERIFY(m_advice.shown());
    m_commands->add_Click(); // 702
    QCOMPARE(m_prompter->texts().size(), 1);

    // Opening the window again allows the advice once more.
    m_advice.reset();
    m_commands->add_Click(); // 703
    QCOMPARE(m_prompter->texts(), (QStringList{advice, advice}));
    QCOMPARE(m_commands->totalText(), QStringLiteral("703"));
}

void tst_ImageListCommands::unloadablePictureStaysAndWarnsAtEachSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // words the message must hold after the file's path
    QTest::addRow("not a picture") << "broken.jpg"
                                   << "not a picture";
    // A pipe would hang the window for ever if it were opened.
    QTest::addRow("named pipe") << "pipe.jpg"
                                << "named pipe";
    QTest::addRow("folder") << "folder.jpg"
                            << "folder";
}

void tst_ImageListCommands::unloadablePictureStaysAndWarnsAtEachSelection()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString broken = dir.filePath(name);
    if (reason == QLatin1String("named pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(broken).constData(), 0600) == 0);
    } else if (reason == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(broken));
    } else {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }
    const QString message = kCannotLoad + QStringLiteral("\r\n\r\n") + broken + QStringLiteral(": ");
    fill(1, 0);
    QSignalSpy busy(m_commands, &ImageListCommands::busyChanged);
    m_dialogs->choose(broken);

    m_commands->add_Click();

    QCOMPARE(paths(), (QStringList{picture(0), broken}));
    QCOMPARE(m_commands->selected(), 1);
    QCOMPARE(m_commands->totalText(), QStringLiteral("2"));
    QVERIFY(m_commands->thumbnail().isNull());
    QCOMPARE(m_prompter->texts().size(), 1);
    QVERIFY2(m_prompter->texts().first().startsWith(message), qPrintable(m_prompter->texts().first()));
    QVERIFY2(m_prompter->texts().first().contains(reason), qPrintable(m_prompter->texts().first()));
    QVERIFY(!busy.isEmpty());
    QCOMPARE(busy.last().first().toBool(), false);

    m_commands->List1_Click(0);
    QVERIFY(!m_commands->thumbnail().isNull());
    m_commands->List1_Click(1);
    QVERIFY(m_commands->thumbnail().isNull());
    QCOMPARE(m_prompter->texts().size(), 2);
    QCOMPARE(m_prompter->texts().last(), m_prompter->texts().first());
    QCOMPARE(busy.last().first().toBool(), false);
}

void tst_ImageListCommands::captionStoredKeystrokeByKeystroke()
{
    fill(3, 0);
    m_commands->p_caption_Change(QStringLiteral("S"));
    m_commands->p_caption_Change(QStringLiteral("Su"));
    QCOMPARE(m_images->CaptionAt(0), QStringLiteral("Su"));

    m_commands->List1_Click(1);
    QCOMPARE(m_commands->captionText(), QStringLiteral("B"));
    m_commands->List1_Click(0);
    QCOMPARE(m_commands->captionText(), QStringLiteral("Su"));

    QSignalSpy shown(m_commands, &ImageListCommands::captionTextChanged);
    m_commands->clear_Click();
    QCOMPARE(m_images->CaptionAt(0), QString());
    QCOMPARE(shown.size(), 1);
    QCOMPARE(m_images->CaptionAt(1), QStringLiteral("B"));
    QVERIFY(m_prompter->texts().isEmpty());
}

void tst_ImageListCommands::captionWithoutEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("messages");

    QTest::addRow("empty list") << 0 << QStringList{QStringLiteral("An image must be loaded first.")};
    QTest::addRow("entries but none selected") << 2 << QStringList();
}

void tst_ImageListCommands::captionWithoutEntry()
{
    QFETCH(int, count);
    QFETCH(QStringList, messages);
    fill(count, -1);
    QSignalSpy shown(m_commands, &ImageListCommands::captionTextChanged);

    m_commands->p_caption_Change(QStringLiteral("x"));

    QCOMPARE(m_prompter->texts(), messages);
    QCOMPARE(m_commands->captionText(), QString());
    QCOMPARE(shown.size(), 1);
    for (int i = 0; i < count; ++i)
        QCOMPARE(m_images->CaptionAt(i), QString(QLatin1Char('A' + i)));
}

void tst_ImageListCommands::dialogFilter_data()
{
    QTest::addColumn<QString>("bars");
    QTest::addColumn<QString>("dialog");

    QTest::addRow("the add command's filter") << ImageListCommands::FileFilter << kDescribedFilter;
    QTest::addRow("label without its patterns") << "Pictures|*.png;*.gif"
                                                << "Pictures (*.png *.gif)";
    QTest::addRow("trailing label without patterns is dropped") << "A (*.a)|*.a|B"
                                                                << "A (*.a)";
}

void tst_ImageListCommands::dialogFilter()
{
    QFETCH(QString, bars);
    QFETCH(QString, dialog);
    QCOMPARE(ImageListCommands::toDialogFilter(bars), dialog);
}

QTEST_MAIN(tst_ImageListCommands)
#include "tst_ImageListCommands.moc"
