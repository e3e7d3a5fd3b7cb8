// SPDX-License-Identifier: GPL-3.0-or-later
// Runs WindowsWallpaper against a real (Wine) registry and SystemParametersInfo: for each style, the
// values written, their order before the file is handed over, and the wallpaper read back; and a refusal
// reported. Prints each failed check and exits non-zero if any failed.
#include "WindowsWallpaper.h"

#include <cstdio>

namespace {

int g_failures = 0;

void check(bool ok, const std::wstring& what)
{
    if (!ok && ++g_failures)
        std::fwprintf(stderr, L"FAIL: %ls\n", what.c_str());
}

std::wstring desktopValue(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH] = L"<missing>";
    DWORD size = sizeof buffer;
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    return buffer;
}

/** Notes what the style values hold when the file is handed over; can refuse it. */
class RecordingWallpaper final : public WindowsWallpaper
{
public:
    std::wstring styleWhenHanded;
    bool refuse = false;

protected:
    std::wstring setDeskWallpaper(const std::wstring& path) override
    {
        styleWhenHanded = desktopValue(L"TileWallpaper") + L"/" + desktopValue(L"WallpaperStyle");
        return refuse ? L"refused" : WindowsWallpaper::setDeskWallpaper(path);
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring bitmap = std::wstring(argc > 1 ? argv[1] : L"C:") + L"\\tessaly 1.bmp";
    const struct
    {
        WindowsWallpaper::Style style;
        const wchar_t* values;
    } rows[] = {{WindowsWallpaper::Style::Center, L"0/0"},
                {WindowsWallpaper::Style::Tile, L"1/0"},
                {WindowsWallpaper::Style::Stretch, L"0/2"}};
    for (const auto& row : rows) {
        RecordingWallpaper wallpaper;
        check(wallpaper.apply(bitmap, row.style).empty(), L"apply failed");
        check(wallpaper.styleWhenHanded == row.values, L"style when handed: " + wallpaper.styleWhenHanded);
        wchar_t shown[MAX_PATH] = {};
        SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0);
        check(bitmap == shown, L"wallpaper reads back as " + std::wstring(shown));
    }
    RecordingWallpaper refused;
    refused.refuse = true;
    check(refused.apply(bitmap, WindowsWallpaper::Style::Center) == L"refused",
          L"a refusal was not reported");
    std::fwprintf(stdout, L"%d failed checks\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
