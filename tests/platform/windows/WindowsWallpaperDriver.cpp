// SPDX-License-Identifier: GPL-3.0-or-later
// Checks WindowsWallpaper against a real (Wine) registry and SystemParametersInfo: the values written
// for each style, their type and order, and the wallpaper read back. Prints one line per failed check
// and exits non-zero if any failed.

#include "WindowsWallpaper.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t* const kDesktopKey = L"Control Panel\\Desktop";
int g_failures = 0;

void check(bool ok, const std::wstring& what)
{
    if (!ok) {
        ++g_failures;
        std::fwprintf(stderr, L"FAIL: %ls\n", what.c_str());
    }
}

/** The value if it is a REG_SZ string, "<missing>" otherwise. */
std::wstring readString(HKEY root, const wchar_t* subKey, const wchar_t* name)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(root, subKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

void writeString(const wchar_t* name, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring currentWallpaper()
{
    wchar_t buffer[MAX_PATH] = {};
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0);
    return buffer;
}

/** Records each step as it lands, with what the registry holds right after it. */
class RecordingWallpaper final : public WindowsWallpaper
{
public:
    std::vector<std::wstring> steps;

    void writeDirectly(HKEY root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value)
    {
        WindowsWallpaper::setRegistryString(root, subKey, name, value);
    }

protected:
    void setRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                           const std::wstring& value) override
    {
        WindowsWallpaper::setRegistryString(root, subKey, valueName, value);
        steps.push_back(valueName + L"=" + readString(root, subKey.c_str(), valueName.c_str()));
    }
    std::wstring setDeskWallpaper(const std::wstring& absolutePath) override
    {
        // What both values hold when the file is handed over: the style must already be in place.
        steps.push_back(L"wallpaper with " + readString(HKEY_CURRENT_USER, kDesktopKey, L"TileWallpaper") +
                        L"/" + readString(HKEY_CURRENT_USER, kDesktopKey, L"WallpaperStyle"));
        return WindowsWallpaper::setDeskWallpaper(absolutePath);
    }
};

std::wstring writeBitmap(const std::wstring& folder, const std::wstring& name)
{
    // A 1 x 1 24-bit bitmap.
    static const unsigned char bytes[] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0,   24,
        0,   0,   0,  0, 0, 4, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0};
    const std::wstring path = folder + L"\\" + name;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, sizeof bytes, &written, nullptr);
    CloseHandle(file);
    check(written == sizeof bytes, L"cannot write " + path);
    return path;
}

struct StyleRow
{
    const wchar_t* name;
    WindowsWallpaper::Style style;
    const wchar_t* tileWallpaper;
    const wchar_t* wallpaperStyle;
};

void checkStyle(const StyleRow& row, const std::wstring& bitmap)
{
    // Values that no style writes, so a skipped write shows.
    writeString(L"TileWallpaper", L"x");
    writeString(L"WallpaperStyle", L"x");

    RecordingWallpaper wallpaper;
    const std::wstring error = wallpaper.apply(bitmap, row.style);
    const std::wstring tag = std::wstring(row.name) + L": ";
    check(error.empty(), tag + L"apply failed: " + error);

    const std::vector<std::wstring> expected{
        std::wstring(L"TileWallpaper=") + row.tileWallpaper,
        std::wstring(L"WallpaperStyle=") + row.wallpaperStyle,
        std::wstring(L"wallpaper with ") + row.tileWallpaper + L"/" + row.wallpaperStyle,
    };
    std::wstring got;
    for (const auto& step : wallpaper.steps)
        got += step + L"; ";
    check(wallpaper.steps == expected, tag + L"steps were " + got);
    check(currentWallpaper() == bitmap, tag + L"wallpaper reads back as " + currentWallpaper());
}

void checkMissingKeyIsIgnored()
{
    RecordingWallpaper wallpaper;
    const wchar_t* const missing = L"Software\\TessalyNoSuchKey";
    wallpaper.writeDirectly(HKEY_CURRENT_USER, missing, L"TileWallpaper", L"1");
    HKEY key = nullptr;
    check(RegOpenKeyExW(HKEY_CURRENT_USER, missing, 0, KEY_READ, &key) != ERROR_SUCCESS,
          L"writing under a missing key created it");
}

/** Stands in for a system that refuses the wallpaper (Wine accepts any path). */
class RefusingWallpaper final : public WindowsWallpaper
{
protected:
    std::wstring setDeskWallpaper(const std::wstring&) override { return L"refused: " + systemMessage(5); }
};

void checkFailureIsReported()
{
    RefusingWallpaper wallpaper;
    const std::wstring error = wallpaper.apply(L"C:\\tessaly.bmp", WindowsWallpaper::Style::Center);
    check(error.rfind(L"refused: ", 0) == 0, L"a refused wallpaper came back as: " + error);

    const std::wstring known = WindowsWallpaper::systemMessage(ERROR_FILE_NOT_FOUND);
    check(known.size() > 12 && known.find(L"unknown") == std::wstring::npos &&
              known.find(L'\n') == std::wstring::npos && known.ends_with(L" (error 2)"),
          L"system message for error 2: " + known);
    const std::wstring unknown = WindowsWallpaper::systemMessage(0x2badbeef);
    check(unknown.ends_with(L" (error " + std::to_wstring(0x2badbeef) + L")"), L"unknown code: " + unknown);
    std::fwprintf(stdout, L"error 2 reads: %ls\n", known.c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputws(L"usage: WindowsWallpaperDriver <scratch folder, as a Windows path>\n", stderr);
        return 2;
    }
    const std::wstring folder = argv[1];
    const StyleRow rows[] = {
        {L"Center", WindowsWallpaper::Style::Center, L"0", L"0"},
        {L"Tile", WindowsWallpaper::Style::Tile, L"1", L"0"},
        {L"Stretch", WindowsWallpaper::Style::Stretch, L"0", L"2"},
    };
    int n = 0;
    for (const StyleRow& row : rows)
        checkStyle(row, writeBitmap(folder, L"tessaly " + std::to_wstring(++n) + L".bmp"));
    checkMissingKeyIsIgnored();
    checkFailureIsReported();
    // Left for the caller to read back from outside: the last successful apply was "Stretch".
    checkStyle(rows[2], writeBitmap(folder, L"tessaly.bmp"));

    std::fwprintf(stdout, L"%d failed checks\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
