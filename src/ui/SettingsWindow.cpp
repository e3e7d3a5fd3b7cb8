// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsWindow.h"

#include "AboutDialog.h"
#include "DialogParts.h"
#include "ImageListCommands.h"
#include "LoadedImages.h"
#include "LoginStart.h"
#include "OptionDialogs.h"
#include "PaletteIcon.h"
#include "Prompter.h"
#include "ThumbnailView.h"
#include "UrlOpener.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyleOptionFrame>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ToolbarButton
{
    const char* key;
    const char* picture;
    void (OptionDialogs::*open)();
};

const ToolbarButton kToolbarButtons[] = {
    {"Timer", "toolbar-timer", &OptionDialogs::openTimer},
    {"Display", "toolbar-display", &OptionDialogs::openDisplay},
    {"Mode", "toolbar-mode", &OptionDialogs::openMode},
    {"Caption", "toolbar-caption", &OptionDialogs::openCaption},
    {"Multiple", "toolbar-multiple", &OptionDialogs::openMultiple},
};

template<typename Widget> Widget* named(Widget* widget, const char* name, const char* toolTip = nullptr)
{
    DialogParts::named(widget, name);
    if (toolTip)
        widget->setToolTip(QString::fromLatin1(toolTip));
    return widget;
}

QToolButton* arrowButton(QWidget* parent, const char* name, Qt::ArrowType arrow, const char* toolTip)
{
    auto* button = named(new QToolButton(parent), name, toolTip);
    // Drawn by the style in the palette's colours.
    button->setArrowType(arrow);
    return button;
}

QLineEdit* countBox(QWidget* parent, const char* name, const char* toolTip)
{
    auto* box = named(new QLineEdit(parent), name, toolTip);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    // Wide enough for the largest count, 32767, and no wider.
    QStyleOptionFrame frame;
    frame.initFrom(box);
    const QSize text(box->fontMetrics().horizontalAdvance(QStringLiteral("32767 ")),
                     box->fontMetrics().height());
    box->setFixedWidth(box->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, text, box).width());
    return box;
}

} // namespace

SettingsWindow::SettingsWindow(LoadedImages& images, Prompter& prompter, FileDialogs& fileDialogs,
                               UrlOpener& urlOpener, FileSystem& files, LoginStart& loginStart,
                               const OptionDialogsFactory& makeOptionDialogs, QWidget* parent)
    : QMainWindow(parent), m_images(images), m_urlOpener(urlOpener),
      m_commands(new ImageListCommands(images, m_advice, prompter, fileDialogs, files, this)),
      m_loginStart(loginStart), m_prompter(prompter)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral(" Tessaly"));
    setCentralWidget(buildListArea());
    buildToolbar();
    buildMenus();
    setHelpTexts();
    connectCommands();
    // The usual 316 x 405 pixels below the menu bar, or what the desktop's font and the whole
    // toolbar need.
    DialogParts::openAt(
        this, QSize(std::max(316, m_dialogBar->sizeHint().width()), 405 + menuBar()->sizeHint().height()));
    m_optionDialogs = makeOptionDialogs(*this);
}

