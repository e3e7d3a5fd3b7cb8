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

namespace {

QStringList outputNames()
{
    QStringList names;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QScreen* screen : QGuiApplication::screens())
            names.append(screen->name());
    }
    return names;
}

std::unique_ptr<DesktopBackend> xfce()
{
    return std::make_unique<XfceDesktopBackend>(outputNames());
}

std::unique_ptr<DesktopBackend> sway()
{
    return std::make_unique<SwayDesktopBackend>(
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/tessaly"));
}

// Besides these, "command" (the user's program) and the system's own back ends.
const NativeDesktopBackends::Entry Backends[] = {{"gnome", &GSettingsDesktopBackend::gnome},
                                                 {"cinnamon", &GSettingsDesktopBackend::cinnamon},
                                                 {"mate", &GSettingsDesktopBackend::mate},
                                                 {"xfce", &xfce},
                                                 {"lxqt", &PcmanfmDesktopBackend::lxqt},
                                                 {"lxde", &PcmanfmDesktopBackend::lxde},
                                                 {"sway", &sway}};

struct SessionNames
{
    const char* backend;
    const char* sessions;
};

// What sessions call themselves, in XDG_CURRENT_DESKTOP (lower-cased tokens), DESKTOP_SESSION and
// XDG_SESSION_DESKTOP, by the back end each one takes.
const SessionNames Sessions[] = {
    {"gnome",
     "gnome ubuntu gnome-classic gnome-flashback gnome-xorg gnome-wayland ubuntu-wayland ubuntu-xorg "
     "budgie budgie-desktop unity pantheon"},
    {"cinnamon", "x-cinnamon cinnamon cinnamon2d"},
    {"mate", "mate"},
    {"kde", "kde plasma plasmawayland plasmax11 kde-plasma"},
    {"xfce", "xfce xfce4 xubuntu"},
    {"lxqt", "lxqt lubuntu"},
    {"lxde", "lxde lxde-pi"},
    {"sway", "sway"}};

// Variables whose mere presence names the desktop, for sessions that set no name.
const SessionNames Markers[] = {
    {"kde", "KDE_FULL_SESSION"}, {"gnome", "GNOME_DESKTOP_SESSION_ID"}, {"mate", "MATE_DESKTOP_SESSION_ID"}};

QString backendForSession(const QString& session)
{
    const QString wanted = session.trimmed().toLower();
    for (const SessionNames& known : Sessions) {
        if (QString::fromLatin1(known.sessions).split(QLatin1Char(' ')).contains(wanted))
            return QString::fromLatin1(known.backend);
    }
    return {};
}

QStringList names()
{
    QStringList all;
    for (const NativeDesktopBackends::Entry& known : Backends)
        all.append(QString::fromLatin1(known.name));
    all.append(QStringLiteral("command"));
    for (const NativeDesktopBackends::Entry& native : NativeDesktopBackends::list())
        all.append(QString::fromLatin1(native.name));
    return all;
}

} // namespace

QString DesktopBackendFactory::detect(const QProcessEnvironment& environment)
{
    const QStringList tokens =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& session :
         tokens + QStringList{environment.value(QStringLiteral("DESKTOP_SESSION")),
                              environment.value(QStringLiteral("XDG_SESSION_DESKTOP"))}) {
        if (const QString backend = backendForSession(session); !backend.isEmpty())
            return backend;
    }
    for (const SessionNames& marker : Markers) {
        if (!environment.value(QLatin1String(marker.sessions)).isEmpty())
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
    if (wanted.isEmpty() || wanted == QLatin1String("auto"))
        wanted = QSysInfo::productType() == QLatin1String("windows") ? QStringLiteral("windows")
                                                                     : detect(environment);
    if (wanted == QLatin1String("command"))
        return std::make_unique<CommandDesktopBackend>(command);
    for (const auto& table :
         {std::span<const NativeDesktopBackends::Entry>(Backends), NativeDesktopBackends::list()}) {
        for (const NativeDesktopBackends::Entry& known : table) {
            if (wanted == QLatin1String(known.name))
                return known.create();
        }
    }
    if (wanted == QLatin1String("none"))
        return std::make_unique<NullDesktopBackend>();
    return std::make_unique<NullDesktopBackend>(
        QStringLiteral("the settings file names an unknown desktop back end \"%1\" (section \"desktop\", key "
                       "\"backend\"); use auto or one of: %2")
            .arg(backend.trimmed(), names().join(QStringLiteral(", "))));
}
