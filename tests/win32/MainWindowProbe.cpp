// Looks at a running Vespern's main window from another program, as assistive technology would:
//   MainWindowProbe state       prints "visible=0|1", "client=WIDTHxHEIGHT", "title=..." and
//                               "tray=0|1" (whether the tray icon's notification window exists)
//   MainWindowProbe texts       prints "text=..." for every control and "item=..." for every list item
//   MainWindowProbe show        double-clicks the tray icon: the message the shell sends its window
//   MainWindowProbe close       asks the window to close
// It waits up to 20 seconds for the window to exist and then for the program to wait for input;
// exit status 1 when the window never comes.

#include "win32/support/WindowDriver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string className(HWND window)
{
    char name[64] {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

void print(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
}

// Once the program waits for input: its start-up (or the last request) has run.
void waitUntilIdle(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return;
    ::WaitForInputIdle(process, 10000);
    ::CloseHandle(process);
    // A message sent to the window returns once its thread takes messages, which it does from
    // its loop; twice, as the start-up also takes some while it runs.
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        ::Sleep(200);
    }
}

HWND findMainWindow()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (const HWND window = ::FindWindowA("TForm1", "Vespern")) {
            waitUntilIdle(window);
            return window;
        }
        ::Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK printControl(HWND control, LPARAM)
{
    print("text=" + vespern::test::Text(control));
    if (className(control) != "ComboBox")
        return TRUE;
    for (const auto& item : vespern::test::Items(control))
        print("item=" + item);
    return TRUE;
}

struct TraySearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findTrayWindow(HWND window, LPARAM into)
{
    auto* search = reinterpret_cast<TraySearch*>(into);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || className(window) != "TTrayIconHandler")
        return TRUE;
    search->found = window;
    return FALSE;
}

// The window the shell tells the program's tray icon about mouse events.
HWND trayWindow(HWND mainWindow)
{
    TraySearch search { 0, nullptr };
    ::GetWindowThreadProcessId(mainWindow, &search.processId);
    ::EnumWindows(findTrayWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

constexpr UINT TrayCallbackMessage = WM_USER + 1024;

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "state";
    const HWND window = findMainWindow();
    if (window == nullptr) {
        print("no main window");
        return EXIT_FAILURE;
    }
    if (command == "state") {
        RECT client {};
        ::GetClientRect(window, &client);
        print("visible=" + std::to_string(::IsWindowVisible(window) != FALSE ? 1 : 0));
        print("client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom));
        print("title=" + vespern::test::Text(window));
        print("tray=" + std::to_string(trayWindow(window) != nullptr ? 1 : 0));
    } else if (command == "texts") {
        ::EnumChildWindows(window, printControl, 0);
    } else if (command == "show") {
        const HWND tray = trayWindow(window);
        if (tray == nullptr) {
            print("no tray icon");
            return EXIT_FAILURE;
        }
        ::PostMessageA(tray, TrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
        waitUntilIdle(window);
    } else if (command == "close") {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        print("unknown command " + command);
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
