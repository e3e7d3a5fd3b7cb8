// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PictureCollector.h"
#include "Result.h"
#include "ThumbnailGeometry.h"

#include <QImage>
#include <QObject>
#include <QString>

class CollectionAdvice;
class FileDialogs;
class FileSystem;
class LoadedImages;
class Prompter;

/**
 * The commands of the settings window's picture list, and what its boxes show: the selected
 * position, the total, the caption box and the thumbnail. The window forwards its handlers here
 * and mirrors the state through the signals, so every command runs without a window.
 */
class ImageListCommands : public QObject
{
    Q_OBJECT

public:
    ImageListCommands(LoadedImages& images, CollectionAdvice& advice, Prompter& prompter,
                      FileDialogs& fileDialogs, FileSystem& files, QObject* parent = nullptr);

    /** Selects `position` and shows its position, caption and thumbnail; -1 selects nothing. */
    void select(int position);
    /** Add: one or more files from the file dialog, which starts in the folder used last. */
    void add();
    /** Files and folders (with their subfolders) dropped on the list. */
    void addDropped(const QStringList& paths);
    /** The pictures of a folder, and of its subfolders when asked (the folder loader). */
    void addFolder(const QString& folder, bool subfolders);
    /** Removes the entries at `positions` with their captions; none given, the selected one. */
    void remove(const QList<int>& positions = {});
    void removeAll();
    /**
     * Moves the entries at `positions` (none given: the selected one) one place up, or down, as a block
     * that keeps its order; returns where they are now.
     */
    QList<int> move(bool up, const QList<int>& positions = {});
    /** The caption box's text changed, by typing or from code. */
    void captionChanged(const QString& text);
    void clearCaption();

    /**
     * The line that ends an addition: how many were added, how many were in the list already, and how many
     * were left out.
     */
    static QString addedText(int added, int already, int leftOut = 0);

    /** Shows the entry count in the total box. */
    void showCount();
    /** Shows a total as it was stored (at start-up the box shows the stored text, not the count). */
    void setTotalText(const QString& text);

    int selected() const { return m_selected; }
    /** The picture to draw, reduced for display; null when the box is blank. */
    const QImage& thumbnail() const { return m_thumbnail; }
    const ThumbnailPlacement& placement() const { return m_placement; }

signals:
    void selectionChanged(int position);
    void positionTextChanged(const QString& text);
    void totalTextChanged(const QString& text);
    void captionTextChanged(const QString& text);
    void thumbnailChanged();
    /** True while a picture is being loaded (the busy pointer). */
    void busyChanged(bool busy);

private:
    /**
     * Appends the collected pictures that hold a picture and are not in the list yet, selects the last of
     * them and tells in one message what was left out and why; with tellCounts, or when some were in the
     * list already, it also says how many were added.
     */
    void addCollected(const PictureCollector::Collected& collected, bool tellCounts, bool checkContent);
    /** The boxes follow a change of the list made elsewhere (the command line, the tray). */
    void followRemoved(int first, int last);
    void followInserted(int first, int last);
    void followReset();
    /** Loads `path` into the thumbnail; fails with the reason when it cannot be read as a picture. */
    Result<> showThumbnail(const QString& path);
    void setSelected(int position);
    void setPositionText(const QString& text);
    /** Sets the caption box from code, which runs the caption handler as typing does. */
    void setCaptionText(const QString& text);
    void clearThumbnail();
    void warn(const QString& text);

    LoadedImages& m_images;
    CollectionAdvice& m_advice;
    Prompter& m_prompter;
    FileSystem& m_files;
    FileDialogs& m_fileDialogs;
    int m_selected = -1;
    QString m_positionText;
    QString m_totalText;
    QString m_captionText;
    QImage m_thumbnail;
    ThumbnailPlacement m_placement;
    /** Where the file dialog was used last; the user's pictures folder before that. */
    QString m_lastFolder;
};
