// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeFileDialogs.h"
#include "FakePrompter.h"
#include "FakeUrlOpener.h"
#include "core/LoadedImages.h"
#include "ui/OptionDialogs.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

class RecordingOptionDialogs final : public OptionDialogs
{
public:
    void openTimer() override { opened << QStringLiteral("timer"); }
    void openDisplay() override { opened << QStringLiteral("display"); }
    void openMode() override { opened << QStringLiteral("mode"); }
    void openCaption() override { opened << QStringLiteral("caption"); }
    void openMultiple() override { opened << QStringLiteral("multiple"); }
    QStringList opened;
};

const QString kData = QStringLiteral(TESSALY_SOURCE_DIR "/data/");

frmAbout* openAboutBox()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<frmAbout*>(window))
            return about;
    }
    return nullptr;
}

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hoverHelp_data();
    void hoverHelp();
    void toolbarDispatchesByExactKey_data();
    void toolbarDispatchesByExactKey();
    void toolbarButtonsOpenTheirDialogs();
    void activateAndCloseOnlySignal();
    void aboutBoxDisablesMainWindowWhileOpen();
    void listViewFollowsCommands();
    void typedCaptionIsStored();
    void noCaptionIsCutOff_data();
    void noCaptionIsCutOff();

private:
    void makeWindow();
    /** A control of the window by its objectName. */
    template<typename Control> Control* control(const char* name) const
    {
        return m_window->findChild<Control*>(QLatin1String(name));
    }

    LoadedImages m_images;
    FakePrompter m_prompter;
    FakeFileDialogs m_fileDialogs;
    FakeUrlOpener m_urlOpener;
    RecordingOptionDialogs m_optionDialogs;
    std::unique_ptr<frmMain> m_window;
};

void tst_frmMain::init()
{
    m_images.Clear();
    m_images.Append(kData + QStringLiteral("image1.gif"), QStringLiteral("first"));
    m_images.Append(kData + QStringLiteral("image2.gif"), QStringLiteral("second"));
    m_images.Append(kData + QStringLiteral("badimage.bmp"), QStringLiteral("third"));
    m_prompter.clear();
    m_optionDialogs.opened.clear();
    m_urlOpener.opened.clear();
    makeWindow();
}

void tst_frmMain::makeWindow()
{
    m_window = std::make_unique<frmMain>(m_images, m_prompter, m_fileDialogs, m_urlOpener);
    m_window->setOptionDialogs(&m_optionDialogs);
    m_window->showCount();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_frmMain::cleanup()
{
    m_window.reset();
    delete openAboutBox();
}

void tst_frmMain::hoverHelp_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("help");

    const QString addHelp = QStringLiteral(" Image: Load an image for display.");
    QTest::addRow("over a control") << QStringList{"add"} << addHelp;
    QTest::addRow("on to bare surface clears") << QStringList{"add", "surface"} << "";
    QTest::addRow("control to control replaces")
        << QStringList{"add", "remove"} << " Image: Remove a selected image.";
    QTest::addRow("caption clear button has no full stop")
        << QStringList{"clear"} << " Caption: Clear the loaded caption";
    QTest::addRow("list") << QStringList{"List1"} << " Image: Loaded images for desktop display.";
    QTest::addRow("thumbnail") << QStringList{"photo1"} << " Image: Thumbnail preview of loaded image.";
    QTest::addRow("activate") << QStringList{"Activate"} << " Activate: Minimize and activate.";
    QTest::addRow("a label leaves it standing") << QStringList{"add", "Label1"} << addHelp;
    QTest::addRow("the help line leaves it standing") << QStringList{"add", "help"} << addHelp;
    QTest::addRow("the toolbar leaves it standing") << QStringList{"add", "Toolbar1"} << addHelp;
}

