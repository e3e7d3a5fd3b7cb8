#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two monitors of different sizes on a real X server (Xorg's dummy driver gives real RandR outputs with no
hardware), the wallpaper set on one desktop: the same picture made for each monitor, one picture spanned
across both, a picture for each, and, where the desktop reaches both, a monitor unplugged and plugged in
again.

Usage: monitors_e2e.py PROGRAM DESKTOP
DESKTOP: x11 (the root window), lxqt (a real pcmanfm-qt --desktop), lxde (a real pcmanfm --desktop), xfce
(a real xfdesktop) or mate (a real caja --force-desktop)
"""
import os
import sys
import time

from e2e_support import check, main, wait_for

# DUMMY0 (primary) 640x360 at 0,0 and DUMMY1 400x320 right of it: a 1040x360 desktop.
MODES = {"DUMMY0": ("m640", "20 640 656 720 800 360 363 368 375"), "DUMMY1": ("m400", "12 400 416 456 512 320 323 328 335")}
XORG_CONF = """Section "Device"\n Identifier "d"\n Driver "dummy"\n VideoRam 65536\nEndSection
Section "Monitor"\n Identifier "m"\n HorizSync 5.0-1000.0\n VertRefresh 5.0-200.0\nEndSection
Section "Screen"\n Identifier "s"\n Device "d"\n Monitor "m"\n DefaultDepth 24
 SubSection "Display"\n  Depth 24\n  Virtual 2048 1024\n EndSubSection\nEndSection\n"""
RED, BLUE, GREEN, YELLOW, BLACK = (255, 0, 0), (0, 0, 255), (0, 255, 0), (255, 255, 0), (0, 0, 0)
GEOMETRY = {"DUMMY0": (0, 0, 640, 360), "DUMMY1": (640, 0, 400, 320)}  # x, y, width, height
# pcmanfm's command line reaches only its first monitor, the first RandR output: with DUMMY1 primary, a
# bitmap made for the primary would be stretched onto it. The other keeps pcmanfm's own black.
DESKTOPS = {"x11": ("DUMMY0", GEOMETRY), "lxqt": ("DUMMY0", GEOMETRY), "xfce": ("DUMMY0", GEOMETRY),
            "mate": ("DUMMY0", GEOMETRY),
            "lxde": ("DUMMY1", {"DUMMY0": GEOMETRY["DUMMY0"]})}


def xorg(s, primary):
    del s.env["QT_QPA_PLATFORM"]  # the session's own offscreen screen: this one has real outputs
    conf = os.path.join(s.root, "xorg.conf")
    with open(conf, "w") as f:
        f.write(XORG_CONF)
    read, write = os.pipe()
    s.spawn(["Xorg", "-noreset", "-nolisten", "tcp", "-config", conf, "-logfile", os.path.join(s.root, "xorg.log"),
             "-displayfd", str(write)], pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as pipe:
        s.env["DISPLAY"] = ":" + pipe.readline().strip()
    for output, (name, line) in MODES.items():
        s.run("xrandr", "--newmode", name, *line.split())
        s.run("xrandr", "--addmode", output, name)
    plug(s, True, primary)


def plug(s, second, primary="DUMMY0"):
    s.run("xrandr", "--output", "DUMMY0", "--mode", "m640", "--pos", "0x0", "--output", "DUMMY1",
          *(["--mode", "m400", "--right-of", "DUMMY0"] if second else ["--off"]), "--output", primary, "--primary")


def windows_shown(s, *places):
    tree = s.run("xwininfo", "-root", "-children").stdout
    return all(f"{place}  +" in tree for place in places)


def mate_desktop(s, name):
    # caja draws MATE's desktop from org.mate.background, kept by dconf on the session bus.
    for schema, key, value in (("org.mate.caja.desktop", "computer-icon-visible", "false"),
                               ("org.mate.caja.desktop", "home-icon-visible", "false"),
                               ("org.mate.caja.desktop", "trash-icon-visible", "false"),
                               ("org.mate.background", "picture-filename", ""),
                               ("org.mate.background", "primary-color", "#000000"),
                               ("org.mate.background", "color-shading-type", "solid"),
                               ("org.mate.background", "background-fade", "false")):  # read at once, not mid-fade
        s.run("gsettings", "set", schema, key, value)
    return ["caja", "--force-desktop", "--no-default-window"], lambda: windows_shown(s, "1040x360+0+0")


def xfce_desktop(s, name):
    # xfdesktop keeps its settings in xfconfd, which the bus starts; no icons over the pixels read back.
    s.run("xfconf-query", "-c", "xfce4-desktop", "-p", "/desktop-icons/style", "-n", "-t", "int", "-s", "0")
    return ["xfdesktop", "--sm-client-disable"], \
        lambda: "/monitorDUMMY1/" in s.run("xfconf-query", "-c", "xfce4-desktop", "-l").stdout


def pcmanfm_desktop(s, name):
    # No desktop icons over the pixels read back; the rest as pcmanfm writes a fresh profile.
    folder = os.path.join(s.env["XDG_CONFIG_HOME"], "pcmanfm", "default")
    os.makedirs(folder)
    for n in (0, 1):
        with open(os.path.join(folder, f"desktop-items-{n}.conf"), "w") as f:
            f.write("[*]\nwallpaper_mode=color\ndesktop_bg=#000000\nshow_trash=0\nshow_documents=0\nshow_mounts=0\n")
    # pcmanfm-qt draws one window across the whole desktop, pcmanfm one for each monitor.
    program, places = {"lxqt": ("pcmanfm-qt", ["1040x360+0+0"]), "lxde": ("pcmanfm", ["640x360+0+0", "400x320+640+0"])}[name]
    return [program, "--desktop"], lambda: windows_shown(s, *places)


def desktop(s, name):
    """The desktop's own program drawing the background, on a private session bus, started once it shows."""
    if name == "x11":
        return
    bus = os.path.join(s.root, "bus")
    s.spawn(["dbus-daemon", "--session", "--nofork", "--address=unix:path=" + bus])
    s.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + bus
    check(wait_for(lambda: os.path.exists(bus), 10), "a session bus")
    argv, shown = {"mate": mate_desktop, "xfce": xfce_desktop}.get(name, pcmanfm_desktop)(s, name)
    # Started just after the outputs are set, a desktop program may see only the first and draw on it alone;
    # asking the server for its monitors first, as a session's start-up does, settles them.
    s.run("xrandr", "--listmonitors")
    s.spawn(argv)
    check(wait_for(shown, 15), f"{argv[0]} draws the desktop")
    time.sleep(1)  # and its first background


