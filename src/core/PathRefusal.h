// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/** A file or folder that did not go into the picture list, and why, in the words the user reads. */
struct PathRefusal
{
    QString path;
    QString reason;
};
