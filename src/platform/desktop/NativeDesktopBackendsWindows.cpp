// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeDesktopBackends.h"

#include "WindowsDesktopBackend.h"

namespace {

std::unique_ptr<DesktopBackend> windows()
{
    return std::make_unique<WindowsDesktopBackend>();
}

const NativeDesktopBackends::Entry Entries[] = {
    {"windows", &windows},
};

} // namespace

std::span<const NativeDesktopBackends::Entry> NativeDesktopBackends::list()
{
    return Entries;
}
