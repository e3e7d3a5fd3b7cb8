#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A real headless GNOME Shell on private D-Bus buses.

changes: the program changes its wallpaper once per start and the shell must draw each new picture (it
caches a background by its path: each change needs a new path).

monitors: monitors of real sizes, one 1920x1080 with the whole session at scale 2, then a 3840x2160 one at 2
beside a 2560x1440 one at 1, with GNOME's settings daemon telling X programs the session's scale as it does
in a session. The program runs on the shell's Xwayland (where Qt sees ratio 1, or the daemon's ratio for
every monitor) and on Qt's Wayland plugin (which takes mutter's device pixels for logical ones and doubles
them at scale 2): a one-pixel checker, centred, must show pixel for pixel in the middle of each monitor
(GNOME halves a centred bitmap at scale 2, and stretches a bitmap of the wrong size), and the caption below
it must be as many times taller as the monitor's scale.

Usage: gnome_e2e.py PROGRAM SCREENSHOT_TOOL changes|monitors
"""
import os
import re
import sys

from e2e_support import Desktop, Session, X11_SOCKETS, check, checker_at, main, near, reader, wait_for

XSETTINGS = "/usr/libexec/gsd-xsettings"
# Side by side, the primary first: (width, height, scale). A row all at 2 is the whole session scaled before
# the shell starts; the other is set monitor by monitor while the program runs, as the display settings do.
ROWS = [[(1920, 1080, 2)], [(3840, 2160, 2), (2560, 1440, 1)]]
CHECKER = (161, 41)  # the top of the picture; black below it, for the caption
PICTURE = (161, 161)
COLOURS = [(230, 30, 30), (30, 200, 40), (250, 230, 40), (200, 40, 220), (30, 210, 220), (250, 140, 20)]


class Gnome(Desktop):
    def __init__(self, monitors, x11):
        self.monitors, self.x11, self.tool = monitors, x11, None
        self.tools = ["gnome-shell", "dbus-daemon", "gdbus", "gsettings", "convert"] + (
            ["identify", "xdotool", "xrdb", XSETTINGS] if x11 else [])

    def start(self, s):
        if not s.buses("SYSTEM", "SESSION"):
            return False
        if all(scale == 2 for _, _, scale in self.monitors):
            s.run("gsettings", "set", "org.gnome.desktop.interface", "scaling-factor", "2")
        if not os.path.isdir(X11_SOCKETS):  # made by the first X server of the machine; Xwayland will not make it
            os.makedirs(X11_SOCKETS, exist_ok=True)
            os.chmod(X11_SOCKETS, 0o1777)
        before = set(os.listdir(X11_SOCKETS))
        shell = s.spawn(["gnome-shell", "--headless", "--wayland", *([] if self.x11 else ["--no-x11"]),
                         *[a for w, h, _ in self.monitors for a in ("--virtual-monitor", f"{w}x{h}")]])
        # The shell starts in the overview, where the background is drawn small; a request made while it is
        # still starting up is forgotten. On a busy machine it takes up to 90 s to come up.
        if not check(wait_for(lambda: self.out_of_overview(s), 90, 0.5), "GNOME Shell is up and out of its overview"):
            # A shell that never came up: whether it ended or hangs tells where to look.
            print("     the shell " + ("still runs" if shell.poll() is None else f"ended with {shell.returncode}"))
            return False
        if not self.x11:
            return True
        # The program on the shell's Xwayland, as it runs in a GNOME session without Qt's Wayland plugin.
        auth = wait_for(lambda: [n for n in os.listdir(s.env["XDG_RUNTIME_DIR"]) if n.startswith(".mutter-Xwayland")], 30)
        if not check(s.new_x_display(before) and auth, "Xwayland is up"):
            return False
        del s.env["QT_QPA_PLATFORM"]
        s.env["XAUTHORITY"] = os.path.join(s.env["XDG_RUNTIME_DIR"], auth[0])
        s.wayland = next(n for n in sorted(os.listdir(s.env["XDG_RUNTIME_DIR"])) if re.fullmatch(r"wayland-\d+", n))
        s.spawn([XSETTINGS])
        mixed = len({scale for _, _, scale in self.monitors}) > 1
        return check(self.dpi(s, 1 if mixed else 2), "the settings daemon gives X programs the session's scale")

    @staticmethod
    def out_of_overview(s):  # the shell may go back to its overview when the program's window goes
        prop = lambda method, *value: s.run(
            "gdbus", "call", "--session", "-d", "org.gnome.Shell", "-o", "/org/gnome/Shell", "-m",
            "org.freedesktop.DBus.Properties." + method, "org.gnome.Shell", "OverviewActive", *value).stdout
        return prop("Set", "<false>") and "false" in prop("Get")

    @staticmethod
    def dpi(s, scale):
        """Whether GNOME's settings daemon tells X programs the primary's scale (Xft.dpi, which Qt makes its
        ratio). It starts slowly on a busy machine: 20 s were once not enough beside the other tests."""
        return wait_for(lambda: f"Xft.dpi:\t{96 * scale}\n" in s.run("xrdb", "-query").stdout, 60, 0.2)

    def screen(self, s, name, output=None, top=0, height=None):
        """The rows from `top` on, across the desktop. The shell takes the part to read in units of its own
        scale (the primary's) and saves it in device pixels: a 4K desktop is read only where it matters."""
        self.out_of_overview(s)
        ui = self.monitors[0][2]
        width = sum(w for w, _, _ in self.monitors)
        height = height or max(h for _, h, _ in self.monitors) - top
        top, height = top - top % ui, height + top % ui + (-(height + top % ui)) % ui
        shot = s.out(f"gnome-{name}.png")
        if s.run(self.tool, shot, *(str(n // ui) for n in (0, top, width, height))).returncode != 0:
            return None
        raw = s.rgb("convert", shot)
        return (reader(raw, width, 0, top), width, height) if len(raw) == 3 * width * height else None


def changes(s, desktop, program):
    pictures = [os.path.join(s.root, f"{i}.png") for i in range(len(COLOURS))]
    for path, colour in zip(pictures, COLOURS):
        s.run("convert", "-size", "64x48", "xc:#%02x%02x%02x" % colour, path)
    s.settings(pictures, "", len(pictures) - 1, "[desktop]\nbackend=gnome\n")
    handed = set()
    probe = desktop.monitors[0][1] * 3 // 4  # below the top bar and the notice a root shell shows
    for change, colour in enumerate(COLOURS):
        app = s.spawn([os.path.abspath(program)])
        check(wait_for(lambda: s.ini("display", "imageNum") == str(change)) and wait_for(
            lambda: (shot := desktop.screen(s, "changes", top=probe, height=1)) and near(shot[0](160, probe), colour),
            30, 0.2), f"start {change + 1}: the shell shows picture {change} {colour}")
        handed.add(s.run("gsettings", "get", "org.gnome.desktop.background", "picture-uri").stdout)
        s.stop(app)
    check(len(handed) == len(COLOURS), "each change handed the shell a new path")
    copies = [n for n in os.listdir(s.app_folder) if n.startswith("tessaly-") or ".tmp" in n]
    check(len(copies) == 1, f"one copy of the bitmap is left, no temporary file ({copies})")


def middles(monitors):
    """Each monitor's picture's top-left corner, centred in it."""
    lefts = [sum(w for w, _, _ in monitors[:i]) for i in range(len(monitors))]
    return [(x + (w - PICTURE[0]) // 2, (h - PICTURE[1]) // 2) for x, (w, h, _) in zip(lefts, monitors)]


def shows_checkers(s, desktop, monitors, heights, name="same"):
    """Whether each monitor shows the checker 1:1 in its middle; `heights` gets each caption's rows."""
    corners = middles(monitors)
    top = min(y for _, y in corners)
    shot = desktop.screen(s, name, top=top, height=max(y for _, y in corners) + PICTURE[1] - top)
    if shot is None or not all(checker_at(shot[0], x, y, CHECKER) for x, y in corners):
        return False
    heights[:] = [sum(any(shot[0](cx, cy)[0] > 200 for cx in range(x, x + PICTURE[0]))
                      for cy in range(y + CHECKER[1] + 2, y + PICTURE[1])) for x, y in corners]
    return True


def change(s, program, pictures, display, last, keep=False):
    captions = "".join(f"{i}=Hg\n" for i in range(len(pictures)))
    return s.change(program, pictures, display, last, f"[caption]\n{captions}[font]\nnewFontForeColor=16777215\n"
                    "captionPosition=2\n[desktop]\nbackend=gnome\n", keep)


def scale_each(s, monitors):
    """Each monitor at its own scale, side by side, as the user sets it in the shell's settings."""
    config = lambda method, *arguments: s.run(
        "gdbus", "call", "--session", "-d", "org.gnome.Mutter.DisplayConfig", "-o", "/org/gnome/Mutter/DisplayConfig",
        "-m", "org.gnome.Mutter.DisplayConfig." + method, *arguments)
    state = config("GetCurrentState").stdout
    modes = re.findall(r"\(\('([^']+)', '[^']*', '[^']*', '[^']*'\), \[\('([^']+)'", state)
    logical, left = [], 0
    for (connector, mode), (w, _, scale) in zip(modes, monitors):
        logical.append(f"({left}, 0, {scale}.0, uint32 0, {str(not left).lower()}, [('{connector}', '{mode}', @a{{sv}} {{}})])")
        left += w
    serial = re.match(r"\(uint32 (\d+)", state)
    return serial and config("ApplyMonitorsConfig", serial.group(1), "1", "[" + ", ".join(logical) + "]",
                             "{}").returncode == 0


def one_row(s, desktop, program, captions):
    monitors = desktop.monitors
    print(f"monitors {monitors}", flush=True)
    checker = os.path.join(s.root, "checker.png")
    s.run("convert", "-size", "%dx%d" % CHECKER, "pattern:gray50", "-size",
          "%dx%d" % (PICTURE[0], PICTURE[1] - CHECKER[1]), "xc:black", "-append", checker)
    heights = []
    if len({scale for _, _, scale in monitors}) > 1:
        # The scales change while the program runs: it makes the picture again for the new layout, without
        # moving on in the list. Its window (shown where there is no tray) is put out of the way.
        app = change(s, program, [checker], "displayType=1\nscreens=same", 0, keep=True)
        s.run("xdotool", "search", "--onlyvisible", "--name", "^ ?Tessaly$", "windowminimize")
        desktop.monitors = [(w, h, 1) for w, h, _ in monitors]
        check(wait_for(lambda: shows_checkers(s, desktop, desktop.monitors, heights), 30, 0.5),
              "all at scale 1: each monitor shows the checker 1:1")
        desktop.monitors = monitors
        if not check(scale_each(s, monitors) and desktop.dpi(s, monitors[0][2]), "each monitor at its scale, the program running"):
            return
        check(wait_for(lambda: shows_checkers(s, desktop, monitors, heights) and heights[0] > 1.5 * heights[1], 30, 0.5)
              and s.ini("display", "imageNum") == "0", "the picture made again for the new scales, the list not moved on")
        s.stop(app)
    for platform in ("Xwayland", "Wayland"):
        # Qt's Wayland plugin as Qt picks it in a GNOME session where it is installed.
        for name, value in (("QT_QPA_PLATFORM", "wayland"), ("WAYLAND_DISPLAY", s.wayland)):
            if platform == "Wayland":
                s.env[name] = value
            else:
                s.env.pop(name, None)
        change(s, program, [checker], "displayType=1\nscreens=same", 0)
        # A bitmap the shell cannot load leaves the last one on screen: the size handed over is checked too.
        uri = s.run("gsettings", "get", "org.gnome.desktop.background", "picture-uri").stdout.strip().strip("'")
        size = s.run("identify", "-ping", "-format", "%wx%h", uri.removeprefix("file://")).stdout
        whole = f"{sum(w for w, _, _ in monitors)}x{max(h for _, h, _ in monitors)}"
        check(size == whole, f"{platform}: the bitmap is the desktop's size in device pixels ({size}; {whole})")
        check(wait_for(lambda: shows_checkers(s, desktop, monitors, heights), 30, 0.5),
              f"{platform}: each monitor shows the checker 1:1 in its middle")
        for (_, _, scale), height in zip(monitors, heights):
            captions[scale].append(height)
    if len(monitors) < 2:
        return
    check("spanned" in s.run("gsettings", "get", "org.gnome.desktop.background", "picture-options").stdout,
          "handed over as one spanned bitmap")
    (w1, h1, _), (w2, h2, _) = monitors
    red, halves = os.path.join(s.root, "red.png"), os.path.join(s.root, "halves.png")
    s.run("convert", "-size", "%dx%d" % PICTURE, "xc:red", red)
    is_red = lambda rgb: rgb[0] > 200 and rgb[1] < 60 and rgb[2] < 60
    # A picture for each monitor: the checker on the first, red on the second.
    change(s, program, [checker, red], "displayType=1\nscreens=each", 1)
    (x, y), _ = middles(monitors)
    top = min(y, h2 // 2)
    check(wait_for(lambda: (shot := desktop.screen(s, "each", top=top, height=max(y + PICTURE[1], h2 // 2 + 1) - top))
                   and checker_at(shot[0], x, y, CHECKER) and is_red(shot[0](w1 + w2 // 2, h2 // 2)), 30, 0.5),
        "each: the checker 1:1 on the first monitor, the next picture on the second")
    # One picture across both, red on its left half and blue on its right: the seam lies at the middle of
    # the whole desktop, not of each monitor (which each showing the whole picture would put there).
    s.run("convert", "-size", "100x50", "xc:red", "-size", "100x50", "xc:blue", "+append", halves)
    change(s, program, [halves], "displayType=0\nscreens=span", 0)
    middle = min(h1, h2) * 3 // 4  # below the shell's notice at the top
    check(wait_for(lambda: (shot := desktop.screen(s, "span", top=middle, height=1)) and is_red(
        shot[0]((w1 // 2 + (w1 + w2) // 2) // 2, middle)) and not is_red(shot[0](w1 + w2 // 4, middle)), 30, 0.5),
        "span: one picture across both monitors")


def gnome(s, desktop, program, tool):
    desktop.tool = os.path.abspath(tool)
    if not desktop.x11:
        return changes(s, desktop, program)
    captions = {1: [], 2: []}  # caption rows by the scale of the monitor they were read on
    one_row(s, desktop, program, captions)
    row, second = Session(False), Gnome(ROWS[1], True)
    second.tool = desktop.tool
    try:
        if second.start(row):
            one_row(row, second, program, captions)
    finally:
        row.close()
    # The same caption in points: its height in device pixels goes with the scale (within a pixel's rounding).
    check(captions[1] and min(captions[1]) > 5 and captions[2]
          and all(abs(h2 / h1 - 2) < 0.4 for h1 in captions[1] for h2 in captions[2]),
          f"each caption as tall as its monitor's scale makes it ({captions} rows by scale)")


if __name__ == "__main__":
    sys.exit(main(gnome, [], 3, desktops={"changes": lambda: Gnome([(320, 400, 1)], False),
                                          "monitors": lambda: Gnome(ROWS[0], True)}))
