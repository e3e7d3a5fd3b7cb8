// SPDX-License-Identifier: GPL-3.0-or-later
// Runs WindowsWallpaper against a real (Wine) registry and SystemParametersInfo: for each style, the values
// in place before the file is handed over, and the wallpaper read back. Exits non-zero if a check failed.
#include "WindowsWallpaper.h"

#include <cstdio>

namespace {

std::wstring desktopValue(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH] = L"<missing>";
    DWORD size = sizeof buffer;
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    return buffer;
}

/** Notes what the style values hold when the file is handed over. */
class RecordingWallpaper final : public WindowsWallpaper
{
public:
    std::wstring styleWhenHanded;

protected:
    std::wstring setDeskWallpaper(const std::wstring& path) override
    {
        styleWhenHanded = desktopValue(L"TileWallpaper") + L"/" + desktopValue(L"WallpaperStyle");
        return WindowsWallpaper::setDeskWallpaper(path);
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring bitmap = std::wstring(argc > 1 ? argv[1] : L"C:") + L"\\tessaly 1.bmp";
    const std::pair<WindowsWallpaper::Style, std::wstring> rows[] = {
        {WindowsWallpaper::Style::Stretch, L"0/2"},
        {WindowsWallpaper::Style::Tile, L"1/0"},
        {WindowsWallpaper::Style::Center, L"0/0"},
        {WindowsWallpaper::Style::Span, L"0/22"}};
    int failures = 0;
    for (const auto& [style, values] : rows) {
        RecordingWallpaper wallpaper;
        const std::wstring error = wallpaper.apply(bitmap, style);
        wchar_t shown[MAX_PATH] = {};
        SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0);
        if (!error.empty() || wallpaper.styleWhenHanded != values || bitmap != shown) {
            ++failures;
            std::fwprintf(stderr, L"FAIL: %ls: style %ls when handed, wallpaper %ls; %ls\n", values.c_str(),
                          wallpaper.styleWhenHanded.c_str(), shown, error.c_str());
        }
    }
    return failures;
}
