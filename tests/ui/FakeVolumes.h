// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Volumes.h"

#include <QSet>

/** Volumes that are plain folders; any of them can be made unreadable. */
class FakeVolumes final : public Volumes
{
public:
    QList<Volume> list() override { return volumes; }
    bool isReady(const QString& root) override { return !unready.contains(root); }

    QList<Volume> volumes;
    QSet<QString> unready;
};