QWidget* SettingsWindow::buildListArea()
{
    m_surface = DialogParts::named(new QWidget(this), "surface");
    QWidget* s = m_surface;
    m_positionBox = countBox(s, "positionBox", "Position of image");
    m_totalBox = countBox(s, "totalBox", "Total amount of images");
    auto* counts = new QHBoxLayout;
    counts->addStretch(1);
    counts->addWidget(new QLabel(QStringLiteral("Position:"), s));
    counts->addWidget(m_positionBox);
    counts->addWidget(new QLabel(QStringLiteral("Total:"), s));
    counts->addWidget(m_totalBox);

    // The desktop's own font and size: a 6.75-point serif would be too small to read on Linux.
    m_pictureList = named(new QListView(s), "pictureList", "Loaded image(s)");
    m_pictureList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pictureList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pictureList->setUniformItemSizes(true);
    // Long paths keep their file name in view; the full path is the line's tooltip.
    m_pictureList->setTextElideMode(Qt::ElideLeft);
    m_pictureList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pictureList->setModel(&m_images);
    // Files and folders dragged from a file manager are added; the view's own drag and drop stays off.
    m_pictureList->viewport()->setAcceptDrops(true);
    m_pictureList->viewport()->installEventFilter(this);
    // Delete and Enter on an entry (listKeyPressed).
    m_pictureList->installEventFilter(this);
    // Three lines at least: on a small screen the list gives up its room first.
    m_pictureList->setMinimumHeight(3 * m_pictureList->fontMetrics().lineSpacing() +
                                    2 * m_pictureList->frameWidth());
    // A command on one entry, where the entry is: the three buttons below already share the list's width.
    auto* showInFolder = new QAction(QStringLiteral("Show in &folder"), m_pictureList);
    showInFolder->setObjectName(QStringLiteral("showInFolder"));
    showInFolder->setStatusTip(QStringLiteral(" Image: Show the selected image in its folder."));
    connect(showInFolder, &QAction::triggered, this, &SettingsWindow::showInFolder);
    m_pictureList->addAction(showInFolder);
    m_pictureList->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_upButton = arrowButton(s, "upButton", Qt::UpArrow, "Move selected image up");
    m_downButton = arrowButton(s, "downButton", Qt::DownArrow, "Move selected image down");
    auto* moves = new QVBoxLayout;
    moves->addWidget(m_upButton);
    moves->addWidget(m_downButton);
    moves->addStretch(1);

    m_addButton = named(new QPushButton(QStringLiteral("&Add"), s), "addButton", "Load an image");
    m_removeButton = named(new QPushButton(QStringLiteral("&Remove"), s), "removeButton", "Remove an image");
    m_removeAllButton =
        named(new QPushButton(QStringLiteral("R&emove All"), s), "removeAllButton", "Remove all images");
    // The three commands share the list's width.
    auto* commands = new QHBoxLayout;
    commands->addWidget(m_addButton);
    commands->addWidget(m_removeButton);
    commands->addWidget(m_removeAllButton);
    auto* list = new QGridLayout;
    list->addWidget(m_pictureList, 0, 0);
    list->addLayout(moves, 0, 1);
    list->addLayout(commands, 1, 0);
    list->setColumnStretch(0, 1);
    list->setRowStretch(0, 1);

    m_captionEdit = named(new QLineEdit(s), "captionEdit", "Image Caption");
    m_clearCaptionButton = named(new QPushButton(QStringLiteral("Cls"), s), "clearCaptionButton");
    m_thumbnail = named(new ThumbnailView(s), "thumbnail", "Thumbnail preview of image");
    // Alt+A is Add's: one key pressing two buttons would press neither.
    m_activateButton =
        named(new QPushButton(QStringLiteral("A&ctivate!"), s), "activateButton", "Activate Tessaly");
    // The caption and its picture stand indented under the list, as one group; Activate at the
    // picture's foot on the right, on no row of its own, so that the window fits a small screen.
    auto* caption = new QGridLayout;
    caption->setContentsMargins(style()->pixelMetric(QStyle::PM_LayoutLeftMargin) * 2, 0, 0, 0);
    caption->addWidget(named(new QLabel(QStringLiteral("Image Caption"), s), "captionLabel"), 0, 0);
    caption->addWidget(m_captionEdit, 1, 0);
    caption->addWidget(m_clearCaptionButton, 1, 1);
    caption->addWidget(m_thumbnail, 2, 0);
    caption->addWidget(m_activateButton, 2, 1, Qt::AlignBottom);
    caption->setColumnStretch(0, 1);
    caption->setRowStretch(2, 1);

    auto* layout = new QVBoxLayout(s);
    layout->addLayout(counts);
    layout->addLayout(list, 1);
    layout->addLayout(caption, 1);
    return s;
}

