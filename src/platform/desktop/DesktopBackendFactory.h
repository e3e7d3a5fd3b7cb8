// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <QProcessEnvironment>
#include <memory>

/** Picks the desktop back end: the one the settings file names, or the one the session runs. */
class DesktopBackendFactory
{
public:
    /**
     * The back end for the settings file's "desktop" keys: `backend` is "auto" (or empty) or a back end's
     * name, in any letter case; `command` is the program of the "command" back end. An unknown name gives
     * a back end whose every apply reports that name, so a typing error is shown rather than guessed at.
     */
    static std::unique_ptr<DesktopBackend>
    create(const QString& backend, const QString& command,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    /** The back end's name for a Unix session with this environment; "none" when nothing is recognised. */
    static QString detect(const QProcessEnvironment& environment);
};
