// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CollectionAdvice.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class FileDialogs;
class FileSystem;
class ImageListCommands;
class LoadedImages;
class OptionDialogs;
class Prompter;
class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QToolBar;
class ThumbnailView;
class UrlOpener;
class frmAbout;

/**
 * The settings window: the picture list with its commands, the toolbar that opens the option
 * dialogs, the File and About menus, the Activate button and the hover-help line. It shows the
 * list and forwards commands; the list logic lives in ImageListCommands.
 */
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(LoadedImages& images, Prompter& prompter, FileDialogs& fileDialogs, UrlOpener& urlOpener,
            FileSystem& files, QWidget* parent = nullptr);
    ~frmMain() override;

    /** The dialogs the toolbar opens; without them the toolbar does nothing. */
    void setOptionDialogs(OptionDialogs* dialogs);

    /** Shows the window centred on its screen, in front and active. */
    void showCentred();
    /** Selects an entry and shows its position, caption and thumbnail; -1 selects nothing. */
    void selectEntry(int position);
    /** Shows the number of entries in the total box (after the list changed elsewhere). */
    void showCount();
    /** Shows a stored total as it was read. */
    void showStoredTotal(const QString& text);

    /** The large-collection advice, told once per opening of this window. */
    CollectionAdvice& collectionAdvice() { return m_advice; }

    /** Dispatches a toolbar button by its key, exactly and case-sensitively. */
    void Toolbar1_ButtonClick(const QString& key);

signals:
    /** Activate, from the button or the File menu. */
    void activateRequested();
    /** "Close and Disable" or any request to close the window; the window itself stays. */
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls, named as the program's design names them (also their objectName, by which
    // tests find them).
    QToolBar* Toolbar1;
    QLabel* Label2;
    QLineEdit* ImagePosition;
    QLabel* Label3;
    QLineEdit* Text3;
    QListView* List1;
    QPushButton* up;
    QPushButton* down;
    QPushButton* add;
    QPushButton* remove;
    QPushButton* RemoveAll;
    QLabel* Label1;
    QLineEdit* p_caption;
    QPushButton* clear;
    ThumbnailView* photo1;
    QPushButton* Activate;
    QLabel* help;
    QMenu* File;
    QAction* mnuActivate;
    QAction* mnuFileClose;
    QMenu* About;
    QAction* mnuAbout;

    void buildControls();
    void buildToolbar();
    void buildMenus();
    void setHelpTexts();
    void layOut();
    /** The designed twips positions, with the list and caption box taking any extra room. */
    void placeControls();
    void connectCommands();
    /** Runs a list command with the view's own selection signals muted, then shows the result. */
    template<typename Command> void run(Command command);
    void syncSelection();

    void mnuAbout_Click();

    LoadedImages& m_images;
    UrlOpener& m_urlOpener;
    CollectionAdvice m_advice;
    ImageListCommands* m_commands;
    OptionDialogs* m_optionDialogs = nullptr;
    QWidget* m_surface;
    QPointer<frmAbout> m_about;
    QHash<QObject*, QString> m_helpTexts;
    bool m_syncingSelection = false;
    double m_pixelsPerTwip = 1.0 / 15;
    QSize m_designedSize;
};