void SettingsWindow::buildToolbar()
{
    m_dialogBar = named(new QToolBar(this), "dialogBar");
    m_dialogBar->setMovable(false);
    m_dialogBar->setFloatable(false);
    m_dialogBar->setIconSize(QSize(55, 24));
    m_dialogBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_dialogBar->toggleViewAction()->setEnabled(false);
    for (const ToolbarButton& button : kToolbarButtons) {
        const QString key = QLatin1String(button.key);
        QAction* action = m_dialogBar->addAction(key);
        action->setObjectName(key);
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { openDialog(key); });
    }
    // The folder loader is the quickest way to fill the list: it says what it does in words.
    QAction* folder = m_dialogBar->actions().constLast();
    folder->setText(QStringLiteral("Add a folder"));
    folder->setToolTip(QStringLiteral("Add every picture of a folder and of its subfolders"));
    auto* folderButton = qobject_cast<QToolButton*>(m_dialogBar->widgetForAction(folder));
    folderButton->setObjectName(QStringLiteral("folderButton"));
    folderButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    paintToolbarIcons();
    addToolBar(m_dialogBar);
}

void SettingsWindow::paintToolbarIcons()
{
    const QList<QAction*> actions = m_dialogBar->actions();
    for (qsizetype i = 0; i < actions.size(); ++i)
        actions[i]->setIcon(PaletteIcon::picture(QLatin1String(kToolbarButtons[i].picture), palette()));
}

void SettingsWindow::buildMenus()
{
    QMenu* file = named(menuBar()->addMenu(QStringLiteral("File")), "fileMenu");
    QAction* activate = named(file->addAction(QStringLiteral("Activate")), "activateAction");
    m_loginAction = named(file->addAction(QStringLiteral("Start Tessaly when I log in")), "loginAction");
    m_loginAction->setCheckable(true);
    m_loginAction->setChecked(m_loginStart.isOn());
    file->addSeparator();
    QAction* close = named(file->addAction(QStringLiteral("Close and Disable")), "closeAction");
    QMenu* about = named(menuBar()->addMenu(QStringLiteral("About")), "aboutMenu");
    QAction* aboutBox = named(about->addAction(QStringLiteral("About Tessaly")), "aboutAction");
    connect(activate, &QAction::triggered, this, &SettingsWindow::activateRequested);
    connect(close, &QAction::triggered, this, &SettingsWindow::closeRequested);
    connect(aboutBox, &QAction::triggered, this, &SettingsWindow::onAboutTriggered);
    connect(m_loginAction, &QAction::triggered, this, &SettingsWindow::onLoginStartToggled);
    // The entry may have been changed outside meanwhile: the menu shows what is so when it opens.
    connect(file, &QMenu::aboutToShow, this, [this] { m_loginAction->setChecked(m_loginStart.isOn()); });
    connect(m_activateButton, &QPushButton::clicked, this, &SettingsWindow::activateRequested);
}

