// The program entry: makes the platform and the models, then runs the windows.

#include "core/TApplication.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"
#include "core/WindowSystem.h"
#include "platform/PlatformFactory.h"
#include "ui/FrontEnd.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* usage = R"(Usage: vespern [ACTION-FILE]

Without an argument Vespern starts hidden in the notification area and keeps running.
With an argument it runs the action that the argument's file name names and ends:
  SHUTDOWN.link, REBOOT.link, LOG OFF.link, STANDBY.link, HIBERNATE.link, HANG UP.link,
  SHOW SCREENSAVER.link, TURN OFF MONITOR.link, SWITCH USER.link
(the names are compared exactly; any other name runs nothing).

  --help      show this text and end
  --version   show the version and end

Only the first argument is used. Without a display (neither DISPLAY nor WAYLAND_DISPLAY) an
action file still runs, headless, and what would be a message box is printed on standard error.

Environment:
  VESPERN_DRY_RUN=1   print every request to the system on standard error instead of making it
  VESPERN_REGISTRY_DIR=DIR  keep the options and system values of every registry root in DIR
                      (by default $XDG_CONFIG_HOME/vespern; the machine's values also in
                      /etc/vespern, written there only by whoever may)
)";

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments.front() == "--help") {
        std::cout << usage;
        return EXIT_SUCCESS;
    }
    if (!arguments.empty() && arguments.front() == "--version") {
        std::cout << "Vespern " << VESPERN_VERSION << "\n";
        return EXIT_SUCCESS;
    }

    auto frontEnd = vespern::ui::CreateFrontEnd(argc, argv, !arguments.empty());
    if (!frontEnd)
        return EXIT_FAILURE;
    vespern::TApplication application(frontEnd->MessageBoxes());
    application.Title = "Vespern";

    // Answers to requests arrive as events of their own, so what they tell reaches the user.
    std::function<void(vespern::EventPump&)> watchPump;
    if (auto watch = frontEnd->Pumps())
        watchPump = [watch, &application](vespern::EventPump& pump) {
            watch(pump, [&application, &pump] { application.Dispatch([&pump] { pump.Process(); }); });
        };
    auto platform = vespern::CreatePowerPlatform({ vespern::DryRunRequested(std::getenv("VESPERN_DRY_RUN")), {},
        frontEnd->Picker(), [&application](const vespern::UserNotice& notice) { application.Notices().Post(notice); },
        frontEnd->WindowHandles(), std::move(watchPump) });
    platform->CoInitialize();

    vespern::TForm2Model form2(*platform, application);
    vespern::TForm5Model form5;
    vespern::TForm1Model form1(*platform, application, form2, arguments);
    vespern::TForm4Model form4(form1);
    form1.SetAboutBox(form5);
    return vespern::RunProgram({ application, form1, form2, form4, form5 }, frontEnd->Windows());
}
