// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeFileDialogs.h"
#include "FakePrompter.h"
#include "FakeUrlOpener.h"
#include "core/LoadedImages.h"
#include "ui/OptionDialogs.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
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

/** A JPEG of `width` x `height`, quadrants red, blue / green, yellow, with an EXIF orientation tag. */
QByteArray orientedJpeg(int width, int height, quint16 orientation)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           y < height / 2 ? (x < width / 2 ? 0xffff0000 : 0xff0000ff)
                                          : (x < width / 2 ? 0xff00ff00 : 0xffffff00));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    // APP1: "Exif", a big-endian TIFF header and one entry, Orientation (0x112), SHORT, count 1.
    const QByteArray tiff = QByteArray("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 18) +
                            char(orientation >> 8) + char(orientation & 0xff) + QByteArray(6, '\0');
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const QByteArray app1 = QByteArray("\xff\xe1", 2) + char((payload.size() + 2) >> 8) +
                            char((payload.size() + 2) & 0xff) + payload;
    return QByteArray(buffer.data()).insert(2, app1);
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
    void thumbnailIsUprightWithThePicturesAspect_data();
    void thumbnailIsUprightWithThePicturesAspect();

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

    const char* rows[][3] = {{"Timer", "Timer", "timer"},
                             {"Display", "Display", "display"},
                             {"Mode", "Mode", "mode"},
                             {"Caption", "Caption", "caption"},
                             {"Multiple", "Multiple", "multiple"},
                             {"lower case", "timer", nullptr},
                             {"trailing blank", "Timer ", nullptr}};
    for (const auto& row : rows)
        QTest::addRow("%s", row[0]) << row[1] << (row[2] ? QStringList{row[2]} : QStringList());
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

void tst_frmMain::thumbnailIsUprightWithThePicturesAspect_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<QList<QRgb>>("corners"); // top left, top right, bottom left, bottom right

    const QRgb r = qRgb(255, 0, 0), b = qRgb(0, 0, 255), g = qRgb(0, 255, 0), y = qRgb(255, 255, 0);
    QTest::addRow("wide, as stored") << QSize(300, 100) << 1 << QSize(300, 100) << QList<QRgb>{r, b, g, y};
    QTest::addRow("tall, as stored") << QSize(60, 150) << 1 << QSize(60, 150) << QList<QRgb>{r, b, g, y};
    // A quarter turn clockwise brings the stored left column to the top, read from the bottom up.
    QTest::addRow("quarter turn") << QSize(160, 80) << 6 << QSize(80, 160) << QList<QRgb>{g, r, y, b};
    QTest::addRow("half turn") << QSize(160, 80) << 3 << QSize(160, 80) << QList<QRgb>{y, g, b, r};
}

void tst_frmMain::thumbnailIsUprightWithThePicturesAspect()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(QSize, upright);
    QFETCH(QList<QRgb>, corners);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("photo.jpg")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(orientedJpeg(stored.width(), stored.height(), quint16(orientation)));
    file.close();
    m_images.Append(file.fileName(), QString());
    m_window->selectEntry(3);

    // The drawn picture is where the box shows strong colour.
    const QImage shown = m_window->findChild<QWidget*>(QStringLiteral("photo1"))->grab().toImage();
    QRect drawn;
    for (int py = 0; py < shown.height(); ++py)
        for (int px = 0; px < shown.width(); ++px) {
            const QColor c = shown.pixelColor(px, py);
            if (qMax(c.red(), qMax(c.green(), c.blue())) - qMin(c.red(), qMin(c.green(), c.blue())) > 150)
                drawn |= QRect(px, py, 1, 1);
        }
    QVERIFY(drawn.width() > 20 && drawn.height() > 20);
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

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
