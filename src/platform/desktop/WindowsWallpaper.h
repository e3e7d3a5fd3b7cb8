// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

/**
 * Makes a bitmap the Windows desktop wallpaper with plain Win32 calls: the style values under
 * HKCU "Control Panel\Desktop" first ("TileWallpaper", then "WallpaperStyle"), then the file.
 */
class WindowsWallpaper
{
public:
    /** Span: one bitmap of the virtual screen's bounding box across every monitor (Windows 8 and later). */
    enum class Style { Center, Tile, Stretch, Span };

    virtual ~WindowsWallpaper() = default;

    /** Writes the style and sets the file; empty on success, else the system's reason. */
    std::wstring apply(const std::wstring& absolutePath, Style style);
    /** The system's text for an error code, with the code: "File not found (error 2)". */
    static std::wstring systemMessage(DWORD code);

protected:
    /** Stores a REG_SZ value; every step is tried even after an earlier one failed, and nothing is reported.
     */
    virtual void setRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                   const std::wstring& value);
    /** Hands the file to the system; empty on success, else the system's reason. */
    virtual std::wstring setDeskWallpaper(const std::wstring& absolutePath);
};
