#pragma once

#include "UiEvents.h"

namespace vespern {

class TApplication;
class TForm1Model;
class TForm2Model;
class TForm4Model;
class TForm5Model;

// The program's models, one per window.
struct Forms {
    TApplication& application;
    TForm1Model& form1;
    TForm2Model& form2;
    TForm4Model& form4;
    TForm5Model& form5;
};

// What a front end does for the program. RunProgram calls it in the order of start-up.
class WindowSystem : public EventLoop {
public:
    // The main window, with its tray icon.
    virtual void CreateForm1(const Forms& forms, UiEvents& events) = 0;
    virtual void CreateForm2(const Forms& forms, UiEvents& events) = 0;
    virtual void CreateForm4(const Forms& forms, UiEvents& events) = 0;
    virtual void CreateForm5(const Forms& forms, UiEvents& events) = 0;
    virtual void ShowMainForm() = 0;
    // Runs until EndMessageLoop; returns the exit status.
    virtual int RunMessageLoop() = 0;
    // In the reverse order of creation, while the events still exist.
    virtual void DestroyForms() = 0;
};

// The four timers of the windows: the main window's monitor timers and the confirmation
// dialog's countdown timers.
void MirrorFormTimers(UiEvents& events, TForm1Model& form1, TForm4Model& form4);

// Creates the windows in their order (the main window first, whose creation handler runs before
// the others exist), shows the main window when the application says so, runs the message loop
// and destroys the windows; returns the exit status.
int RunProgram(const Forms& forms, WindowSystem& windows);

} // namespace vespern
