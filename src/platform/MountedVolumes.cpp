// SPDX-License-Identifier: GPL-3.0-or-later
#include "MountedVolumes.h"

#include "FolderPath.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace {

// Mounts the kernel and the packaging tools make: nothing a user keeps pictures on.
bool isPseudo(const QStorageInfo& volume)
{
    static const QSet<QByteArray> pseudoTypes = {
        "proc",    "sysfs",    "tmpfs",    "devtmpfs", "devpts",     "cgroup",
        "cgroup2", "mqueue",   "debugfs",  "tracefs",  "securityfs", "pstore",
        "bpf",     "autofs",   "fusectl",  "configfs", "hugetlbfs",  "binfmt_misc",
        "nsfs",    "squashfs", "efivarfs", "ramfs",    "rpc_pipefs", "selinuxfs"};
    if (pseudoTypes.contains(volume.fileSystemType()))
        return true;
    const QString root = volume.rootPath();
    // udisks mounts removable drives under /run/media/<user>/; the rest of /run is the system's.
    const bool runtime =
        root.startsWith(QLatin1String("/run/")) && !root.startsWith(QLatin1String("/run/media/"));
    return root.startsWith(QLatin1String("/proc")) || root.startsWith(QLatin1String("/sys")) ||
           root.startsWith(QLatin1String("/dev")) || runtime || root.startsWith(QLatin1String("/snap/")) ||
           root == QLatin1String("/boot/efi");
}

Volumes::Volume describe(const QStorageInfo& volume)
{
    const QString root = FolderPath::withTrailingSeparator(volume.rootPath());
    const QString name = volume.displayName();
    if (name.isEmpty() || FolderPath::withTrailingSeparator(name) == root)
        return {root, root};
    return {root, QStringLiteral("%1 [%2]").arg(root, name)};
}

} // namespace

QList<Volumes::Volume> MountedVolumes::list()
{
    QList<Volume> volumes;
    QSet<QString> seen;
    const auto add = [&](const QStorageInfo& volume) {
        const Volume v = describe(volume);
        if (!seen.contains(v.root)) {
            seen.insert(v.root);
            volumes.append(v);
        }
    };
    add(QStorageInfo::root());
    add(QStorageInfo(QDir::homePath()));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !isPseudo(volume))
            add(volume);
    }
    std::sort(volumes.begin() + std::min<qsizetype>(volumes.size(), 1), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

bool MountedVolumes::isReady(const QString& root)
{
    const QStorageInfo volume(root);
    return volume.isValid() && volume.isReady() &&
           FolderPath::withTrailingSeparator(volume.rootPath()) == FolderPath::withTrailingSeparator(root) &&
           QDir(root).isReadable();
}
