// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopBackend.h"

#include <memory>
#include <span>

/**
 * The back ends that exist on one operating system only. Each system has its own source file of this
 * class and CMake builds the one for the target, so the factory holds no conditional code.
 */
class NativeDesktopBackends
{
public:
    struct Entry
    {
        const char* name;
        std::unique_ptr<DesktopBackend> (*create)();
    };
    /** This system's back ends, by the name the settings file uses. */
    static std::span<const Entry> list();
};
