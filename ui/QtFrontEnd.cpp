#include "FrontEnd.h"

#include "QtDialogs.h"
#include "UiEvents.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"
#include "components/ComputerPicker.h"
#include "components/WindowFont.h"
#include "core/TApplication.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace vespern::ui {

namespace {

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

class QtFrontEnd final : public FrontEnd {
public:
    explicit QtFrontEnd(char* programName)
        : arguments_ { programName, nullptr } // Only the first argument is Vespern's: none of them reaches Qt.
        , qtApplication_(argumentCount_, arguments_)
        , dialogs_(headless())
    {
        QApplication::setApplicationName(QStringLiteral("Vespern"));
        QApplication::setApplicationVersion(QStringLiteral(VESPERN_VERSION));
        QApplication::setQuitOnLastWindowClosed(false);
        // No application display name: Qt would append it to every title ("About — Vespern").
        QApplication::setFont(WindowFont());
    }

    Dialogs& MessageBoxes() override { return dialogs_; }
    ComputerPicker Picker() override { return PickComputer; }
    // Linux requests name no window.
    std::function<std::uintptr_t(Window)> WindowHandles() override { return {}; }

    int Run(const Forms& forms) override
    {
        UiEvents events(forms.application);
        TForm1 mainWindow(forms.form1, events);
        TForm2 optionsDialog(forms.form2, events, &mainWindow);
        TForm4 confirmationDialog(forms.form4, events, &mainWindow);
        TForm5 aboutBox(forms.form5, events, &mainWindow);
        if (forms.application.ShowMainForm)
            mainWindow.show();
        return QApplication::exec();
    }

private:
    static bool headless()
    {
        const QString platformName = QGuiApplication::platformName();
        return platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
    }

    int argumentCount_ = 1;
    char* arguments_[2];
    QApplication qtApplication_;
    QtDialogs dialogs_;
};

} // namespace

std::unique_ptr<FrontEnd> CreateFrontEnd(int, char** argv, bool oneShot)
{
    // A one-shot run needs no display: the action is run headless. Living in the tray does.
    if (!environmentSet("DISPLAY") && !environmentSet("WAYLAND_DISPLAY") && !environmentSet("QT_QPA_PLATFORM")) {
        if (!oneShot) {
            std::cerr << "vespern: Vespern needs a graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"
                      << std::endl;
            return nullptr;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return std::make_unique<QtFrontEnd>(argv[0]);
}

} // namespace vespern::ui
