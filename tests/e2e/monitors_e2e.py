#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two monitors of different sizes, 640x360 at 0,0 (the primary) and 400x320 right of it, the wallpaper set
on one desktop: the same picture made for each monitor, one picture spanned across both, a picture for each,
and monitors unplugged and plugged in again. X desktops run on a real X server (Xorg's dummy driver gives
real RandR outputs with no hardware), sway headless with its outputs read back by grim.

Usage: monitors_e2e.py PROGRAM DESKTOP
DESKTOP: x11 (the root window), lxqt (a real pcmanfm-qt --desktop), lxde (a real pcmanfm --desktop), xfce
(a real xfdesktop), mate (a real caja --force-desktop) or sway (skipped, 77, where it is not installed)
"""
import os
import sys
import time

from e2e_support import Desktop, Session, X11_SOCKETS, check, checker_at, main, near, reader, wait_for

RED, BLUE, GREEN, YELLOW, BLACK = (255, 0, 0), (0, 0, 255), (0, 255, 0), (255, 255, 0), (0, 0, 0)
GEOMETRY = {"first": (0, 0, 640, 360), "second": (640, 0, 400, 320)}  # x, y, width, height
PICTURE = (101, 61)  # odd: centred on an even monitor, a half-pixel placement would blur its checker
MODES = {"DUMMY0": ("m640", "20 640 656 720 800 360 363 368 375"), "DUMMY1": ("m400", "12 400 416 456 512 320 323 328 335")}
XORG_CONF = """Section "Device"\n Identifier "d"\n Driver "dummy"\n VideoRam 65536\nEndSection
Section "Monitor"\n Identifier "m"\n HorizSync 5.0-1000.0\n VertRefresh 5.0-200.0\nEndSection
Section "Screen"\n Identifier "s"\n Device "d"\n Monitor "m"\n DefaultDepth 24
 SubSection "Display"\n  Depth 24\n  Virtual 2048 1024\n EndSubSection\nEndSection\n"""
NOBODY = 65534


class XDesktop(Desktop):
    """Xorg's dummy driver and, but for the bare root window, the desktop's program on a private bus."""
    tools = ["Xorg", "Xvfb", "xdotool", "xrandr", "xprop", "xwininfo", "import", "convert"]
    primary, reached, argv, backend = "DUMMY0", GEOMETRY, None, "x11"

    def start(self, s):
        conf = os.path.join(s.root, "xorg.conf")
        with open(conf, "w") as f:
            f.write(XORG_CONF)
        s.x_server(["Xorg", "-noreset", "-nolisten", "tcp", "-config", conf, "-logfile", os.path.join(s.root, "xorg.log")])
        for output, (name, line) in MODES.items():
            s.run("xrandr", "--newmode", name, *line.split())
            s.run("xrandr", "--addmode", output, name)
        self.plug(s, True)
        if not self.argv:
            return True
        if not s.buses("SESSION"):
            return False
        self.prepare(s)
        # Started just after the outputs are set, a desktop program may see only the first and draw on it alone;
        # asking the server for its monitors first, as a session's start-up does, settles them.
        s.run("xrandr", "--listmonitors")
        s.spawn(self.argv)
        up = check(wait_for(self.drawn(s), 30), f"{self.argv[0]} draws the desktop")
        time.sleep(1)  # and its first background
        return up

    def prepare(self, s):  # no desktop icons over the pixels read back
        pass

    def windows(self, s, *places):
        return lambda: all(f"{place}  +" in s.run("xwininfo", "-root", "-children").stdout for place in places)

    def drawn(self, s):
        return self.windows(s, "1040x360+0+0")

    def plug(self, s, second):
        s.run("xrandr", "--output", "DUMMY0", "--mode", "m640", "--pos", "0x0", "--output", "DUMMY1",
              *(["--mode", "m400", "--right-of", "DUMMY0"] if second else ["--off"]), "--output", self.primary,
              "--primary")

    def screen(self, s, name, output=None):
        if "TESSALY_E2E_OUT" in os.environ:
            s.run("import", "-window", "root", s.out(f"monitors-{self.backend}-{name}.png"))
        raw = s.rgb("import", "-window", "root")
        width = 1040 if len(raw) == 1040 * 360 * 3 else 640
        return reader(raw, width), width, len(raw) // 3 // max(width, 1)


class Lxqt(XDesktop):
    tools, argv, backend = XDesktop.tools + ["pcmanfm-qt", "dbus-daemon"], ["pcmanfm-qt", "--desktop"], "lxqt"

    def prepare(self, s):  # as pcmanfm writes a fresh profile, but black and without icons
        folder = os.path.join(s.env["XDG_CONFIG_HOME"], "pcmanfm", "default")
        os.makedirs(folder)
        for n in (0, 1):
            with open(os.path.join(folder, f"desktop-items-{n}.conf"), "w") as f:
                f.write("[*]\nwallpaper_mode=color\ndesktop_bg=#000000\nshow_trash=0\nshow_documents=0\nshow_mounts=0\n")


class Lxde(Lxqt):
    # pcmanfm's command line reaches only its first monitor, the first RandR output: with DUMMY1 primary, a
    # bitmap made for the primary would be stretched onto it. The other keeps pcmanfm's own black.
    tools, argv, backend = XDesktop.tools + ["pcmanfm", "dbus-daemon"], ["pcmanfm", "--desktop"], "lxde"
    primary, reached = "DUMMY1", {"first": GEOMETRY["first"]}

    def drawn(self, s):  # a window for each monitor
        return self.windows(s, "640x360+0+0", "400x320+640+0")


class Xfce(XDesktop):
    tools, argv, backend = XDesktop.tools + ["xfdesktop", "xfconf-query", "dbus-daemon"], ["xfdesktop", "--sm-client-disable"], "xfce"

    def prepare(self, s):  # its settings are in xfconfd, which the bus starts
        s.run("xfconf-query", "-c", "xfce4-desktop", "-p", "/desktop-icons/style", "-n", "-t", "int", "-s", "0")

    def drawn(self, s):
        return lambda: "/monitorDUMMY1/" in s.run("xfconf-query", "-c", "xfce4-desktop", "-l").stdout


class Mate(XDesktop):
    tools, argv, backend = XDesktop.tools + ["caja", "gsettings", "dbus-daemon"], ["caja", "--force-desktop", "--no-default-window"], "mate"

    def prepare(self, s):  # caja draws from org.mate.background, kept by dconf on the session bus
        for schema, key, value in (("org.mate.caja.desktop", "computer-icon-visible", "false"),
                                   ("org.mate.caja.desktop", "home-icon-visible", "false"),
                                   ("org.mate.caja.desktop", "trash-icon-visible", "false"),
                                   ("org.mate.background", "picture-filename", ""),
                                   ("org.mate.background", "primary-color", "#000000"),
                                   ("org.mate.background", "color-shading-type", "solid"),
                                   ("org.mate.background", "background-fade", "false")):  # read at once
            s.run("gsettings", "set", schema, key, value)


class Sway(Desktop):
    """A headless sway whose outputs are the two monitors; sway refuses root, so it and the program (which
    Xwayland lets in as sway's user only) run as nobody. Each output's pixels are read with grim."""
    tools, skip_missing, backend = ["sway", "swaybg", "swaymsg", "grim", "Xwayland", "convert", "setpriv"], True, None
    prefix = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] if os.geteuid() == 0 else []
    plugin = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so"

    def start(self, s, outputs=2):
        os.makedirs(s.app_folder, exist_ok=True)
        for folder, _, files in os.walk(s.root) if self.prefix else ():
            for name in [folder] + [os.path.join(folder, f) for f in files]:
                os.chown(name, NOBODY, NOBODY)
        conf = os.path.join(s.root, "sway.conf")
        with open(conf, "w") as f:
            f.write("".join(f"output HEADLESS-{n + 1} mode --custom {w}x{h} position {x} 0\n"
                            for n, (x, _, w, h) in enumerate(list(GEOMETRY.values())[:outputs])) + "xwayland enable\n")
        runtime = s.env["XDG_RUNTIME_DIR"]
        s.env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
                     WLR_HEADLESS_OUTPUTS=str(outputs), XDG_CURRENT_DESKTOP="sway", QT_QPA_PLATFORM="xcb")
        before = set(os.listdir(X11_SOCKETS)) if os.path.isdir(X11_SOCKETS) else set()
        s.spawn(self.prefix + ["sway", "-c", conf])
        socket = wait_for(lambda: [n for n in os.listdir(runtime) if n.startswith("sway-ipc.")], 30)
        if not check(socket and os.path.exists(os.path.join(runtime, "wayland-1")), "sway is up"):
            return False
        s.env.update(SWAYSOCK=os.path.join(runtime, socket[0]), WAYLAND_DISPLAY="wayland-1")
        # sway starts Xwayland when the first X client connects; its socket is there from the start.
        return check(s.new_x_display(before, NOBODY if self.prefix else os.geteuid()), "sway's Xwayland is up")

    def screen(self, s, name, output=None):
        path = s.out(f"sway-{name}.ppm")
        if s.run("grim", *(["-o", output] if output else []), "-t", "ppm", path).returncode != 0:
            return None
        with open(path, "rb") as f:
            _, size, _, raw = f.read().split(b"\n", 3)  # P6, width height, 255, pixels
        width, height = map(int, size.split())
        return reader(raw, width), width, height


def seen(s, desktop, name, probe, output=None, timeout=10):
    """Whether the screen (or one output) passes the probe, at, width, height -> bool, within the time."""
    return wait_for(lambda: (shot := desktop.screen(s, name, output)) is not None and probe(*shot), timeout, 0.2)


def centred(at, x, y, w, h):
    """Whether the quadrants picture lies 1:1 in the middle of the monitor at x, y, w, h, black around it."""
    left, top = x + (w - PICTURE[0]) // 2, y + (h - PICTURE[1]) // 2
    right, bottom = left + PICTURE[0] - 1, top + PICTURE[1] - 1
    corners = [at(left + 2, top + 2), at(right - 2, top + 2), at(left + 2, bottom - 2), at(right - 2, bottom - 2)]
    return (all(near(c, e) for c, e in zip(corners, [RED, BLUE, GREEN, YELLOW]))
            and near(at(left - 2, top + 2), BLACK) and near(at(right + 2, bottom - 2), BLACK)
            and checker_at(at, left + 40, top + 25, (20, 10)))


def picture(s, name, *draw, size="100x60", colour="red"):
    path = os.path.join(s.root, name)
    s.run("convert", "-size", size, "xc:" + colour, *draw, path)
    return path


def monitors(s, desktop, program):
    sections = f"[desktop]\nbackend={desktop.backend}\n" if desktop.backend else ""
    change = lambda pictures, display, last=0, extra="", **more: s.change(
        program, pictures, display, last, sections + extra, prefix=getattr(desktop, "prefix", ()), **more)
    reached = getattr(desktop, "reached", GEOMETRY)
    # A monitor the desktop's tool cannot reach keeps the desktop's own black, never a bitmap made for another.
    untouched = lambda at: all(near(at(x + w // 2, y + h // 2), BLACK) for o, (x, y, w, h) in GEOMETRY.items()
                               if o not in reached)
    judged = lambda points: lambda at, *_: untouched(at) and all(
        near(at(x, y), colour) for (x, y), colour in points.items() if x < 640 or "second" in reached)
    w, h = PICTURE
    quadrants = picture(s, "quadrants.png", "-fill", "blue", "-draw", f"rectangle {w // 2},0 {w - 1},{h // 2 - 1}",
                        "-fill", "lime", "-draw", f"rectangle 0,{h // 2} {w // 2 - 1},{h - 1}", "-fill", "yellow",
                        "-draw", f"rectangle {w // 2},{h // 2} {w - 1},{h - 1}", "(", "-size", "20x10",
                        "pattern:gray50", ")", "-geometry", "+40+25", "-composite", size=f"{w}x{h}")
    if isinstance(desktop, Sway):
        one_output(program, desktop, quadrants)

    # Centred, the same picture on each: 1:1 in the middle of each monitor, black around it, its one-pixel
    # checker unblurred; not in the middle of the whole desktop, where a stretched primary-sized bitmap puts it.
    sway = isinstance(desktop, Sway)
    for platform in ["xcb"] + (["wayland"] if sway and os.path.exists(desktop.plugin) else []):
        if sway:  # Qt names the screens XWAYLAND0… on Xwayland, HEADLESS-1… on its Wayland plugin
            s.env["QT_QPA_PLATFORM"] = platform
        if change([quadrants], "displayType=1\nscreens=same"):
            check(seen(s, desktop, f"same-centred-{platform}", lambda at, *_: untouched(at) and near(at(520, 180), BLACK)
                       and all(centred(at, *geometry) for geometry in reached.values())),
                  f"{platform}, same, centred: 1:1 in the middle of each monitor")
    if sway:
        s.env["QT_QPA_PLATFORM"] = "xcb"

    # Fitted, the same picture on each: as large as each monitor allows, black at its sides or above and below.
    fitted = picture(s, "fitted.png", "-fill", "blue", "-draw", "rectangle 50,0 99,29", "-fill", "lime",
                     "-draw", "rectangle 0,30 49,59", "-fill", "yellow", "-draw", "rectangle 50,30 99,59")
    if change([fitted], "displayType=0\nfitting=fit\nscreens=same"):
        check(seen(s, desktop, "same-fit", judged({(10, 180): BLACK, (30, 10): RED, (615, 350): YELLOW, (645, 20): BLACK,
                                                   (645, 50): RED, (1035, 275): YELLOW, (1035, 300): BLACK})),
              "same, fit: whole on each monitor, its shape kept")

    # Spanned and filled: a picture half the desktop's width, doubled, its middle rows kept; a boundary at the
    # seam lines up across it. Stretched (fitting ignored), its red band would reach down to y = 120.
    bands = picture(s, "bands.png", "-fill", "red", "-draw", "rectangle 0,0 519,119", "-fill", "lime",
                    "-draw", "rectangle 320,120 519,359", size="520x360", colour="blue")
    if change([bands], "displayType=0\nfitting=fill\nscreens=span"):
        check(seen(s, desktop, "span-fill", judged({(5, 30): RED, (700, 30): RED, (300, 90): BLUE, (5, 300): BLUE,
                                                    (635, 300): BLUE, (645, 300): GREEN, (1035, 300): GREEN})),
              "span, fill: cropped, not stretched, and lined up across the seam")

    # A picture for each, in list order from the first on the primary; imageNum the last one used. The
    # corners read are clear of the settings window shown without a tray.
    red, blue = picture(s, "red.png"), picture(s, "blue.png", colour="blue")
    primary_first = getattr(desktop, "primary", "DUMMY0") == "DUMMY0"
    app = change([red, blue], "displayType=0\nscreens=each", 1, keep=isinstance(desktop, XDesktop))
    check(seen(s, desktop, "each", judged({(620, 350): RED if primary_first else BLUE, (1020, 300): BLUE})),
          "each: red on the primary, blue on the other")
    if sway:  # sway's tiled window would cover the first output: stopped before reading
        sway_more(s, desktop, change, quadrants)
        return
    if "second" in reached:
        replug(s, desktop, program, app)
    else:
        s.stop(app)
    if desktop.backend == "x11":
        x11_more(s, desktop, change, red, blue, quadrants)


def replug(s, desktop, program, app):
    at = lambda name: desktop.screen(s, name)
    shows = lambda name, width, a, b: (lambda shot: shot[1] == width and near(shot[0](620, 350), a)
                                       and (b is None or near(shot[0](1020, 300), b)))(at(name))
    # Unplugged: the one monitor shows the last picture again, within 2 s, the list not moved on.
    began = time.monotonic()
    desktop.plug(s, False)
    check(wait_for(lambda: shows("unplugged", 640, BLUE, None), 5, 0.05),
          f"unplugged: blue made for the one monitor after {time.monotonic() - began:.1f} s")
    check(time.monotonic() - began < 2.5 and s.ini("display", "imageNum") == "1", "unplugged: in time, imageNum kept")
    if desktop.backend == "x11":  # once per burst: the root's pixmap, new at every change, stays the same a while after
        pixmap = lambda: s.run("xprop", "-root", "_XROOTPMAP_ID").stdout
        first = pixmap()
        time.sleep(1.5)
        check(first == pixmap(), "unplugged: made once for the burst of screen events")
    began = time.monotonic()
    desktop.plug(s, True)
    check(wait_for(lambda: shows("plugged", 1040, RED, BLUE), 5, 0.05) and s.ini("display", "imageNum") == "1",
          f"plugged in again: red and blue in their places after {time.monotonic() - began:.1f} s, imageNum kept")

    # Off and on again within a second while a change runs: the change is made for the one monitor of the
    # moment, red; the burst ends where it began, and both are shown pictures made for them again.
    desktop.plug(s, False)
    time.sleep(0.15)
    s.spawn([os.path.abspath(program), "--next"])
    time.sleep(0.15)
    began = time.monotonic()
    desktop.plug(s, True)
    check(wait_for(lambda: shows("blip", 1040, BLUE, RED), 5, 0.05) and time.monotonic() - began < 2.5,
          f"a blip during a change: made again for both after {time.monotonic() - began:.1f} s")
    check(s.ini("display", "imageNum") == "0", "a blip during a change: the list moved on once")
    s.stop(app)


def x11_more(s, desktop, change, red, blue, quadrants):
    # Qt's own scale (as on Windows) divides each screen's size but keeps its corner in device pixels: the
    # second monitor's part lies at 640, not at 1280 as a corner counted in scaled pixels would put it.
    # Each monitor's work area, as GNOME publishes it in the server's pixels, holds a white top caption.
    s.run("xprop", "-root", "-f", "_GTK_WORKAREAS_D0", "32c", "-set", "_GTK_WORKAREAS_D0", "0,40,640,320,640,30,400,290")
    s.env["QT_SCALE_FACTOR"] = "2"
    change([red, blue], "displayType=0\nscreens=each", 1, "[caption]\n0=H\n1=H\n[font]\nnewFontForeColor=16777215\ncaptionPosition=0\n")
    del s.env["QT_SCALE_FACTOR"]
    at, width, _ = desktop.screen(s, "each-scaled")
    points = [at(x, y) for x, y in ((5, 5), (635, 355), (645, 5), (1035, 315))]
    check(width == 1040 and all(near(c, e) for c, e in zip(points, [RED, RED, BLUE, BLUE])),
          f"Qt at scale 2: each monitor's picture in its place {points}")
    # The letter's top lies a little below its line's, which starts at the work area's top.
    tops = [next((y for y in range(360) if any(min(at(x, y)) > 200 for x in range(m - 60, m + 60))), None)
            for m in (320, 840)]
    check(40 <= (tops[0] or 0) < 56 and 30 <= (tops[1] or 0) < 46, f"Qt at scale 2: each caption below its panel {tops}")

    # A second X screen is a desktop of its own with its own root window, which Qt also puts at 0,0: the
    # first screen's picture is made for the first alone, not drawn over by one made for the second.
    s.x_server(["Xvfb", "-noreset", "-screen", "0", "640x360x24", "-screen", "1", "400x320x24"], ".0")
    app = change([quadrants], "displayType=1\nscreens=same", keep=True)
    s.run("xdotool", "search", "--onlyvisible", "--name", "^ ?Tessaly$", "windowunmap")  # no tray: out of the way
    check(seen(s, desktop, "second-x-screen", lambda at, *_: centred(at, *GEOMETRY["first"])),
          "a second X screen: the picture centred on the first")
    s.stop(app)


def one_output(program, desktop, quadrants):
    """sway alone would centre the odd-sized picture at a half pixel of its one output, blurring it."""
    s = Session(False)
    try:
        if desktop.start(s, 1) and s.change(program, [quadrants], "displayType=1", 0, prefix=desktop.prefix):
            check(seen(s, desktop, "one", lambda at, w, h: centred(at, 0, 0, w, h)),
                  "one output, centred: the picture 1:1 in its middle")
    finally:
        s.close()


def sway_more(s, desktop, change, quadrants):
    outputs = {"HEADLESS-1": "first", "HEADLESS-2": "second"}
    if os.path.exists(desktop.plugin):
        # Qt's Wayland plugin, the first output at scale 2 (320x180 logical) left of one at 1: each still gets
        # its own picture in its own pixels, neither drawn over the other.
        s.run("swaymsg", "--", "output", "HEADLESS-1", "scale", "2", ";", "output", "HEADLESS-2", "position", "320", "0")
        s.env["QT_QPA_PLATFORM"] = "wayland"
        if change([quadrants], "displayType=1\nscreens=same"):
            check(all(seen(s, desktop, f"scale-{n}", lambda at, w, h: centred(at, 0, 0, w, h), n) for n in outputs),
                  "wayland, scale 2 beside 1: the picture 1:1 in each output's middle")
        s.env["QT_QPA_PLATFORM"] = "xcb"
        s.run("swaymsg", "--", "output", "HEADLESS-1", "scale", "1", ";", "output", "HEADLESS-2", "position", "640", "0")
    # A third output plugged in while the program runs: its own picture, the list not moved on. (The
    # program's window covers the output it opened on, not the new one.)
    app = change([quadrants], "displayType=1\nscreens=same", keep=True)
    began = time.monotonic()
    s.run("swaymsg", "create_output")
    check(seen(s, desktop, "plugged", lambda at, w, h: centred(at, 0, 0, w, h), "HEADLESS-3")
          and s.ini("display", "imageNum") == "0",
          f"plugged in: the picture 1:1 on the new output (seen after {time.monotonic() - began:.1f} s), imageNum kept")
    s.stop(app)


if __name__ == "__main__":
    sys.exit(main(monitors, [], 2, desktops={"x11": XDesktop, "lxqt": Lxqt, "lxde": Lxde, "xfce": Xfce,
                                             "mate": Mate, "sway": Sway}))
