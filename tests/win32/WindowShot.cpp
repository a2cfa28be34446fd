// Drives and photographs the windows of another program in the same Wine prefix, for
// tools/win32_screenshots.py:
//   vespern_window_shot wait TITLE SECONDS     waits for a shown top-level window of that title
//   vespern_window_shot show TITLE             shows it (a window hidden in the tray)
//   vespern_window_shot click TITLE TEXT       presses its child control of that text
//   vespern_window_shot nexttab TITLE          selects the next tab of its tab control
//   vespern_window_shot capture TITLE FILE     writes what the screen shows of it as a .bmp
// Exit status 0 on success, 1 when the window or control is not there.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Search {
    std::string text;
    bool visibleOnly;
    HWND found;
};

std::string windowText(HWND window)
{
    char text[256] {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// One window of an enumeration: whether to go on.
BOOL CALLBACK matchText(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    if (windowText(window) != search->text || (search->visibleOnly && !::IsWindowVisible(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND topLevel(const std::string& title, bool visibleOnly)
{
    Search search { title, visibleOnly, nullptr };
    ::EnumWindows(matchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND child(HWND parent, const std::string& text, const char* className)
{
    Search search { text, true, nullptr };
    if (className != nullptr)
        return ::FindWindowExA(parent, nullptr, className, nullptr);
    ::EnumChildWindows(parent, matchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool capture(HWND window, const char* path)
{
    RECT frame {};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    ::SelectObject(memory, previous);
    BITMAPINFOHEADER header {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
        DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

int run(const std::string& command, const std::string& title, const char* argument)
{
    if (command == "wait") {
        const DWORD end = ::GetTickCount() + 1000U * static_cast<DWORD>(std::atoi(argument));
        while (topLevel(title, true) == nullptr && ::GetTickCount() < end)
            ::Sleep(50);
        return topLevel(title, true) != nullptr ? 0 : 1;
    }
    const HWND window = topLevel(title, command != "show");
    if (window == nullptr)
        return 1;
    if (command == "show") {
        ::ShowWindow(window, SW_SHOW);
        ::SetForegroundWindow(window);
        return 0;
    }
    if (command == "click") {
        const HWND control = child(window, argument, nullptr);
        if (control == nullptr)
            return 1;
        // Posted: a modal box it opens must not hold this program.
        ::PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "nexttab") {
        const HWND tabs = child(window, "", WC_TABCONTROLA);
        if (tabs == nullptr)
            return 1;
        // The tab control moves on by itself and tells its dialog, as for the user's key.
        ::PostMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 0);
        return 0;
    }
    if (command == "capture") {
        ::SetForegroundWindow(window);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(300);
        return capture(window, argument) ? 0 : 1;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::string(argv[1]) != "show" && std::string(argv[1]) != "nexttab" && argc < 4)) {
        std::fputs("usage: vespern_window_shot wait|show|click|nexttab|capture TITLE [ARGUMENT]\n", stderr);
        return 2;
    }
    return run(argv[1], argv[2], argc > 3 ? argv[3] : "");
}
