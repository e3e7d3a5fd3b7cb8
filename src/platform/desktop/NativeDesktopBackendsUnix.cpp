// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeDesktopBackends.h"

#include "KdePlasmaBackend.h"
#include "X11RootBackend.h"

namespace {

template<typename Backend> std::unique_ptr<DesktopBackend> make()
{
    return std::make_unique<Backend>();
}

const NativeDesktopBackends::Entry Entries[] = {
    {"kde", &make<KdePlasmaBackend>},
    {"x11", &make<X11RootBackend>},
};

} // namespace

std::span<const NativeDesktopBackends::Entry> NativeDesktopBackends::list()
{
    return Entries;
}
