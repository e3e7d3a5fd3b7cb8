// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 root back end at 3840x2160 against a private Xvfb: CPU time of our process for one wallpaper
// (read the bitmap, put it into the server's pixel format, hand it over), medians of several runs, for
// the screen-sized bitmap of a stretched change and for a small centred one. The server's own CPU time
// is printed beside it.
//
//   bench_x11root [reps]
#include "BitmapWriter.h"
#include "PosixFileSystem.h"
#include "X11RootBackend.h"
#include "XvfbServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

/** User + system time of another process, from /proc. */
double processCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return (fields.value(13).toDouble() + fields.value(14).toDouble()) * 1e3 / double(sysconf(_SC_CLK_TCK));
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    XvfbServer server;
    if (const QString why = server.start(3840, 2160); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir dir;
    struct Case
    {
        const char* name;
        QSize size;
        WallpaperStyle style;
    };
    for (const Case& c : {Case{"3840x2160 bitmap, Stretch", {3840, 2160}, WallpaperStyle::Stretch},
                          Case{"1920x1080 bitmap, Center", {1920, 1080}, WallpaperStyle::Center}}) {
        QImage picture(c.size, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(picture.scanLine(y)), picture.width(),
                        qRgb(y % 256, 128, 255 - y % 256));
        const QString path = dir.filePath(QStringLiteral("tessaly.bmp"));
        if (!BitmapWriter::write(picture, path, PosixFileSystem::instance()))
            return 1;
        X11RootBackend backend(server.displayName());
        std::vector<double> ours, wall, theirs;
        for (int i = 0; i < reps; ++i) {
            const double serverBefore = processCpuMs(server.processId());
            const double before = cpuMs();
            QElapsedTimer timer;
            timer.start();
            const Result<> result = backend.apply({path}, c.style);
            wall.push_back(timer.nsecsElapsed() / 1e6);
            ours.push_back(cpuMs() - before);
            theirs.push_back(processCpuMs(server.processId()) - serverBefore);
            if (!result) {
                std::fprintf(stderr, "%s\n", qPrintable(result.reason()));
                return 1;
            }
        }
        std::printf("%-28s CPU %6.1f ms (target <= 60 at 4K), wall %6.1f ms, X server CPU %6.1f ms\n", c.name,
                    median(ours), median(wall), median(theirs));
    }
    return 0;
}