void SettingsWindow::setHelpTexts()
{
    m_addButton->setStatusTip(QStringLiteral(" Image: Load an image for display."));
    m_removeButton->setStatusTip(QStringLiteral(" Image: Remove a selected image."));
    m_removeAllButton->setStatusTip(QStringLiteral(" Image: Remove all loaded images."));
    m_pictureList->setStatusTip(QStringLiteral(" Image: Loaded images for desktop display."));
    m_upButton->setStatusTip(QStringLiteral(" Image: Move selected image up a position."));
    m_downButton->setStatusTip(QStringLiteral(" Image: Move selected image down a position."));
    m_positionBox->setStatusTip(QStringLiteral(" Image: Position of image."));
    m_totalBox->setStatusTip(QStringLiteral(" Image: Total amount of loaded images."));
    m_captionEdit->setStatusTip(QStringLiteral(" Caption: Text to display with image below."));
    m_clearCaptionButton->setStatusTip(QStringLiteral(" Caption: Clear the loaded caption"));
    m_thumbnail->setStatusTip(QStringLiteral(" Image: Thumbnail preview of loaded image."));
    m_activateButton->setStatusTip(QStringLiteral(" Activate: Minimize and activate."));
    m_dialogBar->actions().constLast()->setStatusTip(
        QStringLiteral(" Folder: Add every picture of a folder and of its subfolders."));
    // The status bar is the help line: one line, however long the text, and no grip of its own.
    statusBar()->setObjectName(QStringLiteral("helpLine"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setAutoFillBackground(true);
    paintHelpLine();
    // Moves reach the window itself only over its bare surface: controls without tracking swallow theirs.
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
}

void SettingsWindow::paintHelpLine()
{
    // The colours of a tooltip, whatever the theme: it tells what the pointer is over. The bar draws
    // its text in the window-text colour.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    statusBar()->setPalette(colours);
}

void SettingsWindow::connectCommands()
{
    ImageListCommands* c = m_commands;
    connect(c, &ImageListCommands::positionTextChanged, m_positionBox, &QLineEdit::setText);
    connect(c, &ImageListCommands::totalTextChanged, m_totalBox, &QLineEdit::setText);
    connect(c, &ImageListCommands::captionTextChanged, m_captionEdit, &QLineEdit::setText);
    connect(c, &ImageListCommands::thumbnailChanged, this,
            [this] { m_thumbnail->setPicture(m_commands->thumbnail(), m_commands->placement()); });
    // For the whole program: a folder's pictures are looked at while the folder loader is still in front.
    connect(c, &ImageListCommands::busyChanged, this, [](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
    connect(c, &ImageListCommands::selectionChanged, this, &SettingsWindow::syncSelection);

    connect(m_pictureList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const int row = current.isValid() ? current.row() : -1;
                if (m_syncingSelection || row == m_commands->selected())
                    return;
                // The view already shows what the user chose, Shift and Ctrl included: only the boxes follow.
                const QScopedValueRollback<bool> following(m_followingView, true);
                m_commands->select(row);
            });
    connect(m_pictureList, &QListView::doubleClicked, this, &SettingsWindow::showSelected);
    connect(m_addButton, &QPushButton::clicked, this, [this] { run([this] { m_commands->add(); }); });
    connect(m_removeButton, &QPushButton::clicked, this, &SettingsWindow::removeChosen);
    connect(m_removeAllButton, &QPushButton::clicked, this,
            [this] { run([this] { m_commands->removeAll(); }); });
    connect(m_upButton, &QAbstractButton::clicked, this, [this] { moveChosen(true); });
    connect(m_downButton, &QAbstractButton::clicked, this, [this] { moveChosen(false); });
    connect(m_clearCaptionButton, &QPushButton::clicked, this,
            [this] { run([this] { m_commands->clearCaption(); }); });
    // Typing only: text set from code reaches the commands through their own change handling.
    connect(m_captionEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { m_commands->captionChanged(text); }); });
}

template<typename Command> void SettingsWindow::run(Command command)
{
    {
        const QScopedValueRollback<bool> muted(m_syncingSelection, true);
        command();
    }
    syncSelection();
}

void SettingsWindow::syncSelection()
{
    if (m_followingView)
        return;
    const QScopedValueRollback<bool> muted(m_syncingSelection, true);
    const int row = m_commands->selected();
    QItemSelectionModel* selection = m_pictureList->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_images.index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_pictureList->scrollTo(index);
}

QList<int> SettingsWindow::chosenRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_pictureList->selectionModel()->selectedIndexes())
        rows.append(index.row());
    return rows;
}

void SettingsWindow::removeChosen()
{
    run([this, rows = chosenRows()] { m_commands->remove(rows); });
}

void SettingsWindow::moveChosen(bool up)
{
    QList<int> moved;
    run([this, up, &moved, rows = chosenRows()] { moved = m_commands->move(up, rows); });
    // The block stays selected where it went; the current entry was set by the command.
    const QScopedValueRollback<bool> muted(m_syncingSelection, true);
    for (const int row : std::as_const(moved))
        m_pictureList->selectionModel()->select(m_images.index(row), QItemSelectionModel::Select);
}

void SettingsWindow::showInFolder()
{
    const int row = m_commands->selected();
    if (row < 0) {
        m_prompter.tell(QStringLiteral("No file has been selected."), PromptIcon::Information);
        return;
    }
    if (const Result<> shown = m_urlOpener.showInFolder(m_images.pathAt(row)); !shown)
        m_prompter.tell(shown.reason(), PromptIcon::Exclamation);
}

void SettingsWindow::onLoginStartToggled(bool on)
{
    if (const Result<> changed = m_loginStart.setOn(on); !changed)
        m_prompter.tell(
            QStringLiteral("Tessaly could not change whether it starts at login: %1").arg(changed.reason()),
            PromptIcon::Exclamation);
    m_loginAction->setChecked(m_loginStart.isOn());
}

