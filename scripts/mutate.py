#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plants faults in a copy of the tree, one at a time, and tells which ones the test suite catches.

A fault that no test catches is a test worth writing; a test that catches nothing the others do not is a
test worth deleting. Faults are found by exact snippets: a snippet that is no longer in the tree (the
code moved on) makes its fault STALE, neither caught nor missed.

    scripts/mutate.py                      # every fault, tests labelled system or wine left out
    scripts/mutate.py --only 3,caption-pen # some faults, by number or name
    scripts/mutate.py --all-labels         # also the tests that install packages or need Wine
    scripts/mutate.py --quick              # first the tests of the fault's own layer, then the rest, each
                                           # run stopping at its first failure (no table of catchers)
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent

# (name, file under src/, exact snippet, replacement, what goes wrong)
FAULTS = [
    # core: settings file, encoding, values
    ("w1252-as-latin1", "core/IniEncoding.cpp", "c >= 0x80 && c <= 0x9F ? Windows1252High[c - 0x80] : char16_t(c)",
     "char16_t(c)", "Windows-1252 bytes 0x80-0x9F read as Latin-1"),
    ("w1252-two-byte-shift", "core/IniEncoding.cpp", "out.append(char(0xC0 | (code >> 6)));",
     "out.append(char(0xC0 | (code >> 5)));", "Windows-1252 to UTF-8: wrong lead byte of a 2-byte sequence"),
    ("w1252-three-byte-shift", "core/IniEncoding.cpp", "out.append(char(0x80 | ((code >> 6) & 0x3F)));",
     "out.append(char(0x80 | ((code >> 4) & 0x3F)));", "Windows-1252 to UTF-8: wrong middle byte (euro sign)"),
    ("utf8-overlong", "core/IniEncoding.cpp", "minimum = 0x800;", "minimum = 0;",
     "an overlong 3-byte UTF-8 sequence counts as valid UTF-8"),
    ("encoding-whole-file", "core/IniEncoding.cpp", "if (isUtf8(line)) {", "if (false) {",
     "a mixed file converts its UTF-8 lines too (mojibake)"),
    ("quotes-not-stripped", "core/IniSyntax.cpp", "stored = stored.sliced(1).chopped(1);",
     "stored = stored.sliced(1);",
     "reading a quoted value keeps the closing quote"),
    ("quotes-not-written", "core/IniSyntax.cpp", "if (!loosesBlanks && !looksQuoted)", "if (!loosesBlanks)",
     "a value wrapped in quotes is written bare and loses them on reading"),
    ("int16-clamp-sign", "core/SettingValue.cpp", "return std::numeric_limits<qint16>::max();",
     "return std::numeric_limits<qint16>::min();", "a number above 32767 becomes -32768"),
    ("int16-round-away", "core/SettingValue.cpp",
     "const double rounded = std::nearbyint(*value);\n    if (rounded > std::numeric_limits<qint16>::max())",
     "const double rounded = std::round(*value);\n    if (rounded > std::numeric_limits<qint16>::max())",
     "16-bit values round half away from zero instead of to even"),
    ("flag-negative-false", "core/SettingValue.cpp", "return *value != 0.0;", "return *value > 0.0;",
     "a flag stored as -1 reads as False"),
    ("comma-decimal-dropped", "core/SettingValue.cpp", "t.replace(QLatin1Char(','), QLatin1Char('.'));", "{}",
     "\"10,5\" is not read as a number"),
    ("datetime-fields-swapped", "core/SettingValue.cpp",
     'return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));',
     'return value.toString(QStringLiteral("yyyy-dd-MM HH:mm:ss"));', "month and day swapped when written"),
    ("atomic-no-fsync", "core/AtomicFileWriter.cpp", "if (const Result<> synced = m_fs.sync(m_fd); !synced)",
     "if (const Result<> synced = Result<>(); !synced)",
     "the temporary settings file is never flushed to disk"),
    ("atomic-temp-left", "core/AtomicFileWriter.cpp", "(void)m_fs.remove(m_temporary);", "",
     "a failed write leaves its temporary file behind"),
    ("atomic-write-error-lost", "core/AtomicFileWriter.cpp", "    if (m_writeFailed)\n", "    if (false)\n",
     "a piece that failed to write is not told and the cut file is put in place"),
    ("failed-save-kept-in-memory", "core/SettingsFile.cpp",
     "    if (!saved) {\n        m_loaded = false;", "    if (!saved) {",
     "after a failed save the unsaved text is read, and written at the next save"),
    ("converted-file-not-saved", "core/SettingsFile.cpp", "if (!changed && !(m_converted && m_stamp.exists))",
     "if (!changed)", "a Windows-1252 file written with an unchanged value stays Windows-1252"),
    # core: picture list
    ("list-limit-edge", "core/LoadedImages.cpp", "if (count() >= MaxEntries)", "if (count() > MaxEntries)",
     "Append admits a 32768th picture"),
    ("list-many-limit-edge", "core/LoadedImages.cpp", "MaxEntries - count());", "MaxEntries - count() + 1);",
     "adding several pictures goes one past the limit"),
    ("stored-count-limit", "core/LoadedImages.cpp", "std::min<double>(last + 1.0, LoadedImages::MaxEntries)",
     "std::min<double>(last + 1.0, LoadedImages::MaxEntries + 1)", "a stored total above the limit reads one too many"),
    ("stored-count-floor", "core/LoadedImages.cpp", "std::nearbyint(*total - 1.0)", "std::floor(*total - 1.0)",
     "a total of 2.5 reads two entries instead of three"),
    ("save-counts-left-out", "core/LoadedImages.cpp", "QString::number(paths.size())",
     "QString::number(m_paths.size())", "the saved total counts the entries left out"),
    ("save-keeps-old-captions", "core/LoadedImages.cpp", "IniEdit::removeSection(captionsSection()),\n", "",
     "saving does not clear the old caption section"),
    ("move-down-caption-stays", "core/LoadedImages.cpp",
     "m_paths.move(from, to);\n            m_captions.move(from, to);",
     "m_paths.move(from, to);", "moving a picture leaves its caption behind"),
    ("empty-first-entry", "core/LoadedImages.cpp", "return m_paths.isEmpty() || m_paths.constFirst().isEmpty();",
     "return m_paths.isEmpty();", "a list whose first entry is empty is not taken as empty"),
    # core: scheduler
    ("interval-floor", "core/SettingsSchema.cpp", '"timeMin", T::Integer, "30", 1, 60,',
     '"timeMin", T::Integer, "30", 0, 60,', "a count of 0 minutes is taken and changes at every check"),
    ("hours-as-minutes", "core/Scheduler.cpp", "now.addSecs(3600LL * count)",
     "now.addSecs(60LL * count)", "the hours interval counts minutes"),
    ("days-wrong-sign", "core/Scheduler.cpp", "startOf(due->date().addDays(1))", "startOf(due->date().addDays(-1))",
     "a stored day time not at midnight is due a day early"),
    ("unit-hours-as-days", "core/CheckedSettings.cpp", "case 1:\n        return Unit::Hours;",
     "case 1:\n        return Unit::Days;", "time option 1 is taken as days"),
    ("every-boot-inverted", "core/CheckedSettings.h", "&Settings::changeEveryBoot) == 1;",
     "&Settings::changeEveryBoot) == 0;", "change at every start inverted"),
    # engine: caption
    ("caption-colour-byte-order", "engine/StoredColour.cpp",
     "QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff))",
     "QColor(int((value >> 16) & 0xff), int((value >> 8) & 0xff), int(value & 0xff))",
     "the stored caption colour read as 0xRRGGBB instead of 0xBBGGRR"),
    ("caption-italic-underline-swapped", "engine/CaptionFont.cpp",
     "setItalic(settings.flag(&Settings::newFontItalic));\n    caption.font.setUnderline(settings.flag(&Settings::newFontUnderline));",
     "setItalic(settings.flag(&Settings::newFontUnderline));\n    caption.font.setUnderline(settings.flag(&Settings::newFontItalic));", "italic and underline swapped"),
    ("caption-strikeout-ignored", "engine/CaptionFont.cpp",
     "caption.font.setStrikeOut(settings.flag(&Settings::newFontFontStrikethru));\n", "",
     "the caption is never struck through"),
    ("caption-bold-ignored", "engine/CaptionFont.cpp", "caption.font.setBold(settings.flag(&Settings::newFontBold));\n",
     "", "the caption is never bold"),
    ("caption-pen-not-set", "engine/CaptionPainter.cpp", "painter.setPen(colour);\n", "",
     "the caption is drawn in the default pen colour"),
    ("caption-right-edge", "engine/CaptionPainter.cpp",
     "return QPointF(canvas.width() - (text.width() + EdgeTwips), 0);",
     "return QPointF(canvas.width() - text.width(), 0);", "a right-aligned caption loses its edge margin"),
    ("caption-bottom-sign", "engine/CaptionPainter.cpp", "canvas.height() - text.height()",
     "canvas.height() + text.height()", "a bottom caption is drawn below the canvas"),
    ("caption-band-height", "engine/WallpaperComposer.cpp",
     "m_scale.deviceLength(result.painter.lineHeight());",
     "m_scale.deviceLength(result.painter.lineHeight()) + 1;",
     "the caption band is one pixel too high"),
    ("caption-line-height", "engine/CaptionPainter.cpp",
     "return m_scale.fromPixels(m_metrics.height());", "return m_scale.fromPixels(m_metrics.ascent());",
     "the caption band is as high as the font's ascent only"),
    ("single-space-band", "engine/WallpaperComposer.cpp",
     "!caption.isEmpty() &&\n        caption != QLatin1String(\" \"))", "!caption.isEmpty())",
     "a caption of a single space gets a band of its own"),
    ("centred-band-no-room", "engine/WallpaperComposer.cpp", "qMin(picture.height() + strip, screen.height())",
     "qMin(picture.height(), screen.height())", "a centred picture's canvas leaves no room for its band"),
    ("band-top-positions", "engine/WallpaperComposer.cpp",
     "m_settings.captionPosition != CheckedSettings::CaptionPosition::BottomCentre;",
     "m_settings.captionPosition != CheckedSettings::CaptionPosition::TopRight;", "the band goes to the wrong edge"),
    # engine: composition, loader, bitmap
    ("centre-offset-swapped", "engine/WallpaperComposer.cpp", "QPoint(spare.width() / 2, spare.height() / 2)",
     "QPoint(spare.height() / 2, spare.width() / 2)", "a centred picture placed with x and y swapped"),
    ("tile-step-swapped", "engine/WallpaperComposer.cpp", "y < screen.height(); y += picture.height()",
     "y < screen.height(); y += picture.width()", "tiles step down by the picture's width"),
    ("transparent-on-black", "engine/WallpaperComposer.cpp", "painter.fillRect(picture.rect(), Qt::white);",
     "painter.fillRect(picture.rect(), Qt::black);", "see-through parts show black"),
    ("exif-orientation-ignored", "engine/PictureLoader.cpp", "reader.setAutoTransform(true);",
     "reader.setAutoTransform(false);", "photos are not turned upright"),
    ("bitmap-byte-order", "engine/BgrRow.h",
     "*out++ = uchar(qBlue(in[x]));\n        *out++ = uchar(qGreen(in[x]));\n        *out++ = uchar(qRed(in[x]));",
     "*out++ = uchar(qRed(in[x]));\n        *out++ = uchar(qGreen(in[x]));\n        *out++ = uchar(qBlue(in[x]));",
     "the bitmap's pixels written R, G, B"),
    ("stream-caption-rows-early", "engine/WallpaperComposer.cpp", "if (y < band.top() || y > band.bottom())",
     "if (true)", "rows the caption is printed on are written before it is"),
    ("stream-run-spans-written-rows", "engine/BitmapWriter.cpp",
     "y == 0 || m_written[std::size_t(y - 1)] || inBlock == rowsPerBlock", "y == 0 || inBlock == rowsPerBlock",
     "rows left for the end are written at the wrong place in the file"),
    ("bitmap-top-down", "engine/BitmapWriter.cpp", "put32(at, quint32(image.height()));",
     "put32(at, quint32(-image.height()));", "the bitmap says top-down but holds bottom-up rows"),
    ("bitmap-rows-top-first", "engine/BitmapWriter.cpp",
     "PixelsOffset + qint64(image.height() - 1 - y) * rowBytes(image)", "PixelsOffset + qint64(y) * rowBytes(image)",
     "the bitmap says bottom-up but holds its top row first"),
    ("bitmap-rows-unpadded", "engine/BitmapWriter.cpp", "return (quint32(image.width()) * 3 + 3) & ~3u;",
     "return quint32(image.width()) * 3;", "bitmap rows are not padded to four bytes"),
    ("bitmap-info-header-size", "engine/BitmapWriter.cpp", "put32(at, InfoHeaderSize);",
     "put32(at, InfoHeaderSize + 12);", "the bitmap's info header gives a wrong size of itself"),
    ("bitmap-file-size", "engine/BitmapWriter.cpp", "put32(at, PixelsOffset + pixelBytes);",
     "put32(at, pixelBytes);", "the bitmap's file header leaves the headers out of the file size"),
    # engine: the area scaler and the JPEG strips that feed it
    ("scaler-red-blue-swapped", "engine/AreaScaler.cpp",
     "pixel[0] = uchar((b + half) >> (2 * WeightBits));\n        pixel[1] = uchar((g + half) >> (2 * WeightBits));\n"
     "        pixel[2] = uchar((r + half) >> (2 * WeightBits));",
     "pixel[0] = uchar((r + half) >> (2 * WeightBits));\n        pixel[1] = uchar((g + half) >> (2 * WeightBits));\n"
     "        pixel[2] = uchar((b + half) >> (2 * WeightBits));", "a shrunk picture comes out with red and blue swapped"),
    ("scaler-cover-off-by-one", "engine/AreaScaler.cpp", "std::min(end, double(s + 1)) - std::max(begin, double(s))",
     "std::min(end, double(s + 2)) - std::max(begin, double(s))", "the scaler weighs a source pixel as if it were two"),
    ("scaler-last-tap-dropped", "engine/AreaScaler.cpp", "std::min(sourceLength, int(std::ceil(end)))",
     "std::min(sourceLength, int(std::floor(end)))", "a source pixel partly under a target pixel is left out"),
    ("scaler-last-column-dropped", "engine/AreaScaler.cpp", "x <= m_visible.right(); ++x", "x < m_visible.right(); ++x",
     "the last column of a shrunk picture is never painted"),
    ("scaler-last-row-dropped", "engine/AreaScaler.cpp", "const int lastVisible = m_visible.bottom() - m_target.top();",
     "const int lastVisible = m_visible.bottom() - m_target.top() - 1;", "the last row of a shrunk picture is never painted"),
    ("strips-boundary-row-repeated", "engine/StripHandoff.cpp",
     "m_scaler.addRow(m_strip + m_rowBytes * std::size_t(r));",
     "m_scaler.addRow(m_strip + m_rowBytes * std::size_t(r + 1 == m_rows && r > 0 ? r - 1 : r));",
     "the last row of each strip is the one before it again"),
    ("strips-boundary-row-skipped", "engine/StripHandoff.cpp", "for (int r = 0; r < m_rows; ++r)",
     "for (int r = m_rows > 1 ? 1 : 0; r < m_rows; ++r)", "the first row of each strip is skipped"),
    ("strips-scale-numerator-off", "engine/JpegDecompressor.cpp", "m_info.scale_num = unsigned(numerator);",
     "m_info.scale_num = unsigned(numerator + 1);", "strips decode at another scale and always fall to the plain way"),
    ("strips-rgb-order", "engine/JpegStrips.cpp", "jpeg.setOutput(scaleNumerator, JCS_EXT_BGR)",
     "jpeg.setOutput(scaleNumerator, JCS_EXT_RGB)", "strips hand the scaler R, G, B instead of B, G, R"),
    ("upright-size-unturned", "engine/PictureLoader.cpp",
     "testFlag(QImageIOHandler::TransformationRotate90) ? stored.transposed()",
     "testFlag(QImageIOHandler::TransformationRotate90) ? stored",
     "a photo turned a quarter by its EXIF tag is measured as stored"),
    ("next-index-off-by-one", "engine/ChangeCycle.cpp", "current >= count - 1 ? 0", "current >= count ? 0",
     "list order steps one past the last picture before wrapping"),
    ("random-never-last", "engine/ChangeCycle.cpp", "std::floor(double(choices) * double(m_random.next()))",
     "std::floor(double(choices - 1) * double(m_random.next()))", "random order never draws the last picture"),
    ("centre-style-for-tile", "engine/ChangeJob.cpp",
     "m_order.composition.displayType == CheckedSettings::DisplayType::Centre &&",
     "m_order.composition.displayType == CheckedSettings::DisplayType::Tile &&", "the desktop is told the wrong style"),
    ("parts-shared-across-sizes", "engine/DesktopComposer.cpp",
     "m_monitors.at(index).screen == m_monitors.at(other).screen", "true",
     "a monitor of another size is handed the part made for the one before"),
    ("index-kept-after-failure", "engine/ChangeCycle.cpp",
     "outcome.reason = report.message.simplified();\n        break;",
     "outcome.reason = report.message.simplified();\n        recorded = m_file.write(QStringLiteral(\"display\"), "
     "QStringLiteral(\"imageNum\"), m_settings.imageNum);\n        break;",
     "a failed desktop change still records the index"),
    ("gsettings-centre-word", "platform/desktop/GSettingsDesktopBackend.cpp", 'return QStringLiteral("centered");',
     'return QStringLiteral("scaled");', "GNOME-family centre style written as scaled"),
    ("gsettings-backslash-unquoted", "platform/desktop/GSettingsDesktopBackend.cpp",
     "if (c == QLatin1Char('\\\\') || c == QLatin1Char('\\''))", "if (c == QLatin1Char('\\''))",
     "a backslash in the file name is not escaped for gsettings"),
    ("gsettings-not-verified", "platform/desktop/GSettingsDesktopBackend.cpp",
     "if (unquoted(got.output.trimmed()) != value)", "if (false)",
     "a value gsettings did not keep is reported as set"),
    ("xfce-tile-style", "platform/desktop/XfceDesktopBackend.cpp",
     "case WallpaperStyle::Tile:\n        return 2;", "case WallpaperStyle::Tile:\n        return 1;",
     "Xfce tile style written as centred"),
    ("plasma-centre-fill", "platform/desktop/KdePlasmaBackend.cpp", "return 6;", "return 0;",
     "Plasma centre fill mode written as stretch"),
    ("x11-centre-swapped", "platform/desktop/X11RootBackend.cpp",
     "painter.drawImage((width - picture.width()) / 2, (height - picture.height()) / 2, picture);",
     "painter.drawImage((height - picture.height()) / 2, (width - picture.width()) / 2, picture);",
     "X11 root centre offsets swapped"),
    ("sway-mode-case", "platform/desktop/SwayDesktopBackend.cpp", "styleWord(style).toLower()",
     "styleWord(style)", "swaymsg gets \"Stretch\" instead of \"stretch\""),
    ("pcmanfm-mode-case", "platform/desktop/PcmanfmDesktopBackend.cpp", "styleWord(style).toLower()",
     "styleWord(style)", "pcmanfm gets --wallpaper-mode=Stretch"),
    ("fresh-copy-number-reused", "engine/FreshBitmapCopy.cpp", "m_number = highest + 1;", "m_number = highest;",
     "the fresh bitmap copy takes the number of the one on screen"),
    ("fresh-copy-previous-kept", "engine/FreshBitmapCopy.cpp",
     "for (const QString& copy : std::as_const(m_previous))\n            (void)m_files.remove(copy);",
     "for (const QString& copy : std::as_const(m_previous))\n            Q_UNUSED(copy);",
     "the copies shown before are never removed"),
    ("tool-exit-code-ignored", "platform/desktop/ToolRunner.cpp", "if (process.exitCode() != 0) {",
     "if (process.exitCode() < 0) {", "a desktop tool that fails is taken as successful"),
    ("x11-session-as-none", "platform/desktop/DesktopBackendFactory.cpp", 'return QStringLiteral("x11");',
     'return QStringLiteral("none");', "a plain X11 session gets no back end"),
    ("folder-failure-misnamed", "platform/PosixFileSystem.cpp", "failure.path = folder;", "failure.path = absolute;",
     "a folder that cannot be made is named instead of the file in its way"),
    ("caption-size-unbounded", "core/SettingsSchema.cpp", '"newFontSize", T::Number, "16", 10, 48,',
     '"newFontSize", T::Number, "16", 1, 2048,', "a hand-edited caption size of 200 points is drawn at 200"),
    ("autostart-percent", "platform/AutostartEntry.cpp", "argument.replace(QLatin1Char('%'), QStringLiteral(\"%%\"));\n",
     "", "a % in the program's path is not doubled in Exec="),
    # platform: control socket
    ("control-line-unbounded", "platform/ControlServer.cpp", "socket->setReadBufferSize(MaxLineBytes + 1);\n",
     "", "a command line over 4 KB is taken, and any number of bytes kept"),
    ("control-buffer-unbounded", "platform/ControlServer.cpp",
     "if (!whole && socket->bytesAvailable() <= MaxLineBytes)", "if (!whole)",
     "bytes with no line end are kept waiting for one instead of refused"),
    ("control-no-deadline", "platform/ControlServer.cpp", "deadline->start(m_lineDeadline);\n", "",
     "a client that never sends its line is kept for ever"),
    ("control-no-cap", "platform/ControlServer.cpp", "if (m_open >= MaxConnections) {", "if (false) {",
     "any number of connections is kept open"),
    ("control-reply-to-freed-socket", "platform/ControlServer.cpp",
     "if (client)\n                    answer(client, reply);", "answer(client, reply);",
     "a reply given after the client hung up writes to a freed socket"),
    ("control-handler-in-signal", "platform/ControlServer.cpp", "Qt::QueuedConnection);", "Qt::DirectConnection);",
     "the handler runs inside the socket's readyRead, which a nested wait may free"),
    ("control-folder-mode", "platform/ControlSocketFolder.cpp", "if ((info.st_mode & 07777) != 0700)", "if (false)",
     "a socket folder others can enter is used"),
    ("control-folder-link-followed", "platform/ControlSocketFolder.cpp",
     "if (::lstat(QFile::encodeName(path).constData(), &info) != 0)",
     "if (::stat(QFile::encodeName(path).constData(), &info) != 0)", "a link to a private folder is taken as one"),
    ("control-folder-owner", "platform/ControlSocketFolder.cpp", "if (info.st_uid != getuid())", "if (false)",
     "another user's socket folder is used"),
    ("control-runtime-unchecked", "platform/ControlSocketFolder.cpp",
     "if (QDir::isAbsolutePath(runtimeDir) && checkPrivate(runtimeDir))", "if (!runtimeDir.isEmpty())",
     "a shared runtime folder holds the socket"),
    # platform: Windows (caught only by windows_zip, under Wine: --all-labels, with Qt for Windows built)
    ("win-rename-noop", "platform/WindowsFileSystem.cpp", "    if (ReplaceFileW(target.c_str(),",
     "    return {};\n    if (ReplaceFileW(target.c_str(),", "a save on Windows says done and leaves its temporary"),
    ("win-first-save-fails", "platform/WindowsFileSystem.cpp", "if (replaceError != ERROR_FILE_NOT_FOUND)",
     "if (replaceError != ERROR_SUCCESS)", "a file saved on Windows for the first time (nothing to replace) fails"),
    # ui: dialogs, commands, tray
    ("chooser-colour-byte-order", "engine/StoredColour.cpp",
     "return color.red() + 256 * color.green() + 65536 * color.blue();",
     "return color.blue() + 256 * color.green() + 65536 * color.red();", "the chosen colour stored as 0xRRGGBB"),
    ("chooser-italic-underline", "ui/FontChooserDialog.cpp",
     "font.setItalic(m_italicCheck->isChecked());\n    font.setUnderline(m_underlineCheck->isChecked());",
     "font.setItalic(m_underlineCheck->isChecked());\n    font.setUnderline(m_italicCheck->isChecked());",
     "the font dialog swaps italic and underline"),
    ("caption-dialog-italic", "ui/CaptionDialog.cpp", "SettingValue::fromFlag(chosen->italic);",
     "SettingValue::fromFlag(chosen->underline);", "the caption window stores underline as italic"),
    ("timer-floor", "ui/TimerDialog.cpp", "m_countBox->setRange(1, largest(unit));",
     "m_countBox->setRange(0, largest(unit));", "the timer window allows an interval of 0"),
    ("caption-dialog-strikethrough-dropped", "ui/CaptionDialog.cpp",
     "    edited.newFontFontStrikethru = SettingValue::fromFlag(chosen->strikethrough);\n", "",
     "the caption window does not store the chosen strikethrough"),
    ("chooser-sample-plain", "ui/FontChooserDialog.cpp",
     "    font.setBold(m_boldCheck->isChecked());\n", "", "the font dialog's sample is never bold"),
    ("chooser-sample-not-struck", "ui/FontChooserDialog.cpp",
     "    font.setStrikeOut(m_strikethroughCheck->isChecked());\n", "", "the font dialog's sample is never struck through"),
    ("timer-hours-largest", "core/SettingsSchema.cpp", '"timeHour", T::Integer, "1", 1, 24,',
     '"timeHour", T::Integer, "1", 1, 23,', "the hours count stops at 23"),
    ("timer-boot-inverted", "ui/TimerDialog.cpp",
     "CheckedSettings::storedEveryStart(checked)",
     "CheckedSettings::storedEveryStart(!checked)", "the every-start box stored inverted"),
    ("cancel-keeps-changes", "core/SettingsSchema.cpp", "to.*field = from.*field;", "{}",
     "Cancel keeps what was changed in an option dialog"),
    ("mode-random-stored-as-order", "ui/ModeDialog.cpp",
     "DialogParts::stores(randomOption, edited.sequenceType, CheckedSettings::stored(Order::Random));",
     "DialogParts::stores(randomOption, edited.sequenceType, CheckedSettings::stored(Order::List));",
     "choosing random order stores list order"),
    ("tray-next-unwired", "ui/TrayController.cpp",
     "connect(m_nextAction, &QAction::triggered, this, &TrayController::flipToNext);\n", "",
     "the tray's next-picture item does nothing"),
    ("advice-threshold-edge", "ui/CollectionAdvice.cpp", "if (count <= Threshold || m_shown)",
     "if (count < Threshold || m_shown)",
     "the 700-picture advice comes one picture early"),
    ("thumbnail-orientation", "ui/ImageListCommands.cpp",
     "static_cast<float>(picture.width() * TwipsPerPixel),\n                                  static_cast<float>(picture.height() * TwipsPerPixel)",
     "static_cast<float>(picture.height() * TwipsPerPixel),\n                                  static_cast<float>(picture.width() * TwipsPerPixel)",
     "the thumbnail box measured turned a quarter"),
    ("thumbnail-aspect", "ui/ThumbnailGeometry.cpp", "h *= ShrinkStep;\n", "",
     "the thumbnail shrinks only its width"),
    ("thumbnail-centre-sign", "ui/ThumbnailGeometry.cpp", "toInt16((BoxHeight - h) / 2)", "toInt16((BoxHeight + h) / 2)",
     "the thumbnail is placed below the box's centre"),
    ("thumbnail-drawn-square", "ui/ThumbnailView.cpp", "m_placement.width * sx, m_placement.height * sy",
     "m_placement.width * sx, m_placement.width * sy", "the thumbnail is drawn with its width as height"),
    # fill and fit, caption words and colour, unsaved edits
    ("fill-stretched", "engine/WallpaperComposer.cpp",
     "paintScaled(partOf(picture, PictureFit::covering(picture.size(), where.picture.size())), canvas,\n"
     "                    where.picture);",
     "paintScaled(picture, canvas, where.picture);", "a filled picture is stretched, its shape lost"),
    ("fit-stretched", "engine/WallpaperComposer.cpp",
     "paintScaled(picture, canvas, PictureFit::fitted(picture.size(), where.picture));",
     "paintScaled(picture, canvas, where.picture);", "a fitted picture is stretched, its shape lost"),
    ("caption-index-from-zero", "core/ShownCaption.cpp", "return QString::number(source.position + 1);",
     "return QString::number(source.position);", "{index} counts from 0"),
    ("automatic-colour-inverted", "engine/ContrastRatio.cpp",
     "between(luminance, 0.0) >= between(luminance, 1.0) ? QColor(Qt::black)",
     "between(luminance, 0.0) < between(luminance, 1.0) ? QColor(Qt::black)",
     "automatic colour picks the letters that stand out least"),
    ("edited-caption-not-unsaved", "core/LoadedImages.cpp",
     "return m_paths != m_savedPaths || m_captions != m_savedCaptions;", "return m_paths != m_savedPaths;",
     "a typed caption is not seen as unsaved, and closing loses it"),
]


