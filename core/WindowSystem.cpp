#include "WindowSystem.h"

#include "TApplication.h"
#include "TForm1Model.h"
#include "TForm4Model.h"

namespace vespern {

void MirrorFormTimers(UiEvents& events, TForm1Model& form1, TForm4Model& form4)
{
    events.MirrorTimer("TForm1.Timer1", form1.Timer1, [&form1] { form1.Timer1Timer(); });
    events.MirrorTimer("TForm1.Timer2", form1.Timer2, [&form1] { form1.Timer2Timer(); });
    events.MirrorTimer("TForm4.Timer1", form4.Timer1, [&form4] { form4.Timer1Timer(); });
    events.MirrorTimer("TForm4.Timer2", form4.Timer2, [&form4] { form4.Timer2Timer(); });
}

int RunProgram(const Forms& forms, WindowSystem& windows)
{
    UiEvents events(forms.application, windows);
    MirrorFormTimers(events, forms.form1, forms.form4);
    windows.CreateForm1(forms, events);
    events.Handle([&forms] { forms.form1.FormCreate(); });
    windows.CreateForm2(forms, events);
    windows.CreateForm4(forms, events);
    windows.CreateForm5(forms, events);
    if (forms.application.ShowMainForm)
        windows.ShowMainForm();
    const int status = windows.RunMessageLoop();
    windows.DestroyForms();
    return status;
}

} // namespace vespern
