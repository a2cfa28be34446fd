#include "X11Dpms.h"

#include <memory>

// Xlib defines macros (None, Bool, Status, Success) that clash with ordinary names: it stays in this file.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace vespern {

namespace {

struct DisplayClose {
    void operator()(::Display* display) const { XCloseDisplay(display); }
};

// Xlib's default handler ends the process on a protocol error; count them instead while this lives.
class XErrorTrap {
public:
    explicit XErrorTrap(::Display* display)
        : display_(display)
        , previous_(XSetErrorHandler(&XErrorTrap::record))
    {
        errors_ = 0;
    }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    ~XErrorTrap() { XSetErrorHandler(previous_); }

    // Waits until the server has handled every request sent so far.
    bool failed()
    {
        XSync(display_, False);
        return errors_ != 0;
    }

private:
    static int record(::Display*, XErrorEvent*)
    {
        ++errors_;
        return 0;
    }

    static inline int errors_ = 0;
    ::Display* display_;
    XErrorHandler previous_;
};

} // namespace

DpmsResult ForceDisplayOff(const std::string& displayName, std::string& problem)
{
    std::unique_ptr<::Display, DisplayClose> display(XOpenDisplay(displayName.c_str()));
    if (!display) {
        problem = "the X display " + displayName + " cannot be opened";
        return DpmsResult::Failed;
    }
    int eventBase = 0, errorBase = 0;
    if (!DPMSQueryExtension(display.get(), &eventBase, &errorBase) || !DPMSCapable(display.get())) {
        problem = "the X server of " + displayName + " has no display power management (DPMS)";
        return DpmsResult::NoDpms;
    }
    XErrorTrap trap(display.get());
    // Forcing a level is refused while power management is switched off.
    DPMSEnable(display.get());
    DPMSForceLevel(display.get(), DPMSModeOff);
    if (trap.failed()) {
        problem = "the X server of " + displayName + " refused to switch the display off";
        return DpmsResult::Failed;
    }
    return DpmsResult::Done;
}

} // namespace vespern
