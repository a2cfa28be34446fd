// Drives and photographs the windows of another program in the same Wine prefix, for
// tools/win32_screenshots.py:
//   vespern_window_shot wait TITLE SECONDS     waits for a shown top-level window of that title
//   vespern_window_shot show TITLE             shows it (a window hidden in the tray)
//   vespern_window_shot click TITLE TEXT       presses its child control of that text (a button,
//                                              check box or link)
//   vespern_window_shot select TITLE ITEM      picks ITEM in the first of its lists that has it
//   vespern_window_shot close TITLE            closes it as its title bar's close button does
//   vespern_window_shot nexttab TITLE          selects the next tab of its tab control
//   vespern_window_shot capture TITLE FILE     writes what the screen shows of its client area
//                                              as a .bmp
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

// The client area only: without a window manager no one draws the frame and the title bar
// (Wine leaves them to it), so the screen there shows whatever lies below the window.
bool capture(HWND window, const char* path)
{
    RECT frame {};
    ::GetClientRect(window, &frame);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&frame), 2);
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

std::string className(HWND window)
{
    char name[64] {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

void press(HWND control)
{
    // Posted: a modal box it opens must not hold this program. A link (a static control that
    // notifies) takes the mouse's click, a button its own.
    if (::lstrcmpiA(className(control).c_str(), "Static") == 0) {
        ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        return;
    }
    ::PostMessageA(control, BM_CLICK, 0, 0);
}

struct ListSearch {
    const char* item;
    HWND list;
    LRESULT index;
};

// One control of an enumeration: whether to go on.
BOOL CALLBACK matchItem(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ListSearch*>(data);
    if (!::IsWindowVisible(window) || ::lstrcmpiA(className(window).c_str(), "ComboBox") != 0)
        return TRUE;
    const LRESULT index
        = ::SendMessageA(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(search->item));
    if (index == CB_ERR)
        return TRUE;
    search->list = window;
    search->index = index;
    return FALSE;
}

// Picks the item in the first shown list that has it and tells the list's parent, as the list
// does when the user picks one. (A list is not found by its text: another program reads only a
// window's own caption, and a drop-down list keeps its text in its edit field.)
bool selectItem(HWND window, const char* item)
{
    ListSearch search { item, nullptr, CB_ERR };
    ::EnumChildWindows(window, matchItem, reinterpret_cast<LPARAM>(&search));
    if (search.list == nullptr
        || ::SendMessageA(search.list, CB_SETCURSEL, static_cast<WPARAM>(search.index), 0) == CB_ERR)
        return false;
    ::SendMessageA(::GetParent(search.list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(search.list), CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(search.list));
    return true;
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
        press(control);
        return 0;
    }
    if (command == "select")
        return selectItem(window, argument) ? 0 : 1;
    if (command == "close") {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
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

// The program's name, the command, the title and what the command takes after it.
int argumentsNeeded(const std::string& command)
{
    if (command == "show" || command == "close" || command == "nexttab")
        return 3;
    return 4;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const int needed = argumentsNeeded(command);
    if (argc < needed) {
        std::fputs(
            "usage: vespern_window_shot wait|show|click|select|close|nexttab|capture TITLE [ARGUMENT]\n", stderr);
        return 2;
    }
    return run(command, argv[2], argc > 3 ? argv[3] : "");
}