void SettingsWindow::setRememberedPlace(const QString& place)
{
    const QStringList parts = place.split(QLatin1Char(','));
    QList<int> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        numbers << part.trimmed().toInt(&ok);
        if (!ok)
            return;
    }
    if (numbers.size() == 4 && numbers[2] > 0 && numbers[3] > 0)
        m_rememberedPlace = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

void SettingsWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return;
    m_centreWhenFramed = false;
    // The frame's corner and the inside's size, as move() and resize() take them.
    m_rememberedPlace = QRect(pos(), size());
    emit placeChanged(QStringLiteral("%1,%2,%3,%4").arg(x()).arg(y()).arg(width()).arg(height()));
}

void SettingsWindow::showCentred()
{
    // Placed while hidden: a window manager puts a new window's frame where it is asked. A move right
    // after showing, before the frame is known, would place the inside there instead, and the window
    // would creep up by its title bar at each start.
    if (!isVisible())
        place();
    show();
    raise();
    activateWindow();
}

void SettingsWindow::place()
{
    // A place on a screen that is gone, or one the title bar would be off, is not used.
    QScreen* remembered = m_rememberedPlace.isValid()
                              ? QGuiApplication::screenAt(m_rememberedPlace.topLeft() + QPoint(8, 8))
                              : nullptr;
    if (remembered) {
        const QRect room = remembered->availableGeometry();
        resize(m_rememberedPlace.size().boundedTo(room.size()).expandedTo(minimumSizeHint()));
        move(m_rememberedPlace.topLeft());
        return;
    }
    centre();
    m_centreWhenFramed = frameGeometry().size() == size();
}

void SettingsWindow::centre()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // A window grown for a larger font must still fit.
    const QSize frame = frameGeometry().size() - size();
    resize(size().boundedTo(room.size() - frame));
    QRect placed = frameGeometry();
    placed.moveCenter(room.center());
    move(placed.topLeft());
}

void SettingsWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (m_centreWhenFramed && isVisible() && frameGeometry().size() != size()) {
        m_centreWhenFramed = false;
        centre();
    }
}

void SettingsWindow::selectEntry(int position)
{
    run([this, position] { m_commands->select(position); });
}

void SettingsWindow::showCount()
{
    m_commands->showCount();
}

void SettingsWindow::showStoredTotal(const QString& text)
{
    m_commands->setTotalText(text);
}

void SettingsWindow::openDialog(const QString& key)
{
    for (const ToolbarButton& button : kToolbarButtons) {
        if (key == QLatin1String(button.key)) {
            (m_optionDialogs.get()->*button.open)();
            return;
        }
    }
}

void SettingsWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        paintToolbarIcons();
        paintHelpLine();
    }
    QMainWindow::changeEvent(event);
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // The window never closes by itself: whoever listens ends the program.
    event->ignore();
    emit closeRequested();
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pictureList && event->type() == QEvent::KeyPress &&
        listKeyPressed(static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == m_pictureList->viewport() && listDropEvent(event))
        return true;
    if (watched == m_surface && event->type() == QEvent::MouseMove)
        statusBar()->clearMessage();
    return QMainWindow::eventFilter(watched, event);
}

bool SettingsWindow::event(QEvent* event)
{
    // Leaving a control clears nothing: the text stands over labels, the toolbar and the menus, and
    // goes only over the bare surface.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty())
        return true;
    return QMainWindow::event(event);
}

bool SettingsWindow::listKeyPressed(const QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Delete:
        removeChosen();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        showSelected();
        return true;
    default:
        return false;
    }
}

bool SettingsWindow::listDropEvent(QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    QStringList paths;
    for (const QUrl& url : drop->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        run([this, paths] { m_commands->addDropped(paths); });
    return true;
}

void SettingsWindow::showSelected()
{
    if (m_commands->selected() >= 0)
        emit showRequested(m_commands->selected());
}

void SettingsWindow::addFolder(const QString& folder, bool subfolders)
{
    run([this, &folder, subfolders] { m_commands->addFolder(folder, subfolders); });
}

void SettingsWindow::onAboutTriggered()
{
    auto* about = new AboutDialog(this, m_urlOpener);
    about->open();
}
