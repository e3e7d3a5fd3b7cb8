// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageListCommands.h"

#include "CollectionAdvice.h"

#include "FileDialogs.h"
#include "LoadedImages.h"
#include "PictureFormats.h"
#include "PictureLoader.h"
#include "Prompter.h"
#include "SettingsSaveReport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

/** Pictures are measured at 96 dots per inch. */
constexpr double TwipsPerPixel = 15.0;

ThumbnailPlacement placementFor(QSize picture)
{
    return ThumbnailGeometry::fit(static_cast<float>(picture.width() * TwipsPerPixel),
                                  static_cast<float>(picture.height() * TwipsPerPixel));
}

/** What the box can show of a picture, with room for a doubled display scale; never more than it has. */
QSize keptSize(const ThumbnailPlacement& placement, QSize picture)
{
    return QSize(static_cast<int>(std::ceil(placement.width / TwipsPerPixel * 2)),
                 static_cast<int>(std::ceil(placement.height / TwipsPerPixel * 2)))
        .boundedTo(picture);
}

const QString kCannotLoad =
    QStringLiteral("Cannot load image file properly.\r\nYou need to reload a new one.");
const QString kNoFile = QStringLiteral("No file has been selected.");
const QString kNothingToRemove = QStringLiteral("Nothing was selected to remove.");
const QString kRemoveAll = QStringLiteral("Do you really want to remove all loaded images?");
const QString kCannotMoveUp = QStringLiteral("Error. Cannot move up. A file needs to be selected.");
const QString kCannotMoveDown = QStringLiteral("Error. Cannot move down. A file needs to be selected.");
const QString kLoadFirst = QStringLiteral("An image must be loaded first.");

/** "All pictures" first, so that no photo looks absent, then the add dialog's own filters, as label|patterns
 * pairs. */
QString addFilter()
{
    return QStringLiteral("All pictures|") + PictureFormats::patterns().join(QLatin1Char(';')) +
           QStringLiteral("|Image files (*.gif;*.jpg;*.bmp)|*.gif;*.jpg;*.bmp|CompuServe Files (*.gif)|*.gif|"
                          "Jpeg Files (*.jpg)|*.jpg|Jif files (*.jif)|*.jif|Windows Bitmap Files "
                          "(*.bmp)|*.bmp|Windows DIB files (*.dib)|*.dib");
}

/** The user's pictures folder, else the home folder. */
QString picturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

/** What was left out, a line each, and the pictures there was no room for, told as one count. */
QString leftOutLines(const QList<PathRefusal>& refused, const QStringList& noRoom, int added)
{
    constexpr qsizetype Shown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < std::min(refused.size(), Shown); ++i)
        lines << QStringLiteral("%1: %2").arg(SettingsSaveReport::visible(refused[i].path),
                                              refused[i].reason);
    if (refused.size() > Shown)
        lines << QStringLiteral("and %1 more.").arg(refused.size() - Shown);
    if (!noRoom.isEmpty())
        lines << LoadedImages::fullListText(added, added + static_cast<int>(noRoom.size()));
    return lines.join(QLatin1Char('\n'));
}