void tst_frmMain::hoverHelp()
{
    QFETCH(QStringList, path);
    QFETCH(QString, help);

    for (const QString& name : path) {
        auto* target = m_window->findChild<QWidget*>(name);
        QVERIFY2(target, qPrintable(name));
        // The bare surface at the left margin, beside the list.
        const QPoint at = name == QLatin1String("surface") ? QPoint(2, control<QListView>("List1")->y() + 4)
                                                           : target->rect().center();
        QTest::mouseMove(target, at);
        QTest::mouseMove(target, at + QPoint(1, 1));
    }
    QCOMPARE(control<QLabel>("help")->text(), help);
}

void tst_frmMain::toolbarDispatchesByExactKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("opened");

    QTest::addRow("Timer") << "Timer" << QStringList{"timer"};
    QTest::addRow("Display") << "Display" << QStringList{"display"};
    QTest::addRow("Mode") << "Mode" << QStringList{"mode"};
    QTest::addRow("Caption") << "Caption" << QStringList{"caption"};
    QTest::addRow("Multiple") << "Multiple" << QStringList{"multiple"};
    QTest::addRow("lower case") << "timer" << QStringList();
    QTest::addRow("trailing blank") << "Timer " << QStringList();
    QTest::addRow("empty") << "" << QStringList();
}

void tst_frmMain::toolbarDispatchesByExactKey()
{
    QFETCH(QString, key);
    QFETCH(QStringList, opened);
    m_window->Toolbar1_ButtonClick(key);
    QCOMPARE(m_optionDialogs.opened, opened);
}

void tst_frmMain::toolbarButtonsOpenTheirDialogs()
{
    for (QAction* action : control<QToolBar>("Toolbar1")->actions())
        action->trigger();
    QCOMPARE(m_optionDialogs.opened, (QStringList{"timer", "display", "mode", "caption", "multiple"}));

    m_window->setOptionDialogs(nullptr);
    m_window->Toolbar1_ButtonClick(QStringLiteral("Timer"));
    QCOMPARE(m_optionDialogs.opened.size(), 5);
}

void tst_frmMain::activateAndCloseOnlySignal()
{
    QSignalSpy activate(m_window.get(), &frmMain::activateRequested);
    QSignalSpy close(m_window.get(), &frmMain::closeRequested);

    QTest::mouseClick(control<QPushButton>("Activate"), Qt::LeftButton);
    control<QAction>("mnuActivate")->trigger();
    QCOMPARE(activate.size(), 2);

    control<QAction>("mnuFileClose")->trigger();
    QVERIFY(!m_window->close());
    QCOMPARE(close.size(), 2);
    QVERIFY(m_window->isVisible());
    QCOMPARE(activate.size(), 2);
    QCOMPARE(m_images.Count(), 3);
}

void tst_frmMain::aboutBoxDisablesMainWindowWhileOpen()
{
    m_window->move(140, 90);
    control<QAction>("mnuAbout")->trigger();
    QPointer<frmAbout> about = openAboutBox();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(about->isEnabled());
    QVERIFY(!m_window->isEnabled());
    QVERIFY(m_window->isVisible());
    QCOMPARE(about->pos(), m_window->pos());

    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("Website")), Qt::LeftButton);
    QCOMPARE(m_urlOpener.opened, QList<QUrl>{QUrl(QStringLiteral("https://tessaly.org"))});
    QVERIFY(about->isVisible());

    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QTRY_VERIFY(!about);
    QVERIFY(m_window->isEnabled());
    QVERIFY(m_window->isVisible());
}

