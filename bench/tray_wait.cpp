// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a tray program and prints, in ms, how long it took until a tray host took its icon window in
// (the window is reparented out of the root), then its resident size in MiB, and ends it. The icon is
// seen by the X event itself, not by polling, so the figure is exact to the event.
// Usage: tray_wait PROGRAM   (DISPLAY names an X server with a tray host running)
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    Display* display = XOpenDisplay(nullptr);
    if (argc != 2 || display == nullptr) {
        std::fprintf(stderr, "usage: tray_wait PROGRAM, with DISPLAY set\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ReparentNotify && event.xreparent.parent != root)
            break;
    }
    const double ms = nowMs() - start;
    std::printf("%.1f %.1f\n", ms, residentMiB(child));
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
