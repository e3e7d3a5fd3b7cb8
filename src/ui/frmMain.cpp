// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMain.h"

#include "ImageListCommands.h"
#include "LoadedImages.h"
#include "OptionDialogs.h"
#include "ProgramIcon.h"
#include "ThumbnailView.h"
#include "TwipsLayout.h"
#include "frmAbout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QToolBar>

namespace {

// How a control follows a window made larger than designed: the list and the caption box grow,
// what lies right of or below them moves along.
enum Anchor { Fixed = 0, GrowX = 1, GrowY = 2, MoveX = 4, MoveY = 8 };

struct Placement
{
    const char* name;
    QRect twips;
    int anchors;
};

// Left, top, width and height in twips (15 to a pixel at 96 dots per inch). The position and total
// boxes are wider than three digits so that the largest count, 32767, shows whole.
const Placement kPlacements[] = {
    {"Toolbar1", {0, 0, 4740, 540}, GrowX},
    {"Label2", {1320, 645, 1095, 255}, MoveX},
    {"ImagePosition", {2520, 600, 615, 285}, MoveX},
    {"Label3", {3240, 640, 495, 255}, MoveX},
    {"Text3", {3840, 600, 760, 285}, MoveX},
    {"List1", {120, 960, 4095, 960}, GrowX | GrowY},
    {"up", {4270, 960, 330, 325}, MoveX},
    {"down", {4270, 1320, 330, 325}, MoveX},
    {"add", {120, 2040, 1095, 375}, MoveY},
    {"remove", {1320, 2040, 1335, 375}, MoveY},
    {"RemoveAll", {2760, 2040, 1455, 375}, MoveY},
    {"Label1", {480, 2520, 1695, 255}, MoveY},
    {"p_caption", {480, 2760, 3375, 285}, MoveY | GrowX},
    {"clear", {3930, 2760, 660, 360}, MoveX | MoveY},
    {"photo1", {480, 3120, 3375, 1815}, MoveY},
    {"Activate", {3360, 5040, 1215, 375}, MoveX | MoveY},
    {"help", {120, 5520, 4455, 315}, MoveY | GrowX},
};
constexpr QSize kClientTwips(4740, 6075);

struct ToolbarButton
{
    const char* key;
    const char* picture;
    void (OptionDialogs::*open)();
};

const ToolbarButton kToolbarButtons[] = {
    {"Timer", "timer", &OptionDialogs::openTimer},
    {"Display", "display", &OptionDialogs::openDisplay},
    {"Mode", "mode", &OptionDialogs::openMode},
    {"Caption", "caption", &OptionDialogs::openCaption},
    {"Multiple", "multiple", &OptionDialogs::openMultiple},
};

template<typename Widget> Widget* named(Widget* widget, const char* name, const QString& toolTip = QString())
{
    widget->setObjectName(QLatin1String(name));
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

QPushButton* markButton(QWidget* parent, const char* name, const char* picture, const char* toolTip)
{
    auto* button = named(new QPushButton(parent), name, QString::fromLatin1(toolTip));
    button->setIcon(QIcon(QStringLiteral(":/icons/mark-%1.png").arg(QLatin1String(picture))));
    button->setIconSize(QSize(9, 9));
    return button;
}

QLineEdit* readOnlyBox(QWidget* parent, const char* name, const char* toolTip)
{
    auto* box = named(new QLineEdit(parent), name, QString::fromLatin1(toolTip));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

frmMain::frmMain(LoadedImages& images, Prompter& prompter, FileDialogs& fileDialogs, UrlOpener& urlOpener,
                 FileSystem& files, QWidget* parent)
    : QMainWindow(parent), m_images(images), m_urlOpener(urlOpener),
      m_commands(new ImageListCommands(images, m_advice, prompter, fileDialogs, files, this)),
      m_surface(new QWidget(this))
{
    ProgramIcon::loadResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral(" Tessaly"));
    m_surface->setObjectName(QStringLiteral("surface"));
    setCentralWidget(m_surface);
    buildControls();
    buildToolbar();
    buildMenus();
    setHelpTexts();
    layOut();
    connectCommands();
}

frmMain::~frmMain()
{
    delete m_about;
}

void frmMain::buildControls()
{
    QWidget* s = m_surface;
    Label2 = named(new QLabel(QStringLiteral("Position:"), s), "Label2");
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ImagePosition = readOnlyBox(s, "ImagePosition", "Position of image");
    Label3 = named(new QLabel(QStringLiteral("Total:"), s), "Label3");
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text3 = readOnlyBox(s, "Text3", "Total amount of images");

    // The desktop's own font and size: the designed 6.75-point serif is too small to read on Linux.
    List1 = named(new QListView(s), "List1", QStringLiteral("Loaded image(s)"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setUniformItemSizes(true);
    // Long paths keep their file name in view; the full path is the line's tooltip.
    List1->setTextElideMode(Qt::ElideLeft);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List1->setModel(&m_images);

    up = markButton(s, "up", "up", "Move selected image up");
    down = markButton(s, "down", "down", "Move selected image down");
    add = named(new QPushButton(QStringLiteral("&Add"), s), "add", QStringLiteral("Load an image"));
    remove =
        named(new QPushButton(QStringLiteral("&Remove"), s), "remove", QStringLiteral("Remove an image"));
    RemoveAll = named(new QPushButton(QStringLiteral("R&emove All"), s), "RemoveAll",
                      QStringLiteral("Remove all images"));
    Label1 = named(new QLabel(QStringLiteral("Image Caption"), s), "Label1");
    p_caption = named(new QLineEdit(s), "p_caption", QStringLiteral("Image Caption"));
    clear = named(new QPushButton(QStringLiteral("Cls"), s), "clear");
    photo1 = named(new ThumbnailView(s), "photo1", QStringLiteral("Thumbnail preview of image"));
    Activate = named(new QPushButton(QStringLiteral("&Activate!"), s), "Activate",
                     QStringLiteral("Activate Tessaly"));

    help = named(new QLabel(s), "help");
    help->setAutoFillBackground(true);
    QPalette palette = help->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 192));
    palette.setColor(QPalette::WindowText, Qt::black);
    help->setPalette(palette);
    help->setFrameShape(QFrame::Panel);
    help->setFrameShadow(QFrame::Sunken);
}

void frmMain::buildToolbar()
{
    Toolbar1 = named(new QToolBar(m_surface), "Toolbar1");
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(55, 24));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolbarButton& button : kToolbarButtons) {
        const QString key = QLatin1String(button.key);
        QAction* action = Toolbar1->addAction(
            QIcon(QStringLiteral(":/icons/toolbar-%1.png").arg(QLatin1String(button.picture))), key);
        action->setObjectName(key);
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void frmMain::buildMenus()
{
    File = named(menuBar()->addMenu(QStringLiteral("File")), "File");
    mnuActivate = named(File->addAction(QStringLiteral("Activate")), "mnuActivate");
    mnuFileClose = named(File->addAction(QStringLiteral("Close and Disable")), "mnuFileClose");
    About = named(menuBar()->addMenu(QStringLiteral("About")), "About");
    mnuAbout = named(About->addAction(QStringLiteral("About Tessaly")), "mnuAbout");
    connect(mnuActivate, &QAction::triggered, this, &frmMain::activateRequested);
    connect(mnuFileClose, &QAction::triggered, this, &frmMain::closeRequested);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(Activate, &QPushButton::clicked, this, &frmMain::activateRequested);
}

void frmMain::setHelpTexts()
{
    m_helpTexts = {
        {add, QStringLiteral(" Image: Load an image for display.")},
        {remove, QStringLiteral(" Image: Remove a selected image.")},
        {RemoveAll, QStringLiteral(" Image: Remove all loaded images.")},
        {List1, QStringLiteral(" Image: Loaded images for desktop display.")},
        {up, QStringLiteral(" Image: Move selected image up a position.")},
        {down, QStringLiteral(" Image: Move selected image down a position.")},
        {ImagePosition, QStringLiteral(" Image: Position of image.")},
        {Text3, QStringLiteral(" Image: Total amount of loaded images.")},
        {p_caption, QStringLiteral(" Caption: Text to display with image below.")},
        {clear, QStringLiteral(" Caption: Clear the loaded caption")},
        {photo1, QStringLiteral(" Image: Thumbnail preview of loaded image.")},
        {Activate, QStringLiteral(" Activate: Minimize and activate.")},
    };
    for (auto it = m_helpTexts.cbegin(); it != m_helpTexts.cend(); ++it)
        it.key()->installEventFilter(this);
    // Moves reach the window itself only over its bare surface: controls without tracking swallow theirs.
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
}

void frmMain::layOut()
{
    m_pixelsPerTwip = TwipsLayout::pixelsPerTwip(font());
    m_designedSize = TwipsLayout::toPixels(QRect(QPoint(0, 0), kClientTwips), m_pixelsPerTwip).size();
    m_surface->setMinimumSize(m_designedSize);
    m_surface->resize(m_designedSize);
    placeControls();
    setMinimumSize(sizeHint());
    resize(minimumSize());
}

void frmMain::placeControls()
{
    const QSize extra = (m_surface->size() - m_designedSize).expandedTo(QSize(0, 0));
    for (const Placement& placement : kPlacements) {
        QRect rect = TwipsLayout::toPixels(placement.twips, m_pixelsPerTwip);
        rect.translate(placement.anchors & MoveX ? extra.width() : 0,
                       placement.anchors & MoveY ? extra.height() : 0);
        rect.setSize(rect.size() + QSize(placement.anchors & GrowX ? extra.width() : 0,
                                         placement.anchors & GrowY ? extra.height() : 0));
        auto* widget =
            m_surface->findChild<QWidget*>(QLatin1String(placement.name), Qt::FindDirectChildrenOnly);
        Q_ASSERT(widget);
        widget->setGeometry(rect);
    }
}

void frmMain::connectCommands()
{
    ImageListCommands* c = m_commands;
    connect(c, &ImageListCommands::positionTextChanged, ImagePosition, &QLineEdit::setText);
    connect(c, &ImageListCommands::totalTextChanged, Text3, &QLineEdit::setText);
    connect(c, &ImageListCommands::captionTextChanged, p_caption, &QLineEdit::setText);
    connect(c, &ImageListCommands::thumbnailChanged, this,
            [this] { photo1->setPicture(m_commands->thumbnail(), m_commands->placement()); });
    connect(c, &ImageListCommands::busyChanged, this, [this](bool busy) {
        if (busy)
            setCursor(Qt::WaitCursor);
        else
            unsetCursor();
    });
    connect(c, &ImageListCommands::selectionChanged, this, &frmMain::syncSelection);

    connect(List1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const int row = current.isValid() ? current.row() : -1;
                if (!m_syncingSelection && row != m_commands->selected())
                    selectEntry(row);
            });
    connect(add, &QPushButton::clicked, this, [this] { run([this] { m_commands->add_Click(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { run([this] { m_commands->remove_Click(); }); });
    connect(RemoveAll, &QPushButton::clicked, this,
            [this] { run([this] { m_commands->RemoveAll_Click(); }); });
    connect(up, &QPushButton::clicked, this, [this] { run([this] { m_commands->move_Click(true); }); });
    connect(down, &QPushButton::clicked, this, [this] { run([this] { m_commands->move_Click(false); }); });
    connect(clear, &QPushButton::clicked, this, [this] { run([this] { m_commands->clear_Click(); }); });
    // Typing only: text set from code reaches the commands through their own change handling.
    connect(p_caption, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { m_commands->p_caption_Change(text); }); });
}

template<typename Command> void frmMain::run(Command command)
{
    {
        const QScopedValueRollback<bool> muted(m_syncingSelection, true);
        command();
    }
    syncSelection();
}

void frmMain::syncSelection()
{
    const QScopedValueRollback<bool> muted(m_syncingSelection, true);
    const int row = m_commands->selected();
    QItemSelectionModel* selection = List1->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_images.index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    List1->scrollTo(index);
}

void frmMain::setOptionDialogs(OptionDialogs* dialogs)
{
    m_optionDialogs = dialogs;
}

void frmMain::showCentred()
{
    show();
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

void frmMain::selectEntry(int position)
{
    run([this, position] { m_commands->List1_Click(position); });
}

void frmMain::showCount()
{
    m_commands->showCount();
}

void frmMain::showStoredTotal(const QString& text)
{
    m_commands->setTotalText(text);
}

void frmMain::Toolbar1_ButtonClick(const QString& key)
{
    for (const ToolbarButton& button : kToolbarButtons) {
        if (key == QLatin1String(button.key)) {
            if (m_optionDialogs)
                (m_optionDialogs->*button.open)();
            return;
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The window never closes by itself: whoever listens ends the program.
    event->ignore();
    emit closeRequested();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_surface && event->type() == QEvent::Resize) {
        placeControls();
    } else if (watched == m_surface && event->type() == QEvent::MouseMove) {
        help->clear();
    } else if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        const auto it = m_helpTexts.constFind(watched);
        if (it != m_helpTexts.cend())
            help->setText(*it);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::mnuAbout_Click()
{
    if (!m_about)
        m_about = new frmAbout(*this, m_urlOpener);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