void tst_frmMain::listViewFollowsCommands()
{
    QItemSelectionModel* selection = control<QListView>("List1")->selectionModel();
    selection->setCurrentIndex(m_images.index(1), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_window->selectedEntry(), 1);
    QCOMPARE(control<QLineEdit>("ImagePosition")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLineEdit>("p_caption")->text(), QStringLiteral("second"));
    QVERIFY(m_prompter.texts().isEmpty());

    // Moving re-selects exactly once: the view's own selection change raises nothing more.
    QTest::mouseClick(control<QPushButton>("down"), Qt::LeftButton);
    QCOMPARE(selection->currentIndex().row(), 2);
    QCOMPARE(control<QLineEdit>("ImagePosition")->text(), QStringLiteral("3"));
    QCOMPARE(m_prompter.texts().size(), 0);

    QTest::mouseClick(control<QPushButton>("remove"), Qt::LeftButton);
    QCOMPARE(selection->currentIndex().row(), 1);
    QVERIFY(selection->isRowSelected(1));
    QCOMPARE(control<QLineEdit>("Text3")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLineEdit>("p_caption")->text(), QStringLiteral("third"));

    m_window->selectEntry(-1);
    QVERIFY(!selection->hasSelection());
    QCOMPARE(control<QLineEdit>("ImagePosition")->text(), QString());
}

void tst_frmMain::typedCaptionIsStored()
{
    m_window->selectEntry(0);
    control<QLineEdit>("p_caption")->clear();
    QTest::keyClicks(control<QLineEdit>("p_caption"), QStringLiteral("Dawn"));
    QCOMPARE(m_images.CaptionAt(0), QStringLiteral("Dawn"));
    QTest::mouseClick(control<QPushButton>("clear"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>("p_caption")->text(), QString());
    QCOMPARE(m_images.CaptionAt(0), QString());
}

void tst_frmMain::noCaptionIsCutOff_data()
{
    QTest::addColumn<double>("points");
    QTest::addRow("desktop default") << 0.0;
    QTest::addRow("11 points") << 11.0;
    QTest::addRow("16 points") << 16.0;
}

void tst_frmMain::noCaptionIsCutOff()
{
    QFETCH(double, points);
    const QFont original = QApplication::font();
    if (points > 0) {
        QFont larger = original;
        larger.setPointSizeF(points);
        QApplication::setFont(larger);
        makeWindow();
    }
    QStringList helpTexts;
    for (const char* name : {"add", "remove", "RemoveAll", "List1", "p_caption", "photo1", "Activate"}) {
        QTest::mouseMove(m_window->findChild<QWidget*>(QLatin1String(name)));
        helpTexts << control<QLabel>("help")->text();
    }
    QApplication::setFont(original);

    for (auto* button : m_window->findChildren<QPushButton*>()) {
        if (button->text().isEmpty())
            continue;
        // The text with the style's own margins (the style's minimum button width is not a need).
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                           2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const QSize needed =
            button->fontMetrics().size(Qt::TextShowMnemonic, button->text()) + QSize(margin, margin);
        QVERIFY2(needed.width() <= button->width() && needed.height() <= button->height(),
                 qPrintable(QStringLiteral("%1 needs %2 x %3, has %4 x %5")
                                .arg(button->objectName())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(button->width())
                                .arg(button->height())));
    }
    for (auto* label : m_window->findChildren<QLabel*>()) {
        const QStringList texts = label == control<QLabel>("help") ? helpTexts : QStringList{label->text()};
        for (const QString& text : texts) {
            const QSize needed = label->fontMetrics().size(Qt::TextSingleLine, text) +
                                 QSize(2 * label->frameWidth(), 2 * label->frameWidth());
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(label->objectName() + text));
        }
    }
    // Text boxes: a line of text, and in the number boxes the largest count.
    for (auto* box : m_window->findChildren<QLineEdit*>()) {
        const int frame = 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        QVERIFY2(box->fontMetrics().height() + frame <= box->height(), qPrintable(box->objectName()));
    }
    for (QLineEdit* box : {control<QLineEdit>("ImagePosition"), control<QLineEdit>("Text3")}) {
        const int frame = 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        QVERIFY2(box->fontMetrics().horizontalAdvance(QStringLiteral("32767")) + frame + 4 <= box->width(),
                 qPrintable(box->objectName()));
    }
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
