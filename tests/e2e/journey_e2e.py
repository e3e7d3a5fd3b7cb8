#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A user's first day with an installed copy: install, first start, pictures and a caption, a restart.

Usage: journey_e2e.py CMAKE BUILD_DIR
Installs the build into a temporary prefix with `CMAKE --install BUILD_DIR --prefix …` and drives the
installed program under Xvfb, with trayer as the tray host, the X11 root window as the desktop and only
the keyboard and mouse: the tray menu, the settings window, the multiple-file loader, the caption
dialog, Activate, "Close and Disable", a restart, a left click on the icon, a second start while one
runs, and a start with no tray host. What it checks is
what a user sees: the icon, the windows, the root window's pixels and the settings file. Screenshots of
every failure go to $TESSALY_E2E_OUT. Every missing tool is a failure.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from e2e_support import Session, check, failures, ini_value, menu_item, missing_tools, near, open_menu, wait_for

TOOLS = ["Xvfb", "xdotool", "xwininfo", "trayer", "import", "convert", "xclip"]
CAPTION = "Harbour at dawn"
RED, BLUE, WHITE = (0xC0, 0x30, 0x20), (0x20, 0x50, 0xC0), (0xFF, 0xFF, 0xFF)
# Where the settings window's controls sit, in twips of its surface below the menu bar (its design
# units: the surface is 4740 wide, 6075 high, and grows with the font).
SURFACE_TWIPS = (4740, 6075)
TOOLBAR = (0, 0, 4740, 540)
LIST = (120, 960, 4095, 960)
REMOVE_ALL = (2760, 2040, 1455, 375)
CAPTION_BOX = (480, 2760, 3375, 285)
ACTIVATE = (3360, 5040, 1215, 375)
CAPTION_TOOL, MULTIPLE_TOOL = 3, 4
INSTALLED = ["bin/tessaly", "share/tessaly/tessdesk.ini", "share/tessaly/badimage.bmp",
             "share/tessaly/image1.gif", "share/tessaly/image2.gif", "share/applications/tessaly.desktop",
             "share/metainfo/org.tessaly.Tessaly.metainfo.xml", "share/icons/hicolor/scalable/apps/tessaly.svg",
             "share/man/man1/tessaly.1"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


class SettingsWindow:
    """The shown settings window, with its controls found from its geometry."""

    def __init__(self, session, window):
        self.s = session
        self.id = window
        self.x, self.y, width, height = session.geometry(window)
        self.scale = width / SURFACE_TWIPS[0]
        self.menu_height = height - round(SURFACE_TWIPS[1] * self.scale)

    def centre(self, twips):
        left, top, width, height = twips
        return (self.x + round((left + width / 2) * self.scale),
                self.y + self.menu_height + round((top + height / 2) * self.scale))

    def click(self, twips):
        self.s.click(*self.centre(twips), 1)

    def click_first_row(self):
        left, top, width, _ = LIST
        self.s.click(self.x + round((left + width / 2) * self.scale), self.y + self.menu_height
                     + round(top * self.scale) + 5, 1)

    def tool_buttons(self):
        """Centres of the toolbar's buttons: the runs of columns in the toolbar that hold icon pixels."""
        image = self.s.pixels(self.id)
        if image is None:
            return []
        top = self.menu_height
        bottom = top + round(TOOLBAR[3] * self.scale)
        background = image.at(1, top + 2)
        runs = []
        for x in range(image.width):
            busy = any(not near(image.at(x, y), background, 30) for y in range(top + 4, bottom - 4))
            if busy and runs and runs[-1][1] >= x - 3:
                runs[-1][1] = x
            elif busy:
                runs.append([x, x])
        return [(self.x + (a + b) // 2, self.y + (top + bottom) // 2) for a, b in runs]

    def click_tool(self, index):
        def all_five():
            found = self.tool_buttons()
            return found if len(found) == 5 else None

        # A message box just closed may still cover the toolbar for a moment.
        buttons = wait_for(all_five, step=0.2)
        if not check(buttons is not None, "the toolbar shows its five buttons"):
            return False
        self.s.click(*buttons[index], 1)
        return True


def caption_band(image):
    """(band top, dark pixels in it) for a band of canvas white along the bottom edge, else None."""
    y = image.height - 1
    while y > 0 and near(image.at(0, y), WHITE, 8) and near(image.at(image.width - 1, y), WHITE, 8):
        y -= 1
    top = y + 1
    if top >= image.height - 4:
        return None
    dark = sum(1 for yy in range(top, image.height) for x in range(0, image.width, 2)
               if max(image.at(x, yy)) < 100)
    return top, dark


def install(cmake, build, prefix):
    result = subprocess.run([cmake, "--install", build, "--prefix", prefix], capture_output=True, text=True)
    if not check(result.returncode == 0, "cmake --install into a temporary prefix"):
        print(result.stdout + result.stderr)
        return None
    missing = [path for path in INSTALLED if not os.path.isfile(os.path.join(prefix, path))]
    missing += [f"{n}x{n}" for n in ICON_SIZES
                if not os.path.isfile(os.path.join(prefix, f"share/icons/hicolor/{n}x{n}/apps/tessaly.png"))]
    check(not missing, "the program, its data, menu entry, metainfo and icons are installed"
          + (f" (missing: {', '.join(missing)})" if missing else ""))
    return os.path.join(prefix, "bin", "tessaly")


def pictures(folder):
    os.makedirs(folder)
    for name, colour in (("harbour.jpg", RED), ("meadow.jpg", BLUE)):
        subprocess.run(["convert", "-size", "320x240", "xc:#%02x%02x%02x" % colour,
                        os.path.join(folder, name)], check=True)
    return [os.path.join(folder, name) for name in ("harbour.jpg", "meadow.jpg")]


def journey(s, picture_folder, expected_paths):
    out = os.environ.get("TESSALY_E2E_OUT", s.root)

    def verify(condition, what, shot):
        if not check(condition, what):
            s.screenshot(os.path.join(out, f"journey-{shot}.png"))
        return condition

    settings = os.path.join(s.app_folder, "tessdesk.ini")
    check(s.start_tray_host(), "trayer is up as the tray host")
    app = s.start_program(cwd="/")
    if not verify(wait_for(s.icon) is not None, "first start: the icon is in the tray", "first-start"):
        return
    check(wait_for(lambda: ini_value(settings, "tessaly", "firstRun") == "False"),
          "first start: the settings file is seeded in $XDG_CONFIG_HOME/tessaly")
    seeded = sorted(os.listdir(s.app_folder))
    check(all(name in seeded for name in ("badimage.bmp", "image1.gif", "image2.gif")),
          f"first start: the shipped pictures are copied ({', '.join(seeded)})")
    check(ini_value(settings, "images", "0") == os.path.join(s.app_folder, "image1.gif")
          and ini_value(settings, "total", "total") == "2", "first start: the list holds the two shipped pictures")
    check(s.visible_main_window() is None, "first start: no window, only the icon")
    check(sum('"Tessaly"' in line for line in s.panel_subtree() or []) == 1, "first start: exactly one icon")
    entry = os.path.join(s.env["XDG_CONFIG_HOME"], "autostart", "tessaly.desktop")
    check(os.path.isfile(entry) and f"Exec={os.path.realpath(s.program)}" in open(entry).read(),
          "first start: the autostart entry starts the installed program")

    w = open_settings(s, verify)
    if w is None:
        return

    w.click(REMOVE_ALL)
    question = wait_for(lambda: s.window("Tessaly"))
    if not verify(question is not None, '"Remove All" asks first', "remove-all"):
        return
    s.focus(question)
    s.keys("Return")
    wait_for(lambda: s.window("Tessaly") is None)

    if not w.click_tool(MULTIPLE_TOOL):
        return
    loader = wait_for(lambda: s.window("Load Multiple Files"))
    if not verify(loader is not None, '"Multiple" opens the loader', "loader"):
        return
    time.sleep(0.3)
    s.focus(loader)
    # The file list has the keyboard first; three tabs on lies "Load".
    s.keys("Tab", "Tab", "Tab", "space")
    verify(wait_for(lambda: s.window("Load Multiple Files") is None), '"Load" closes the loader', "load")

    w.click_first_row()
    w.click(CAPTION_BOX)
    s.type_text(CAPTION)

    if not w.click_tool(CAPTION_TOOL):
        return
    dialog = wait_for(lambda: s.window("Caption Properties"))
    if not verify(dialog is not None, '"Caption" opens the caption dialog', "caption"):
        return
    s.focus(dialog)
    # Ok, Cancel, Font, then the display choice: Down picks "Off image"; back to Ok and press it.
    s.keys("Tab", "Tab", "Tab", "Down", "shift+Tab", "shift+Tab", "shift+Tab", "space")
    verify(wait_for(lambda: s.window("Caption Properties") is None), "Ok closes the caption dialog", "ok")
    check(wait_for(lambda: ini_value(settings, "font", "onOffCaption") == "1"), '"Off image" is saved')
    check(ini_value(settings, "font", "captionPosition") == "2", '"Bottom center" is saved')

    w.click(ACTIVATE)
    verify(wait_for(lambda: s.visible_main_window() is None), "Activate hides the window", "activate")
    check(wait_for(lambda: ini_value(settings, "total", "total") == "2"), "Activate saves two pictures")
    for i, path in enumerate(expected_paths):
        check(ini_value(settings, "images", str(i)) == path, f"entry {i} is {os.path.basename(path)}")
    check(ini_value(settings, "caption", "0") == CAPTION, "the caption is saved with the first picture")
    check(wait_for(lambda: ini_value(settings, "display", "imageNum") == "0"),
          "Activate shows the first picture")
    check_wallpaper(s, RED, True, "after Activate", verify)

    saved = open(settings, "rb").read()
    popup = open_menu(s)
    if not verify(popup is not None, "the tray menu opens again", "menu-again"):
        return
    s.click(*menu_item(popup, 2), 1)
    verify(wait_for(lambda: app.poll() is not None) and app.returncode == 0,
           '"Close and Disable" ends the program with success', "close")
    check(wait_for(lambda: s.icon() is None), "the icon is gone")

    app = s.start_program()
    if not verify(wait_for(s.icon) is not None, "restart: the icon is back", "restart"):
        return
    time.sleep(0.5)
    check(open(settings, "rb").read() == saved, "restart: the list and the caption are kept as saved")
    s.click_icon(1)
    check(wait_for(lambda: ini_value(settings, "display", "imageNum") == "1"),
          "a left click records the next picture")
    check_wallpaper(s, BLUE, False, "after the left click", verify)

    second = s.run([s.program])
    check(second.returncode == 0, "a second start while one runs ends with success")
    window = wait_for(s.visible_main_window)
    if not verify(window is not None, "a second start shows the running copy's settings window", "second"):
        return
    check(sum('"Tessaly"' in line for line in s.panel_subtree() or []) == 1, "a second start adds no icon")
    w = SettingsWindow(s, window)
    w.click(CAPTION_BOX)
    s.keys("ctrl+a", "ctrl+c")
    shown = wait_for(lambda: s.run(["xclip", "-o", "-selection", "clipboard"]).stdout)
    verify(shown == CAPTION, f"the window shows the first picture's caption ({shown!r})", "caption-restart")

    check(s.run([s.program, "--quit"]).returncode == 0 and wait_for(lambda: app.poll() is not None),
          "--quit ends the running copy")
    s.stop_tray_host()
    app = s.start_program()
    verify(wait_for(s.visible_main_window) is not None, "with no tray host the settings window is shown",
           "no-tray")
    check(app.poll() is None, "with no tray host the program keeps running")


def open_settings(s, verify):
    """Right click on the icon, then "Settings": the settings window, or None after a failed check."""
    popup = open_menu(s)
    if not verify(popup is not None, "a right click opens the tray menu", "menu"):
        return None
    s.click(*menu_item(popup, 0), 1)
    window = wait_for(s.visible_main_window)
    if not verify(window is not None, '"Settings" opens the settings window', "settings"):
        return None
    return SettingsWindow(s, window)


def check_wallpaper(s, picture, with_band, when, verify):
    def looks_right():
        image = s.pixels()
        if image is None:
            return False
        band = caption_band(image)
        middle = image.at(image.width // 2, image.height // 3)
        return near(middle, picture) and (band is not None) == with_band and (band, middle)

    seen = wait_for(looks_right, step=0.2)
    verify(seen, f"{when}: the root window shows the picture"
           + (" above a white caption band" if with_band else " to the bottom edge"), when.replace(" ", "-"))
    if seen and with_band:
        (top, dark), _ = seen
        height = s.pixels().height - top
        check(10 <= height <= 120, f"{when}: the band is {height} px high")
        check(dark > 40, f"{when}: the band holds dark caption pixels ({dark} sampled)")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if missing_tools(TOOLS):
        return 1
    cmake, build = sys.argv[1], os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="tessaly-journey-")
    try:
        program = install(cmake, build, os.path.join(work, "prefix"))
        if program:
            s = Session(program)
            # The loader opens at the user's Pictures folder.
            folder = os.path.join(s.env["HOME"], "Pictures")
            paths = pictures(folder)
            try:
                journey(s, folder, paths)
            finally:
                s.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
