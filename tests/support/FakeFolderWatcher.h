// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderWatcher.h"

/** Watches every folder it is given; a test sends the reports itself with folderChanged(). */
class FakeFolderWatcher : public FolderWatcher
{
public:
    bool canWatch(const QString&) const override { return true; }
    void watchOnly(const QStringList& folders) override { watched = folders; }

    QStringList watched;
};
