// Makes one session, power, display, screensaver or dial-up request through the real Linux backend
// and prints what it returned and what it told the user (one "notice=" line each), for the
// desktop service tests that run it against mock services. Until every answer is handled it runs
// a message loop of its own with a timer ticking every 20 ms, and prints how long the call took
// to return and the longest gap between two ticks: what a window would have waited.
// It refuses to run unless both buses are private test buses, so it can never reach the machine's own.

#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <poll.h>
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

struct Loop {
    long long callMs = 0;
    long long maxGapMs = 0;
    int ticks = 0;
};

// Handles the answers as the program's loop would, on this thread, ticking meanwhile.
Loop runLoop(vespern::EventPump& pump, std::chrono::steady_clock::time_point callStart,
    std::chrono::steady_clock::time_point callEnd)
{
    using namespace std::chrono;
    constexpr auto tick = milliseconds(20);
    Loop loop;
    loop.callMs = duration_cast<milliseconds>(callEnd - callStart).count();
    auto lastTick = callStart;
    while (pump.Pending()) {
        const auto sinceTick = duration_cast<milliseconds>(steady_clock::now() - lastTick);
        pollfd ready { pump.Fd(), POLLIN, 0 };
        if (::poll(&ready, 1, static_cast<int>(std::max<long long>(0, (tick - sinceTick).count()))) > 0)
            pump.Process();
        const auto now = steady_clock::now();
        if (now - lastTick >= tick) {
            loop.maxGapMs = std::max<long long>(loop.maxGapMs, duration_cast<milliseconds>(now - lastTick).count());
            lastTick = now;
            ++loop.ticks;
        }
    }
    return loop;
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
    const auto callStart = std::chrono::steady_clock::now();
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
    const auto loop = runLoop(platform.Pump(), callStart, std::chrono::steady_clock::now());
    std::cout << "result=" << result.value << " flags=" << result.flags << " lastError=" << platform.GetLastError()
              << " callMs=" << loop.callMs << " maxGapMs=" << loop.maxGapMs << " ticks=" << loop.ticks << std::endl;
    for (const auto& notice : notices)
        std::cout << "notice=" << notice << std::endl;
    return 0;
}
