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
        QString reason;
        const QImage image = PictureLoader::load(files, path, view, &reason);
        if (image.isNull() == reason.isEmpty())
            return image.isNull() ? QStringLiteral("no picture and no reason")
                                  : QStringLiteral("a picture and a reason: ") + reason;
        if (image.sizeInBytes() > DecodeBudget::Bytes)
            return QStringLiteral("a picture of %1 bytes, over the budget").arg(image.sizeInBytes());
        if (reasons != nullptr && !reason.isEmpty())
            reasons->append(reason);
    }
    return {};
}
