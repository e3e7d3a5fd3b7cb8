// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopUrlOpener.h"

#include "NativeSystem.h"

#include <QDesktopServices>

bool DesktopUrlOpener::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

Result<> DesktopUrlOpener::showInFolder(const QString& path)
{
    return NativeSystem::showInFileManager(path);
}
