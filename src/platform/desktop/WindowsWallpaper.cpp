// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsWallpaper.h"

namespace {

struct StyleValues
{
    const wchar_t* tileWallpaper;
    const wchar_t* wallpaperStyle;
};

StyleValues valuesFor(WindowsWallpaper::Style style)
{
    switch (style) {
    case WindowsWallpaper::Style::Center:
        return {L"0", L"0"};
    case WindowsWallpaper::Style::Tile:
        return {L"1", L"0"};
    case WindowsWallpaper::Style::Span:
        return {L"0", L"22"};
    case WindowsWallpaper::Style::Stretch:
        break;
    }
    return {L"0", L"2"};
}

} // namespace

std::wstring WindowsWallpaper::apply(const std::wstring& absolutePath, Style style)
{
    const StyleValues values = valuesFor(style);
    const std::wstring desktopKey = L"Control Panel\\Desktop";
    setRegistryString(HKEY_CURRENT_USER, desktopKey, L"TileWallpaper", values.tileWallpaper);
    setRegistryString(HKEY_CURRENT_USER, desktopKey, L"WallpaperStyle", values.wallpaperStyle);
    return setDeskWallpaper(absolutePath);
}

std::wstring WindowsWallpaper::systemMessage(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr)
        LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    if (text.empty())
        text = L"unknown error";
    return text + L" (error " + std::to_wstring(code) + L")";
}

void WindowsWallpaper::setRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                         const std::wstring& value)
{
    HKEY key = nullptr;
    RegOpenKeyExW(root, subKey.c_str(), 0, KEY_SET_VALUE, &key);
    RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegFlushKey(key);
    RegCloseKey(key);
}

std::wstring WindowsWallpaper::setDeskWallpaper(const std::wstring& absolutePath)
{
    std::wstring path = absolutePath; // the call takes a non-const buffer
    SetLastError(ERROR_SUCCESS);
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        return {};
    return L"SystemParametersInfo could not set the wallpaper: " + systemMessage(GetLastError());
}
