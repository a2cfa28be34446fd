#include "FrontEnd.h"

#include "QtDialogs.h"
#include "QtEventLoop.h"
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
#include <memory>

namespace vespern::ui {

namespace {

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

class QtFrontEnd final : public FrontEnd, public WindowSystem {
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
    PumpWatcher Pumps() override
    {
        return [this](EventPump& pump, std::function<void()> process) { loop_.Watch(pump, std::move(process)); };
    }
    WindowSystem& Windows() override { return *this; }

    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override
    {
        return loop_.CreateTimer(name, std::move(tick));
    }
    void EndMessageLoop() override { loop_.EndMessageLoop(); }

    void CreateForm1(const Forms& forms, UiEvents& events) override
    {
        mainWindow_ = std::make_unique<TForm1>(forms.form1, events);
    }
    // The dialogs are owned by the main window, which they centre on.
    void CreateForm2(const Forms& forms, UiEvents& events) override
    {
        optionsDialog_ = std::make_unique<TForm2>(forms.form2, events, mainWindow_.get());
    }
    void CreateForm4(const Forms& forms, UiEvents& events) override
    {
        confirmationDialog_ = std::make_unique<TForm4>(forms.form4, events, mainWindow_.get());
    }
    void CreateForm5(const Forms& forms, UiEvents& events) override
    {
        aboutBox_ = std::make_unique<TForm5>(forms.form5, events, mainWindow_.get());
    }
    void ShowMainForm() override { mainWindow_->show(); }
    int RunMessageLoop() override
    {
        const int status = QApplication::exec();
        loop_.FinishPending();
        return status;
    }
    void DestroyForms() override
    {
        aboutBox_.reset();
        confirmationDialog_.reset();
        optionsDialog_.reset();
        mainWindow_.reset();
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
    QtEventLoop loop_;
    std::unique_ptr<TForm1> mainWindow_;
    std::unique_ptr<TForm2> optionsDialog_;
    std::unique_ptr<TForm4> confirmationDialog_;
    std::unique_ptr<TForm5> aboutBox_;
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
