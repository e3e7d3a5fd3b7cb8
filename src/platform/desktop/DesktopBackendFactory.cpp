// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopBackendFactory.h"

#include "CommandDesktopBackend.h"
#include "GSettingsDesktopBackend.h"
#include "NativeDesktopBackends.h"
#include "NullDesktopBackend.h"
#include "PcmanfmDesktopBackend.h"
#include "SwayDesktopBackend.h"
#include "XfceDesktopBackend.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>
#include <iterator>

namespace {

using Creator = std::unique_ptr<DesktopBackend> (*)(const QString& command);

QStringList outputNames()
{
    QStringList names;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QScreen* screen : QGuiApplication::screens())
            names.append(screen->name());
    }
    return names;
}

std::unique_ptr<DesktopBackend> xfce(const QString&)
{
    return std::make_unique<XfceDesktopBackend>(outputNames());
}

std::unique_ptr<DesktopBackend> sway(const QString&)
{
    return std::make_unique<SwayDesktopBackend>(
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/tessaly"));
}

std::unique_ptr<DesktopBackend> command(const QString& program)
{
    return std::make_unique<CommandDesktopBackend>(program);
}

struct Backend
{
    const char* name;
    Creator create;
};

const Backend Backends[] = {
    {"gnome",
     [](const QString&) {
         return GSettingsDesktopBackend::gnome();
     }},
    {"cinnamon",
     [](const QString&) {
         return GSettingsDesktopBackend::cinnamon();
     }},
    {"mate",
     [](const QString&) {
         return GSettingsDesktopBackend::mate();
     }},
    {"xfce", &xfce},
    {"lxqt",
     [](const QString&) {
         return PcmanfmDesktopBackend::lxqt();
     }},
    {"lxde",
     [](const QString&) {
         return PcmanfmDesktopBackend::lxde();
     }},
    {"sway", &sway},
    {"command", &command},
};

// What sessions call themselves, in XDG_CURRENT_DESKTOP (lower-cased tokens), DESKTOP_SESSION and
// XDG_SESSION_DESKTOP, and the back end each one takes.
struct SessionName
{
    const char* session;
    const char* backend;
};

const SessionName SessionNames[] = {
    {"gnome", "gnome"},
    {"ubuntu", "gnome"},
    {"gnome-classic", "gnome"},
    {"gnome-flashback", "gnome"},
    {"gnome-xorg", "gnome"},
    {"gnome-wayland", "gnome"},
    {"ubuntu-wayland", "gnome"},
    {"ubuntu-xorg", "gnome"},
    {"budgie", "gnome"},
    {"budgie-desktop", "gnome"},
    {"unity", "gnome"},
    {"pantheon", "gnome"},
    {"x-cinnamon", "cinnamon"},
    {"cinnamon", "cinnamon"},
    {"cinnamon2d", "cinnamon"},
    {"mate", "mate"},
    {"kde", "kde"},
    {"plasma", "kde"},
    {"plasmawayland", "kde"},
    {"plasmax11", "kde"},
    {"kde-plasma", "kde"},
    {"xfce", "xfce"},
    {"xfce4", "xfce"},
    {"xubuntu", "xfce"},
    {"lxqt", "lxqt"},
    {"lubuntu", "lxqt"},
    {"lxde", "lxde"},
    {"lxde-pi", "lxde"},
    {"sway", "sway"},
};

// Variables whose mere presence names the desktop, for sessions that set no name.
const SessionName SessionMarkers[] = {
    {"KDE_FULL_SESSION", "kde"},
    {"GNOME_DESKTOP_SESSION_ID", "gnome"},
    {"MATE_DESKTOP_SESSION_ID", "mate"},
};

QString backendForSession(const QString& session)
{
    const QString wanted = session.trimmed().toLower();
    for (const SessionName& known : SessionNames) {
        if (wanted == QLatin1String(known.session))
            return QString::fromLatin1(known.backend);
    }
    return {};
}

} // namespace

QString DesktopBackendFactory::detect(const QProcessEnvironment& environment, bool onWindows)
{
    if (onWindows)
        return QStringLiteral("windows");
    const QStringList tokens =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& token : tokens) {
        if (const QString backend = backendForSession(token); !backend.isEmpty())
            return backend;
    }
    for (const char* variable : {"DESKTOP_SESSION", "XDG_SESSION_DESKTOP"}) {
        if (const QString backend = backendForSession(environment.value(QLatin1String(variable)));
            !backend.isEmpty())
            return backend;
    }
    for (const SessionName& marker : SessionMarkers) {
        if (!environment.value(QLatin1String(marker.session)).isEmpty())
            return QString::fromLatin1(marker.backend);
    }
    if (!environment.value(QStringLiteral("SWAYSOCK")).isEmpty() ||
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return QStringLiteral("sway");
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return QStringLiteral("x11");
    return QStringLiteral("none");
}

std::unique_ptr<DesktopBackend> DesktopBackendFactory::create(const QString& backend, const QString& command,
                                                              const QProcessEnvironment& environment)
{
    QString wanted = backend.trimmed().toLower();
    if (wanted.isEmpty() || wanted == QLatin1String(Automatic))
        wanted = detect(environment, QSysInfo::productType() == QLatin1String("windows"));
    for (const Backend& known : Backends) {
        if (wanted == QLatin1String(known.name))
            return known.create(command);
    }
    for (const NativeDesktopBackends::Entry& native : NativeDesktopBackends::list()) {
        if (wanted == QLatin1String(native.name))
            return native.create();
    }
    if (wanted == QLatin1String("none"))
        return std::make_unique<NullDesktopBackend>();
    return std::make_unique<NullDesktopBackend>(
        QStringLiteral("the settings file names an unknown desktop back end \"%1\" (section \"desktop\", key "
                       "\"backend\"); use auto or one of: %2")
            .arg(backend.trimmed(), names().join(QStringLiteral(", "))));
}

QStringList DesktopBackendFactory::names()
{
    QStringList all;
    for (const Backend& known : Backends)
        all.append(QString::fromLatin1(known.name));
    for (const NativeDesktopBackends::Entry& native : NativeDesktopBackends::list())
        all.append(QString::fromLatin1(native.name));
    return all;
}