/** Converts a label|patterns|label|patterns filter to the "Label (*.a *.b);;…" form. */
QString toDialogFilter(const QString& barFilter)
{
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts.at(i);
        const QString& patterns = parts.at(i + 1);
        // The dialog separates patterns with blanks; a label that already names its patterns in
        // parentheses keeps its wording with the separators changed.
        const QString spaced = QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString named = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (label.endsWith(named))
            filters << label.chopped(named.size()) + QLatin1Char('(') + spaced + QLatin1Char(')');
        else
            filters << label + QStringLiteral(" (") + spaced + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

ImageListCommands::ImageListCommands(LoadedImages& images, CollectionAdvice& advice, Prompter& prompter,
                                     FileDialogs& fileDialogs, FileSystem& files, QObject* parent)
    : QObject(parent), m_images(images), m_advice(advice), m_prompter(prompter), m_files(files),
      m_fileDialogs(fileDialogs)
{
    // The list also changes outside these commands (the command line, the tray): the boxes follow.
    connect(&m_images, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { followInserted(first, last); });
    connect(&m_images, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { followRemoved(first, last); });
    connect(&m_images, &QAbstractItemModel::modelReset, this, &ImageListCommands::followReset);
}

void ImageListCommands::followInserted(int first, int last)
{
    if (m_selected >= first) {
        setSelected(m_selected + last - first + 1);
        setPositionText(QString::number(m_selected + 1));
    }
    showCount();
}

void ImageListCommands::followRemoved(int first, int last)
{
    if (m_selected > last) {
        setSelected(m_selected - (last - first + 1));
        setPositionText(QString::number(m_selected + 1));
    } else if (m_selected >= first) {
        followReset();
        return;
    }
    showCount();
}

void ImageListCommands::followReset()
{
    // Nothing is asked or shown in a window: whoever changed the list may be waiting for an answer.
    setSelected(-1);
    setPositionText(QString());
    setCaptionText(QString());
    clearThumbnail();
    showCount();
}

void ImageListCommands::select(int position)
{
    const bool valid = position >= 0 && position < m_images.count();
    setSelected(valid ? position : -1);
    setPositionText(valid ? QString::number(position + 1) : QString());
    setCaptionText(valid ? m_images.captionAt(position) : QString());
    const QString path = valid ? m_images.pathAt(position) : QString();
    if (const Result<> shown = showThumbnail(path); !shown)
        warn(kCannotLoad + QStringLiteral("\r\n\r\n%1: %2").arg(path, shown.reason()));
}

void ImageListCommands::add()
{
    const std::optional<QStringList> chosen =
        m_fileDialogs.openFiles(QStringLiteral("Select a file to open"), toDialogFilter(addFilter()),
                                m_lastFolder.isEmpty() ? picturesFolder() : m_lastFolder);
    if (!chosen || chosen->isEmpty() || chosen->constFirst().isEmpty()) {
        warn(kNoFile);
        return;
    }
    m_lastFolder = QFileInfo(chosen->constFirst()).absolutePath();
    // Chosen in the dialog, the files are taken as they are: one that holds no picture says so when shown.
    PictureCollector::Collected collected;
    collected.pictures = *chosen;
    addCollected(collected, false, false);
}

void ImageListCommands::addDropped(const QStringList& paths)
{
    emit busyChanged(true);
    const PictureCollector::Collected collected = PictureCollector::collect(m_files, paths, true);
    emit busyChanged(false);
    addCollected(collected, true, true);
}

void ImageListCommands::addFolder(const QString& folder, bool subfolders)
{
    emit busyChanged(true);
    const PictureCollector::Collected collected = PictureCollector::collect(m_files, {folder}, subfolders);
    emit busyChanged(false);
    addCollected(collected, true, true);
}

void ImageListCommands::addCollected(const PictureCollector::Collected& collected, bool tellCounts,
                                     bool checkContent)
{
    LoadedImages::Check check;
    if (checkContent)
        check = [this](const QString& path) {
            return PictureCollector::contentProblem(m_files, path);
        };
    emit busyChanged(true);
    const LoadedImages::Added added = m_images.appendMissing(collected.pictures, check);
    emit busyChanged(false);
    // The last one named that the list holds is selected, whether just added or found there already.
    for (auto path = collected.pictures.crbegin(); path != collected.pictures.crend(); ++path) {
        if (const int last = m_images.positionOf(*path); last >= 0) {
            select(last);
            break;
        }
    }
    showCount();

    for (const QString& folder : collected.emptyFolders)
        m_prompter.tell(QStringLiteral("No pictures were found in %1.").arg(QDir::toNativeSeparators(folder)),
                        PromptIcon::Information);
    const QList<PathRefusal> refused = collected.refused + added.refused;
    if (const int leftOut = static_cast<int>(refused.size() + added.noRoom.size()); leftOut > 0)
        warn(addedText(added.added, added.already, leftOut) + QLatin1Char('\n') +
             leftOutLines(refused, added.noRoom, added.added));
    else if ((tellCounts && !collected.pictures.isEmpty()) || added.already > 0)
        m_prompter.tell(addedText(added.added, added.already), PromptIcon::Information);
    m_advice.afterAdding(m_images.count(), m_prompter);
}

QString ImageListCommands::addedText(int added, int already, int leftOut)
{
    if (leftOut == 0)
        return QStringLiteral("Added %1, already in the list %2.").arg(added).arg(already);
    return QStringLiteral("Added %1, already in the list %2, left out %3.")
        .arg(added)
        .arg(already)
        .arg(leftOut);
}

void ImageListCommands::remove(const QList<int>& positions)
{
    const int s = m_selected;
    if (m_images.isEmpty() || ((s < 0 || s >= m_images.count()) && positions.isEmpty())) {
        warn(kNothingToRemove);
        return;
    }
    const QList<int> gone = positions.isEmpty() ? QList<int>{s} : positions;
    m_images.removeAll(gone);
    setSelected(-1);
    select(std::max(*std::min_element(gone.cbegin(), gone.cend()) - 1, 0));
    showCount();
}

void ImageListCommands::removeAll()
{
    if (m_prompter.ask(kRemoveAll, PromptButtons::YesNo, PromptIcon::Exclamation) != PromptAnswer::Yes)
        return;
    m_images.clear();
    select(-1);
    showCount();
}

QList<int> ImageListCommands::move(bool up, const QList<int>& positions)
{
    const int s = m_selected;
    if (m_images.isEmpty()) {
        warn(kNothingToRemove);
        return {};
    }
    if (positions.isEmpty() && (s < 0 || s >= m_images.count())) {
        warn(up ? kCannotMoveUp : kCannotMoveDown);
        return {};
    }
    const QList<int> chosen = positions.isEmpty() ? QList<int>{s} : positions;
    QList<int> sorted = chosen;
    sorted.removeIf([this](int p) { return p < 0 || p >= m_images.count(); });
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const QList<int> moved = m_images.moveAll(chosen, up);
    // The selected entry follows its picture; entries that stayed keep their place and their boxes.
    const qsizetype at = sorted.indexOf(s);
    if (at >= 0 && at < moved.size() && moved.at(at) != s)
        select(moved.at(at));
    return moved;
}

void ImageListCommands::captionChanged(const QString& text)
{
    m_captionText = text;
    if (text.isEmpty() && m_selected < 0)
        return;
    if (m_images.count() == 0 && m_selected < 0) {
        warn(kLoadFirst);
        setCaptionText(QString());
        return;
    }
    if (m_selected < 0) {
        // There are entries but none is selected: the text belongs to nothing, so it is not kept,
        // and emptying the box shows that it was not taken.
        setCaptionText(QString());
        return;
    }
    m_images.setCaption(m_selected, text);
}

void ImageListCommands::clearCaption()
{
    setCaptionText(QString());
}

Result<> ImageListCommands::showThumbnail(const QString& path)
{
    if (path.isEmpty()) {
        // An entry without a file shows no picture rather than the previous entry's.
        clearThumbnail();
        return {};
    }
    emit busyChanged(true);
    clearThumbnail();
    // The box is small: a large photo is decoded already reduced where its reader can.
    const QSize size = PictureLoader::uprightSize(m_files, path);
    PictureView view;
    if (!size.isEmpty())
        view.scaledTo = keptSize(placementFor(size), size);
    Result<QImage> loaded = PictureLoader::load(m_files, path, view);
    if (!loaded) {
        emit busyChanged(false);
        return loaded.failure();
    }
    QImage picture = std::move(loaded).value();
    const ThumbnailPlacement placement = placementFor(size.isEmpty() ? picture.size() : size);
    const QSize kept = keptSize(placement, picture.size());
    if (picture.width() > kept.width() || picture.height() > kept.height())
        picture = picture.scaled(kept, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_thumbnail = std::move(picture);
    m_placement = placement;
    emit thumbnailChanged();
    emit busyChanged(false);
    return {};
}

void ImageListCommands::showCount()
{
    setTotalText(QString::number(m_images.count()));
}

void ImageListCommands::setSelected(int position)
{
    if (std::exchange(m_selected, position) != position)
        emit selectionChanged(position);
}

void ImageListCommands::setPositionText(const QString& text)
{
    if (std::exchange(m_positionText, text) != text)
        emit positionTextChanged(text);
}

void ImageListCommands::setTotalText(const QString& text)
{
    if (std::exchange(m_totalText, text) != text)
        emit totalTextChanged(text);
}

void ImageListCommands::setCaptionText(const QString& text)
{
    // Like a text box, an unchanged text raises no change.
    if (m_captionText == text)
        return;
    m_captionText = text;
    emit captionTextChanged(text);
    captionChanged(text);
}

void ImageListCommands::clearThumbnail()
{
    if (m_thumbnail.isNull())
        return;
    m_thumbnail = QImage();
    m_placement = {};
    emit thumbnailChanged();
}

void ImageListCommands::warn(const QString& text)
{
    m_prompter.tell(text, PromptIcon::Exclamation);
}