def root(s, step):
    """The root window's pixels as {(x, y): rgb} reader, and its size."""
    if os.environ.get("TESSALY_E2E_OUT"):  # kept to be looked at
        s.run("import", "-window", "root", os.path.join(os.environ["TESSALY_E2E_OUT"], f"monitors-{s.desktop}-{step}.png"))
    raw = s.rgb("import", "-window", "root")
    width = 1040 if len(raw) == 1040 * 360 * 3 else 640
    return lambda x, y: tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]), len(raw) // 3 // 360


def near(a, b):
    return all(abs(p - q) < 40 for p, q in zip(a, b))


def picture(s, name, *draw, size="100x60", colour="red"):
    path = os.path.join(s.root, name)
    s.run("convert", "-size", size, "xc:" + colour, *draw, path)
    return path


def start(s, program, pictures, shown, display, backend="x11", sections=""):
    """Tessaly started with the pictures, changing once at start from `shown` (-1: none of them)."""
    os.makedirs(s.app_folder, exist_ok=True)
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n" + "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
                + f"[display]\nimageNum={shown}\n{display}\n[time]\nchangeEveryBoot=1\ntimeOption=1\n"
                f"[desktop]\nbackend={backend}\n"
                "[tessaly]\nfirstRun=False\n" + sections)
    app = s.spawn([os.path.abspath(program)])
    expected = str((shown + 1) % len(pictures) if "each" not in display else len(pictures) - 1)
    check(wait_for(lambda: s.ini("display", "imageNum") == expected, 20), f"{display.split()}: imageNum {expected}")
    return app


def stop(app):  # the program's window goes; the desktop keeps its wallpaper
    app.terminate()
    app.wait(5)
    time.sleep(0.3)


def output(x):
    return "DUMMY0" if x < 640 else "DUMMY1"