def run(cmd, cwd, log, timeout=None):
    """Runs `cmd` quietly into `log`; returns True when it exits with 0."""
    with open(log, "w") as out:
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode == 0
        except subprocess.TimeoutExpired:
            return False


def copy_tree(work):
    """Copies the tracked files; unchanged ones keep their time, so a second run rebuilds little.
    Files of an earlier copy that the tree no longer has are removed: a moved header would shadow its
    new place."""
    files = subprocess.run(["git", "ls-files", "-z"], cwd=REPO, check=True, capture_output=True).stdout
    tracked = set(filter(None, files.decode().split("\0")))
    for old in list(work.rglob("*")):
        relative = old.relative_to(work)
        if relative.parts[0] in ("build", "mutate-logs") or not old.is_file():
            continue
        if str(relative) not in tracked:
            old.unlink()
    for name in sorted(tracked):
        source, target = REPO / name, work / name
        if source.is_symlink() or not source.is_file():
            continue
        if target.is_file() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        # A fresh time, never the source's: a copy left mutated by a killed run is newer than its source.
        shutil.copyfile(source, target)
        shutil.copymode(source, target)


class Suite:
    def __init__(self, work, args):
        self.work, self.args = work, args
        self.build = work / "build" / "dev"
        self.log = work / "mutate-logs"
        self.log.mkdir(exist_ok=True)

    def configure(self):
        return run(["cmake", "--preset", "dev", "-DTESSALY_BUILD_BENCH=OFF"]
                   + (["-DTESSALY_SYSTEM_TESTS=ON"] if self.args.all_labels else []),
                   self.work, self.log / "configure.log")

    def compile(self, tag):
        return run(["nice", "-n", "19", "cmake", "--build", str(self.build), "-j", str(self.args.jobs)],
                   self.work, self.log / f"build-{tag}.log")

    def tests(self):
        listed = subprocess.run(["ctest", "--test-dir", str(self.build), "-N"] + self.labels(),
                                capture_output=True, text=True).stdout
        return set(re.findall(r"Test +#\d+: (\S+)", listed))

    def compile_targets(self, tag, targets):
        return run(["nice", "-n", "19", "cmake", "--build", str(self.build), "-j", str(self.args.jobs), "--target"]
                   + sorted(targets), self.work, self.log / f"build-{tag}.log")

    def near(self, path):
        """The unit tests beside a fault's layer (and the corpus replays): the likely catchers, quick to build."""
        layer = path.split("/")[0]
        names = {f.stem for f in (self.work / "tests" / layer).glob("tst_*.cpp")}
        names |= {f.stem for f in (self.work / "tests" / "fuzz").glob("tst_*.cpp")}
        return names & self.tests()

    def labels(self):
        return [] if self.args.all_labels else ["-LE", "system|wine"]

    def failures(self, tag, only=None):
        """The names of the tests that failed (or timed out); `only`: just these tests."""
        failed_log = self.build / "Testing" / "Temporary" / "LastTestsFailed.log"
        failed_log.unlink(missing_ok=True)
        cmd = ["nice", "-n", "19", "ctest", "--test-dir", str(self.build), "-j", str(self.args.jobs),
               "--timeout", str(self.args.timeout)] + self.labels()
        if only:
            cmd += ["-R", "^(" + "|".join(sorted(only)) + ")$"]
        if self.args.quick and tag != "clean":
            # Without cost data ctest runs in the order the tests are declared: the quick unit tests first.
            (self.build / "Testing" / "Temporary" / "CTestCostData.txt").unlink(missing_ok=True)
            cmd.append("--stop-on-failure")
        run(cmd, self.work, self.log / f"test-{tag}.log")
        if not failed_log.exists():
            return set()
        return {line.split(":", 1)[1].strip() for line in failed_log.read_text().splitlines() if ":" in line}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--only", help="comma-separated fault numbers or names")
    parser.add_argument("--keep-going", action="store_true",
                        help="go on when the unmutated suite is not green (its failing tests are then ignored)")
    parser.add_argument("--workdir", type=Path, default=Path(os.environ.get("TMPDIR", "/tmp")) / "tessaly-mutate")
    parser.add_argument("--jobs", type=int, default=2, help="build and test jobs (default 2)")
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test without its own (default 120)")
    parser.add_argument("--all-labels", action="store_true", help="also run the tests labelled system and wine")
    parser.add_argument("--quick", action="store_true",
                        help="stop each fault's run at its first failing test: faster, but tells no catchers")
    parser.add_argument("--list", action="store_true", help="list the faults and whether their snippets are found")
    args = parser.parse_args()

    chosen = list(enumerate(FAULTS, 1))
    if args.only:
        wanted = set(args.only.split(","))
        chosen = [(i, f) for i, f in chosen if str(i) in wanted or f[0] in wanted]
        unknown = wanted - {str(i) for i, _ in chosen} - {f[0] for _, f in chosen}
        if unknown:
            sys.exit("no such fault: " + ", ".join(sorted(unknown)))
    if args.list:
        for i, (name, path, snippet, _, what) in chosen:
            found = (REPO / "src" / path).read_text().count(snippet) if (REPO / "src" / path).exists() else 0
            print(f"{i:3} {name:34} {'ok' if found == 1 else f'STALE ({found} found)':16} {what}")
        return 0

    work = args.workdir.resolve()
    if REPO in work.parents or work == REPO:
        sys.exit("the work folder must be outside the repository")
    work.mkdir(parents=True, exist_ok=True)
    copy_tree(work)
    suite = Suite(work, args)
    print(f"building the unmutated tree in {work} ...", flush=True)
    if not suite.configure() or not suite.compile("clean"):
        sys.exit(f"the unmutated tree does not build: see {suite.log}")
    baseline = suite.failures("clean")
    if baseline:
        print("the unmutated suite fails: " + ", ".join(sorted(baseline)))
        if not args.keep_going:
            return 1

    results, catchers = {}, {}
    for i, (name, path, snippet, replacement, what) in chosen:
        source = work / "src" / path
        original = source.read_text() if source.exists() else ""
        start = time.monotonic()
        if original.count(snippet) != 1:
            verdict = "STALE"
        else:
            try:
                source.write_text(original.replace(snippet, replacement))
                near = suite.near(path) - baseline if args.quick else set()
                caught = set()
                if near and suite.compile_targets(name, near):
                    caught = suite.failures(name, near)
                if caught:
                    verdict = "CAUGHT by " + ", ".join(sorted(caught))
                elif not suite.compile(name):
                    verdict = "NO BUILD"
                else:
                    caught = suite.failures(name) - baseline
                    catchers[name] = caught
                    verdict = "CAUGHT by " + ", ".join(sorted(caught)) if caught else "MISSED"
            finally:
                source.write_text(original)
        results[name] = verdict
        print(f"{i:3} {name:34} {verdict}   [{what}; {time.monotonic() - start:.0f} s]", flush=True)

    count = {kind: sum(v.startswith(kind) for v in results.values()) for kind in ("CAUGHT", "MISSED", "NO", "STALE")}
    print(f"\ncaught {count['CAUGHT']} of {count['CAUGHT'] + count['MISSED']} "
          f"(not built: {count['NO']}, stale: {count['STALE']})")
    for kind in ("MISSED", "NO BUILD", "STALE"):
        names = [name for name, verdict in results.items() if verdict == kind]
        if names:
            print(f"{kind.lower()}: " + ", ".join(names))
    if catchers and not args.quick:
        # A test earns its place by catching some fault that no other test catches.
        print("\ntest: faults caught / caught by it alone")
        for test in sorted(suite.tests() - baseline):
            alone = sum(c == {test} for c in catchers.values())
            print(f"  {test:34} {sum(test in c for c in catchers.values()):3} / {alone}")
    suite.compile("restored")  # leaves the copy built as the tree is, for the next run
    return 0 if count["MISSED"] == 0 else 2


if __name__ == "__main__":
    sys.exit(main())
