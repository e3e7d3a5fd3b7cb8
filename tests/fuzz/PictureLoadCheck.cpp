// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLoadCheck.h"

#include "DecodeBudget.h"
#include "NativeFileSystem.h"
#include "PictureLoader.h"

#include <QImage>

QString PictureLoadCheck::check(const QString& path, QStringList* reasons)
{
    FileSystem& files = NativeFileSystem::instance();
    const QSize screen(640, 480);
    QImage canvas(screen, QImage::Format_RGB32);
    // Either way is fine here; only a crash, a hang or a leak (under the sanitizers) would tell.
    (void)PictureLoader::shrinkInto(files, path, canvas, canvas.rect());
    const PictureView views[] = {{screen, {}, false}, {{}, screen, true}};
    for (const PictureView& view : views) {
        const Result<QImage> image = PictureLoader::load(files, path, view);
        if (!image && image.reason().isEmpty())
            return QStringLiteral("no picture and no reason");
        if (image && image->isNull())
            return QStringLiteral("an empty picture given as loaded");
        if (image && image->sizeInBytes() > DecodeBudget::Bytes)
            return QStringLiteral("a picture of %1 bytes, over the budget").arg(image->sizeInBytes());
        if (reasons != nullptr && !image)
            reasons->append(image.reason());
    }
    return {};
}
