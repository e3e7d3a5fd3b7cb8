// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Volumes.h"

/** The mounted file systems that hold the user's files, without the kernel's pseudo file systems. */
class MountedVolumes final : public Volumes
{
public:
    QList<Volume> list() override;
    bool isReady(const QString& root) override;
};
