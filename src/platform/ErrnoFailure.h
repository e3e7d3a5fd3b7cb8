// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Failure.h"

#include <cerrno>

/** The kind of failure an errno value stands for, on every system. */
inline FailureKind failureKindOf(int error)
{
    switch (error) {
    case ENOENT:
        return FailureKind::NotFound;
    case EEXIST:
        return FailureKind::Exists;
    case ENOTDIR:
        return FailureKind::NotFolder;
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureKind::Denied;
    default:
        return FailureKind::Other;
    }
}
