// Makes one session, power, display, screensaver or dial-up request through the real Linux backend
// and prints what it returned and what it told the user (one "notice=" line each), for the
// desktop service tests that run it against mock services.
// It refuses to run unless both buses are private test buses, so it can never reach the machine's own.

#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using vespern::LinuxPlatform;
namespace w32 = vespern::w32;

bool onPrivateBus(const char* variable, const std::string& directory)
{
    const char* address = std::getenv(variable);
    return address && std::string_view(address).starts_with("unix:path=" + directory + "/");
}

bool privateBusesOnly()
{
    const char* directory = std::getenv("VESPERN_TEST_BUS_DIR");
    if (!directory || !*directory || std::string_view(directory).find(';') != std::string_view::npos)
        return false;
    return onPrivateBus("DBUS_SYSTEM_BUS_ADDRESS", directory) && onPrivateBus("DBUS_SESSION_BUS_ADDRESS", directory);
}

struct Result {
    long long value = 0;
    std::uint32_t flags = 0;
};

bool run(LinuxPlatform& platform, const std::vector<std::string>& words, Result& result)
{
    const auto& request = words.at(0);
    const auto number = [&](std::size_t index) { return std::stoll(words.at(index)); };
    if (request == "exit")
        result.value = platform.ExitWindowsEx(static_cast<std::uint32_t>(number(1)), 0);
    else if (request == "power")
        result.value = platform.SetSystemPowerState(number(1) != 0, number(2) != 0);
    else if (request == "lock")
        result.value = platform.LockWorkStation();
    else if (request == "monitor")
        result.value = platform.SendMessageA(vespern::Window::Application, w32::WmSysCommand, w32::ScMonitorPower,
            static_cast<std::intptr_t>(number(1)));
    else if (request == "screensave")
        result.value = platform.DefWindowProcA(vespern::Window::Main, w32::WmSysCommand, w32::ScScreenSave, 0);
    else if (request == "connected") {
        result.flags = 7;
        result.value = platform.InternetGetConnectedState(result.flags, 0);
    } else if (request == "hangup")
        result.value = platform.InternetAutodialHangup(0);
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!privateBusesOnly()) {
        std::cerr << "REFUSED: DBUS_SYSTEM_BUS_ADDRESS and DBUS_SESSION_BUS_ADDRESS must both be unix:path= sockets "
                     "under VESPERN_TEST_BUS_DIR; this probe never talks to the machine's own buses"
                  << std::endl;
        return 3;
    }
    std::vector<std::string> words(argv + 1, argv + argc);
    vespern::LinuxPaths paths;
    if (words.size() >= 2 && words[0] == "--timeout-ms") {
        // Also the wait for a password: a mock never asks for one.
        paths.busTimeout = paths.authorizationTimeout = std::chrono::milliseconds(std::stoll(words[1]));
        words.erase(words.begin(), words.begin() + 2);
    }
    std::vector<std::string> notices;
    LinuxPlatform platform(paths, {}, [&](const vespern::UserNotice& notice) { notices.push_back(notice.text); });
    Result result;
    try {
        if (words.empty() || !run(platform, words, result)) {
            std::cerr << "usage: " << argv[0]
                      << " [--timeout-ms N] exit FLAGS | power SUSPEND FORCE | lock | monitor LPARAM | screensave"
                         " | connected | hangup"
                      << std::endl;
            return 2;
        }
    } catch (const std::exception&) {
        std::cerr << "a request needs a number argument" << std::endl;
        return 2;
    }
    std::cout << "result=" << result.value << " flags=" << result.flags << " lastError=" << platform.GetLastError()
              << std::endl;
    for (const auto& notice : notices)
        std::cout << "notice=" << notice << std::endl;
    return 0;
}
