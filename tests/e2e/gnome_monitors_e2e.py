#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A real headless GNOME Shell with monitors of real sizes: one 1920x1080 with the whole session at scale 2,
then a 3840x2160 one at 2 beside a 2560x1440 one at 1, with GNOME's settings daemon telling X programs the
session's scale as it does in a session. The program runs on the shell's Xwayland (where Qt sees ratio 1, or
the daemon's ratio for every monitor) and on Qt's Wayland plugin (which takes mutter's device pixels for
logical ones and doubles them at scale 2): a one-pixel checker, centred, must show pixel for pixel in the
middle of each monitor (GNOME halves a centred bitmap at scale 2, and stretches a bitmap of the wrong size),
and the caption below it must be as many times taller as the monitor's scale.

Usage: gnome_monitors_e2e.py PROGRAM SCREENSHOT_TOOL
"""
import os
import re
import sys

from e2e_support import Session, check, main, wait_for
from gnome_e2e import overview, private_buses

# Side by side, the primary first: (width, height, scale). A row all at 2 is the whole session scaled before
# the shell starts; the other is set monitor by monitor while the program runs, as the display settings do.
ROWS = [[(1920, 1080, 2)], [(3840, 2160, 2), (2560, 1440, 1)]]
XSETTINGS = "/usr/libexec/gsd-xsettings"
X11_SOCKETS = "/tmp/.X11-unix"
CHECKER = (161, 41)  # the top of the picture; black below it, for the caption
PICTURE = (161, 161)
WHITE = 200


def pixels(s, tool, name, top, width, height, ui_scale):
    """The screen's rows from `top` on, as far across as `width`: the colour at x, y of the desktop. The shell
    takes the part to read in units of its own scale (the primary's) and saves it in device pixels."""
    top -= top % ui_scale
    height += -height % ui_scale
    shot = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), name)
    area = (str(n // ui_scale) for n in (0, top, width, height))
    if s.run(tool, shot, *area).returncode != 0:
        return None
    raw = s.rgb("convert", shot)
    if len(raw) != 3 * width * height:
        return None

    def at(x, y):
        assert 0 <= x < width and top <= y < top + height, f"{x},{y} was not read"
        return tuple(raw[3 * ((y - top) * width + x):3 * ((y - top) * width + x) + 3])
    return at


def probe_row(monitors):
    """The row where a picture across the monitors is probed: below the shell's notice at the top."""
    return min(h for _, h, _ in monitors) * 3 // 4


def checker_at(at, left, top):
    """Whether the checker lies 1:1 with its top-left corner at left, top: alternate pixels black and white."""
    corner = 255 if at(left, top)[0] > 127 else 0
    for y in range(top + 2, top + CHECKER[1] - 2, 3):
        for x in range(left + 2, left + CHECKER[0] - 2, 3):
            expected = corner if (x - left + y - top) % 2 == 0 else 255 - corner
            if any(abs(c - expected) > 60 for c in at(x, y)):
                return False
    return True


def caption_rows(at, left, top):
    """How many rows of the picture's black part hold white caption pixels."""
    return sum(any(at(x, y)[0] > WHITE for x in range(left, left + PICTURE[0]))
               for y in range(top + CHECKER[1] + 2, top + PICTURE[1]))


def on_wayland(s, wayland):
    """The program started next runs on Qt's Wayland plugin (as Qt picks it in a GNOME session where it is
    installed) or on Xwayland."""
    for name, value in (("QT_QPA_PLATFORM", "wayland"), ("WAYLAND_DISPLAY", s.wayland)):
        if wayland:
            s.env[name] = value
        else:
            s.env.pop(name, None)
    return "Wayland" if wayland else "Xwayland"


def xsettings_dpi(s, scale):
    """Whether GNOME's settings daemon tells X programs the primary's scale (Xft.dpi, which Qt makes its ratio)."""
    # The daemon starts slowly on a busy machine (20 s were once not enough beside the other tests).
    return wait_for(lambda: f"Xft.dpi:\t{96 * scale}\n" in s.run("xrdb", "-query").stdout, 60, 0.2)


def pixel_shows(s, tool, monitors, holds, step):
    """Whether the screen spans the monitors and its pixels hold what `holds` asks of them."""
    overview(s, "Set", "<false>")  # the shell may go back to its overview when the program's window goes
    scales = "-".join(str(scale) for _, _, scale in monitors)
    # Only the rows through the pictures in the monitors' middles and the probe row: a 4K desktop is slow to read.
    top = min(min((h - PICTURE[1]) // 2 for _, h, _ in monitors), probe_row(monitors))
    bottom = max(max((h - PICTURE[1]) // 2 + PICTURE[1] for _, h, _ in monitors), probe_row(monitors) + 1)
    at = pixels(s, os.path.abspath(tool), f"gnome-monitors-{scales}-{step}.png", top,
                sum(w for w, _, _ in monitors), bottom - top, monitors[0][2])
    return at is not None and holds(at)


def shows(s, tool, monitors, heights):
    """Whether each monitor shows the checker 1:1 in its middle; `heights` gets each caption's rows."""
    def checkers(at):
        left = 0
        heights.clear()
        for w, h, _ in monitors:
            corner = (left + (w - PICTURE[0]) // 2, (h - PICTURE[1]) // 2)
            if not checker_at(at, *corner):
                return False
            heights.append(caption_rows(at, *corner))
            left += w
        return True
    return pixel_shows(s, tool, monitors, checkers, "same")


def is_red(rgb):
    return rgb[0] > 200 and rgb[1] < 60 and rgb[2] < 60


def change(s, program, pictures, display, last, keep=False):
    """Starts the program on a list of `pictures` with the [display] lines given; it changes the wallpaper
    at once, and its window goes (shown where there is no tray) once imageNum is `last`, unless kept."""
    images = "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
    captions = "".join(f"{i}=Hg\n" for i in range(len(pictures)))
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n{images}[caption]\n{captions}[font]\n"
                f"newFontForeColor=16777215\ncaptionPosition=2\n[display]\nimageNum=-1\n{display}\n"
                "[time]\nchangeEveryBoot=1\ntimeOption=1\n[desktop]\nbackend=gnome\n[tessaly]\nfirstRun=False\n")
    app = s.spawn([os.path.abspath(program)])
    check(wait_for(lambda: s.ini("display", "imageNum") == last), f"the change is made ({display.split()[-1]})")
    if keep:
        return app
    app.terminate()
    app.wait(5)
    return None


def display_config(s, method, *arguments):
    return s.run("gdbus", "call", "--session", "-d", "org.gnome.Mutter.DisplayConfig", "-o",
                 "/org/gnome/Mutter/DisplayConfig", "-m", "org.gnome.Mutter.DisplayConfig." + method, *arguments)


def scale_each(s, monitors):
    """Each monitor at its own scale, side by side, as the user sets it in the shell's settings."""
    state = display_config(s, "GetCurrentState").stdout
    modes = re.findall(r"\(\('([^']+)', '[^']*', '[^']*', '[^']*'\), \[\('([^']+)'", state)
    logical, left = [], 0
    for (connector, mode), (w, _, scale) in zip(modes, monitors):
        logical.append(f"({left}, 0, {scale}.0, uint32 0, {str(not left).lower()}, [('{connector}', '{mode}', @a{{sv}} {{}})])")
        left += w
    serial = re.match(r"\(uint32 (\d+)", state)
    return serial and display_config(s, "ApplyMonitorsConfig", serial.group(1), "1", "[" + ", ".join(logical) + "]",
                                     "{}").returncode == 0


def gnome(s, program, tool):
    captions = {1: [], 2: []}  # caption rows by the scale of the monitor they were read on
    for number, monitors in enumerate(ROWS):
        row = s if number == 0 else Session(False)
        try:
            print(f"monitors {monitors}", flush=True)
            one(row, program, tool, monitors, captions)
        finally:
            if row is not s:
                row.close()
    # The same caption in points: its height in device pixels goes with the scale (within a pixel's rounding).
    check(captions[1] and min(captions[1]) > 5 and captions[2]
          and all(abs(h2 / h1 - 2) < 0.4 for h1 in captions[1] for h2 in captions[2]),
          f"each caption as tall as its monitor's scale makes it ({captions} rows by scale)")


def one(s, program, tool, monitors, captions):
    private_buses(s)
    if all(scale == 2 for _, _, scale in monitors):
        s.run("gsettings", "set", "org.gnome.desktop.interface", "scaling-factor", "2")
    arguments = [a for w, h, _ in monitors for a in ("--virtual-monitor", f"{w}x{h}")]
    if not os.path.isdir(X11_SOCKETS):  # made by the first X server of the machine; Xwayland will not make it
        os.makedirs(X11_SOCKETS, exist_ok=True)
        os.chmod(X11_SOCKETS, 0o1777)
    before = set(os.listdir(X11_SOCKETS))
    s.spawn(["gnome-shell", "--headless", "--wayland", *arguments])
    if not check(wait_for(lambda: overview(s, "Set", "<false>") and "false" in overview(s, "Get"), 90, 0.5),
                 "GNOME Shell is up and out of its overview"):
        return
    mixed = len({scale for _, _, scale in monitors}) > 1
    # The program on the shell's Xwayland, as it runs in a GNOME session without Qt's Wayland plugin.
    sockets = wait_for(lambda: set(os.listdir(X11_SOCKETS)) - before, 30)
    auth = wait_for(lambda: [n for n in os.listdir(s.env["XDG_RUNTIME_DIR"]) if n.startswith(".mutter-Xwayland")], 30)
    if not check(sockets and auth, "Xwayland is up"):
        return
    del s.env["QT_QPA_PLATFORM"]
    s.env["DISPLAY"] = ":" + sorted(sockets)[0].lstrip("X")
    s.env["XAUTHORITY"] = os.path.join(s.env["XDG_RUNTIME_DIR"], auth[0])
    s.wayland = next(n for n in sorted(os.listdir(s.env["XDG_RUNTIME_DIR"])) if re.fullmatch(r"wayland-\d+", n))
    s.spawn([XSETTINGS])
    if not check(xsettings_dpi(s, 1 if mixed else 2), "the settings daemon gives X programs the session's scale"):
        return
    checker = os.path.join(s.root, "checker.png")
    s.run("convert", "-size", "%dx%d" % CHECKER, "pattern:gray50", "-size", "%dx%d" % (PICTURE[0], PICTURE[1] - CHECKER[1]),
          "xc:black", "-append", checker)
    os.makedirs(s.app_folder)
    heights = []
    if mixed:
        # The scales change while the program runs: it makes the picture again for the new layout, without
        # moving on in the list. Its window (shown where there is no tray) is put out of the way.
        app = change(s, program, [checker], "displayType=1\nscreens=same", "0", keep=True)
        s.run("xdotool", "search", "--onlyvisible", "--name", "^ ?Tessaly$", "windowminimize")
        check(wait_for(lambda: shows(s, tool, [(w, h, 1) for w, h, _ in monitors], heights), 20,
                       0.5), "all at scale 1: each monitor shows the checker 1:1")
        if not check(scale_each(s, monitors) and xsettings_dpi(s, monitors[0][2]),
                     "each monitor at its scale, the program running"):
            return
        check(wait_for(lambda: shows(s, tool, monitors, heights) and heights[0] > 1.5 * heights[1],
                       20, 0.5) and s.ini("display", "imageNum") == "0",
              "the picture made again for the new scales, the list not moved on")
        app.terminate()
        app.wait(5)
    for wayland in (False, True):
        platform = on_wayland(s, wayland)
        change(s, program, [checker], "displayType=1\nscreens=same", "0")
        # A bitmap the shell cannot load leaves the last one on screen: the size handed over is checked too.
        uri = s.run("gsettings", "get", "org.gnome.desktop.background", "picture-uri").stdout.strip().strip("'")
        size = s.run("identify", "-ping", "-format", "%wx%h", uri.removeprefix("file://")).stdout
        desktop = f"{sum(w for w, _, _ in monitors)}x{max(h for _, h, _ in monitors)}"
        check(size == desktop, f"{platform}: the bitmap is the desktop's size in device pixels ({size}; {desktop})")
        check(wait_for(lambda: shows(s, tool, monitors, heights), 20, 0.5),
              f"{platform}: each monitor shows the checker 1:1 in its middle")
        for (_, _, scale), height in zip(monitors, heights):
            captions[scale].append(height)
    if len(monitors) < 2:
        return
    check("spanned" in s.run("gsettings", "get", "org.gnome.desktop.background", "picture-options").stdout,
          "handed over as one spanned bitmap")

    # A picture for each monitor: the checker on the first, red on the second.
    red = os.path.join(s.root, "red.png")
    s.run("convert", "-size", "%dx%d" % PICTURE, "xc:red", red)
    change(s, program, [checker, red], "displayType=1\nscreens=each", "1")
    (w1, h1, _), (w2, h2, _) = monitors
    middle = probe_row(monitors)
    check(wait_for(lambda: pixel_shows(s, tool, monitors, lambda at: checker_at(
        at, (w1 - PICTURE[0]) // 2, (h1 - PICTURE[1]) // 2) and is_red(at(w1 + w2 // 2, h2 // 2)), "each"), 20, 0.5),
        "each: the checker 1:1 on the first monitor, the next picture on the second")
    # One picture across both, red on its left half and blue on its right: the seam lies at the middle of
    # the whole desktop, not of each monitor (which each showing the whole picture would put there).
    halves = os.path.join(s.root, "halves.png")
    s.run("convert", "-size", "100x50", "xc:red", "-size", "100x50", "xc:blue", "+append", halves)
    change(s, program, [halves], "displayType=0\nscreens=span", "0")
    left_of_seam, right_of_seam = (w1 // 2 + (w1 + w2) // 2) // 2, w1 + w2 // 4
    check(wait_for(lambda: pixel_shows(s, tool, monitors, lambda at: is_red(at(left_of_seam, middle)) and not is_red(
        at(right_of_seam, middle)), "span"), 20, 0.5), "span: one picture across both monitors")


if __name__ == "__main__":
    sys.exit(main(gnome, ["gnome-shell", XSETTINGS, "dbus-daemon", "gdbus", "gsettings", "convert", "identify", "xdotool",
                          "xrdb"], 2))
