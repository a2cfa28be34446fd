// The program entry: creates the four windows in order and runs the message loop.

#include "core/TApplication.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"
#include "platform/PlatformFactory.h"
#include "ui/QtDialogs.h"
#include "ui/UiEvents.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/components/ComputerPicker.h"
#include "ui/components/WindowFont.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
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

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

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

    // A one-shot run needs no display: the action is run headless. Living in the tray does.
    if (!environmentSet("DISPLAY") && !environmentSet("WAYLAND_DISPLAY") && !environmentSet("QT_QPA_PLATFORM")) {
        if (arguments.empty()) {
            std::cerr << "vespern: Vespern needs a graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"
                      << std::endl;
            return EXIT_FAILURE;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // Only the first argument is Vespern's: none of them reaches Qt.
    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };
    QApplication qtApplication(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Vespern"));
    QApplication::setApplicationVersion(QStringLiteral(VESPERN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    const QString platformName = QGuiApplication::platformName();
    vespern::ui::QtDialogs dialogs(
        platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal"));
    vespern::TApplication application(dialogs);
    application.Title = "Vespern";
    // No application display name: Qt would append it to every title ("About — Vespern").
    QApplication::setFont(vespern::ui::WindowFont());

    auto platform = vespern::CreatePowerPlatform(
        { vespern::DryRunRequested(std::getenv("VESPERN_DRY_RUN")), {}, vespern::ui::PickComputer,
            [&application](const vespern::UserNotice& notice) { application.Notices().Post(notice); } });
    platform->CoInitialize();

    vespern::TForm2Model form2(*platform, application);
    vespern::TForm5Model form5;
    vespern::TForm1Model form1(*platform, application, form2, arguments);
    vespern::TForm4Model form4(form1);
    form1.SetAboutBox(form5);
    vespern::ui::UiEvents events(application);

    vespern::ui::TForm1 mainWindow(form1, events);
    vespern::ui::TForm2 optionsDialog(form2, events, &mainWindow);
    vespern::ui::TForm4 confirmationDialog(form4, events, &mainWindow);
    vespern::ui::TForm5 aboutBox(form5, events, &mainWindow);

    if (application.ShowMainForm)
        mainWindow.show();
    return QApplication::exec();
}
