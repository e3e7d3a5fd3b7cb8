// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CollectionAdvice.h"
#include "OptionDialogs.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class FileDialogs;
class FileSystem;
class ImageListCommands;
class LoadedImages;
class LoginStart;
class Prompter;
class QAbstractButton;
class QKeyEvent;
class QLineEdit;
class QListView;
class QPushButton;
class QToolBar;
class ThumbnailView;
class UrlOpener;

/**
 * The settings window: the picture list with its commands, the toolbar that opens the option
 * dialogs, the File and About menus, the Activate button and the hover-help line in the status bar.
 * It shows the list and forwards commands; the list logic lives in ImageListCommands.
 */
class SettingsWindow : public QMainWindow
{
    Q_OBJECT

public:
    /** Makes the dialogs the toolbar opens, over the window they are made for. */
    using OptionDialogsFactory = std::function<std::unique_ptr<OptionDialogs>(SettingsWindow& window)>;

    /** `loginStart` is what the File menu's "Start Tessaly when I log in" turns on and off. */
    SettingsWindow(LoadedImages& images, Prompter& prompter, FileDialogs& fileDialogs, UrlOpener& urlOpener,
                   FileSystem& files, LoginStart& loginStart, const OptionDialogsFactory& makeOptionDialogs,
                   QWidget* parent = nullptr);

    /**
     * Shows the window where it was last when that is still on a screen, else centred on its screen,
     * within the room the screen has; in front and active.
     */
    void showCentred();
    /** Where the window was last, as "x,y,width,height"; anything else is ignored. */
    void setRememberedPlace(const QString& place);
    /** Selects an entry and shows its position, caption and thumbnail; -1 selects nothing. */
    void selectEntry(int position);
    /** Shows the number of entries in the total box (after the list changed elsewhere). */
    void showCount();
    /** Shows a stored total as it was read. */
    void showStoredTotal(const QString& text);

    /** The large-collection advice, told once per opening of this window. */
    CollectionAdvice& collectionAdvice() { return m_advice; }

    /** Opens the dialog of a toolbar button by the button's key, matched exactly and case-sensitively. */
    void openDialog(const QString& key);
    /** Adds the pictures of the folder the folder loader chose: new ones only, then a line with the counts.
     */
    void addFolder(const QString& folder, bool subfolders);

signals:
    /** A double click or Enter on an entry: that picture goes on the desktop now. */
    void showRequested(int position);
    /** Activate, from the button or the File menu. */
    void activateRequested();
    /** "Close and Disable" or any request to close the window; the window itself stays. */
    void closeRequested();
    /** The window was hidden at this place, as "x,y,width,height". */
    void placeChanged(const QString& place);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildListArea();
    void buildToolbar();
    void paintToolbarIcons();
    void buildMenus();
    void setHelpTexts();
    void paintHelpLine();
    void connectCommands();
    /** Runs a list command with the view's own selection signals muted, then shows the result. */
    template<typename Command> void run(Command command);
    void syncSelection();
    /** The selected rows, in no particular order. */
    QList<int> chosenRows() const;
    /** Remove and the moves act on every selected row. */
    void removeChosen();
    void moveChosen(bool up);
    /** The file manager shows the selected picture; a failure is told. */
    void showInFolder();
    void onAboutTriggered();
    void onLoginStartToggled(bool on);
    /** Delete removes, Enter shows; dropped files and folders are added. True when the event was used. */
    bool listKeyPressed(const QKeyEvent* event);
    bool listDropEvent(QEvent* event);
    void showSelected();
    /** Where the window was last, or centred; done while it is hidden. */
    void place();
    /** The window's frame centred in the room its screen has, the window shrunk to fit it. */
    void centre();

    LoadedImages& m_images;
    UrlOpener& m_urlOpener;
    CollectionAdvice m_advice;
    ImageListCommands* m_commands;
    LoginStart& m_loginStart;
    Prompter& m_prompter;
    QAction* m_loginAction;

    QToolBar* m_dialogBar;
    QLineEdit* m_positionBox;
    QLineEdit* m_totalBox;
    QListView* m_pictureList;
    QAbstractButton* m_upButton;
    QAbstractButton* m_downButton;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
    QPushButton* m_removeAllButton;
    QLineEdit* m_captionEdit;
    QPushButton* m_clearCaptionButton;
    ThumbnailView* m_thumbnail;
    QPushButton* m_activateButton;
    /** The bare surface between the controls, where the help line clears. */
    QWidget* m_surface;

    QRect m_rememberedPlace;
    bool m_syncingSelection = false;
    /** The commands follow a choice made in the view, which keeps its own selection. */
    bool m_followingView = false;
    /** Centred before its frame was known: centred again once the window manager has framed it. */
    bool m_centreWhenFramed = false;
    /** Made last, once the window they open over is whole. */
    std::unique_ptr<OptionDialogs> m_optionDialogs;
};