def monitors(s, program, name):
    s.desktop = name
    primary, reached = DESKTOPS[name]
    xorg(s, primary)
    desktop(s, name)
    run = lambda pictures, display: stop(start(s, program, pictures, -1, display, name))
    expect = lambda at, points: [(at(x, y), colour) for (x, y), colour in points.items() if output(x) in reached]
    # A monitor the desktop's tool cannot reach keeps the desktop's own black, never a bitmap made for another.
    untouched = lambda at: all(near(at(x + w // 2, y + h // 2), BLACK) for o, (x, y, w, h) in GEOMETRY.items()
                               if o not in reached)
    quadrants = picture(s, "quadrants.png", "-fill", "blue", "-draw", "rectangle 50,0 99,29", "-fill", "lime",
                        "-draw", "rectangle 0,30 49,59", "-fill", "yellow", "-draw", "rectangle 50,30 99,59",
                        "(", "-size", "20x10", "pattern:gray50", ")", "-geometry", "+40+25", "-composite")

    # Centred, the same picture on each: 1:1 in the middle of each monitor, black around it, its one-pixel
    # checker unblurred.
    run([quadrants], "displayType=1\nscreens=same")
    at, _ = root(s, "same-centred")
    for out, (x, y, w, h) in reached.items():
        left, top = x + w // 2 - 50, y + h // 2 - 30
        corners = [at(left + 2, top + 2), at(left + 97, top + 2), at(left + 2, top + 57), at(left + 97, top + 57)]
        check(all(near(c, e) for c, e in zip(corners, [RED, BLUE, GREEN, YELLOW])), f"same, centred: {out} {corners}")
        check(near(at(left - 2, top + 2), BLACK) and near(at(left + 102, top + 57), BLACK),
              f"same, centred: 1:1 on {out}, black around it")
        row = [sum(at(left + 42 + i, top + 30)) for i in range(16)]
        check(all(abs(a - b) > 300 for a, b in zip(row, row[1:])), f"same, centred: the checker 1:1 on {out} {row}")
    # Negative control: stretched across the desktop, a primary-sized bitmap put the picture at its middle.
    check(near(at(520, 180), BLACK) and untouched(at), "same, centred: nothing in the middle of the whole desktop")

    # Fitted, the same picture on each: as large as each monitor allows, black at its sides or above and below.
    run([quadrants], "displayType=0\nfitting=fit\nscreens=same")
    at, _ = root(s, "same-fit")
    seen = expect(at, {(10, 180): BLACK, (30, 10): RED, (615, 350): YELLOW, (645, 20): BLACK, (645, 50): RED,
                       (1035, 275): YELLOW, (1035, 300): BLACK})
    check(all(near(c, e) for c, e in seen) and untouched(at), f"same, fit: whole on each monitor, its shape kept {seen}")

    # Spanned and filled: a picture half the desktop's width, doubled, its middle rows kept; a boundary at the
    # seam lines up across it. Stretched (fitting ignored), its red band would reach down to y = 120.
    bands = picture(s, "bands.png", "-fill", "red", "-draw", "rectangle 0,0 519,119", "-fill", "lime",
                    "-draw", "rectangle 320,120 519,359", size="520x360", colour="blue")
    run([bands], "displayType=0\nfitting=fill\nscreens=span")
    at, _ = root(s, "span-fill")
    seen = expect(at, {(5, 30): RED, (700, 30): RED, (300, 90): BLUE, (5, 300): BLUE, (635, 300): BLUE,
                       (645, 300): GREEN, (1035, 300): GREEN})
    check(all(near(c, e) for c, e in seen) and untouched(at),
          f"span, fill: cropped, not stretched, and lined up across the seam {seen}")

    # A picture for each, in list order from the first on the primary; imageNum the last one used.
    red, blue = picture(s, "red.png"), picture(s, "blue.png", colour="blue")
    app = start(s, program, [red, blue], -1, "displayType=0\nscreens=each", name)
    corner = {"DUMMY0": (620, 350), "DUMMY1": (1020, 300)}  # clear of the settings window shown without a tray
    colours = {out: (RED if out == primary else BLUE) for out in GEOMETRY}
    shows = lambda: (lambda at: all(near(at(*corner[o]), colours[o]) for o in reached) and untouched(at))(root(s, "each")[0])
    check(wait_for(shows, 5), "each: red on the primary, blue on the other")
    if name == "lxde":  # pcmanfm reaches one monitor only
        return stop(app)

    # Unplugged: the one monitor shows the last picture again, within 2 s, the list not moved on.
    shows = lambda a, b: (lambda at: near(at(*corner["DUMMY0"]), a) and (b is None or near(at(*corner["DUMMY1"]), b)))(
        root(s, "each")[0])
    began = time.monotonic()
    plug(s, False)
    check(wait_for(lambda: root(s, "unplugged")[1] == 640 and shows(BLUE, None), 5, 0.05),
          f"unplugged: blue made for the one monitor after {time.monotonic() - began:.1f} s")
    check(time.monotonic() - began < 2.5 and s.ini("display", "imageNum") == "1", "unplugged: in time, imageNum kept")
    if name == "x11":  # once per burst: the root's pixmap, new at every change, stays the same a while after
        pixmap = lambda: s.run("xprop", "-root", "_XROOTPMAP_ID").stdout
        first = pixmap()
        time.sleep(1.5)
        check(first == pixmap(), "unplugged: made once for the burst of screen events")
    began = time.monotonic()
    plug(s, True)
    check(wait_for(lambda: root(s, "plugged")[1] == 1040 and shows(RED, BLUE), 5, 0.05),
          f"plugged in again: red and blue in their places after {time.monotonic() - began:.1f} s")
    check(s.ini("display", "imageNum") == "1", "plugged in again: imageNum kept")

    # Off and on again within a second while a change runs: the change is made for the one monitor of the
    # moment, red; the burst ends where it began, and both are shown pictures made for them again.
    plug(s, False)
    time.sleep(0.15)
    s.spawn([os.path.abspath(program), "--next"])
    time.sleep(0.15)
    began = time.monotonic()
    plug(s, True)
    check(wait_for(lambda: shows(BLUE, RED), 5, 0.05) and time.monotonic() - began < 2.5,
          f"a blip during a change: made again for both after {time.monotonic() - began:.1f} s")
    check(s.ini("display", "imageNum") == "0", "a blip during a change: the list moved on once")
    stop(app)
    if name != "x11":
        return

    # Qt's own scale (as on Windows) divides each screen's size but keeps its corner in device pixels: the
    # second monitor's part lies at 640, not at 1280 as a corner counted in scaled pixels would put it.
    # Each monitor's work area, as GNOME publishes it in the server's pixels, holds a white top caption.
    s.run("xprop", "-root", "-f", "_GTK_WORKAREAS_D0", "32c", "-set", "_GTK_WORKAREAS_D0", "0,40,640,320,640,30,400,290")
    s.env["QT_SCALE_FACTOR"] = "2"
    stop(start(s, program, [red, blue], -1, "displayType=0\nscreens=each",
               sections="[caption]\n0=H\n1=H\n[font]\nnewFontForeColor=16777215\ncaptionPosition=0\n"))
    del s.env["QT_SCALE_FACTOR"]
    at, width = root(s, "each-scaled")
    seen = [at(x, y) for x, y in ((5, 5), (635, 355), (645, 5), (1035, 315))]
    check(width == 1040 and all(near(c, e) for c, e in zip(seen, [RED, RED, BLUE, BLUE])),
          f"Qt at scale 2: each monitor's picture in its place {seen}")
    # The letter's top lies a little below its line's, which starts at the work area's top.
    tops = [next((y for y in range(360) if any(min(at(x, y)) > 200 for x in range(m - 60, m + 60))), None)
            for m in (320, 840)]
    check(40 <= (tops[0] or 0) < 56 and 30 <= (tops[1] or 0) < 46, f"Qt at scale 2: each caption below its panel {tops}")

    # A second X screen is a desktop of its own with its own root window, which Qt also puts at 0,0: the
    # first screen's picture is made for the first alone, not drawn over by one made for the second.
    read, write = os.pipe()
    s.spawn(["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "640x360x24", "-screen", "1",
             "400x320x24"], pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as pipe:
        s.env["DISPLAY"] = ":" + pipe.readline().strip() + ".0"
    app = start(s, program, [quadrants], -1, "displayType=1\nscreens=same")
    s.run("xdotool", "search", "--onlyvisible", "--name", "^ ?Tessaly$", "windowunmap")  # no tray: out of the way
    at, _ = root(s, "second-x-screen")
    corners = [at(272, 152), at(367, 152), at(272, 207), at(367, 207)]
    check(all(near(c, e) for c, e in zip(corners, [RED, BLUE, GREEN, YELLOW])),
          f"a second X screen: the picture centred on the first {corners}")
    stop(app)


if __name__ == "__main__":
    tools = {"lxqt": ["pcmanfm-qt", "dbus-daemon"], "lxde": ["pcmanfm", "dbus-daemon"],
             "xfce": ["xfdesktop", "xfconf-query", "dbus-daemon"],
             "mate": ["caja", "gsettings", "dbus-daemon"]}.get(sys.argv[-1], [])
    sys.exit(main(monitors, ["Xorg", "Xvfb", "xdotool", "xrandr", "xprop", "xwininfo", "import", "convert", *tools], 2))
