#include "TrayIcon.h"

#include "PopupMenu.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vespern::ui {

namespace {

// The record's layout with the 128-byte tooltip and the balloon fields, which every shell since
// the one of Windows 2000 reads (488 bytes in the 32-bit program).
constexpr DWORD RecordSize = offsetof(NOTIFYICONDATAA, guidItem); // NOTIFYICONDATAA_V2_SIZE
static_assert(sizeof(void*) != 4 || RecordSize == 488);
constexpr UINT BaseFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT_PTR ClickTimerIdentity = 1;

// Copies at most the array's size less one bytes and always terminates.
template <std::size_t Size> void copyText(char (&target)[Size], const std::string& text)
{
    const std::size_t length = std::min(text.size(), Size - 1);
    std::memcpy(target, text.data(), length);
    std::memset(target + length, 0, Size - length);
}

UINT nextIdentity()
{
    static UINT identity = 0;
    return ++identity;
}

} // namespace

TTrayIcon::TTrayIcon(vespern::TTrayIcon& model, Dispatch dispatch, NotifyIconCall call)
    : model_(model)
    , dispatch_(std::move(dispatch))
    , call_(std::move(call))
    , handler_({ [this](UINT message) { notification(message); },
          [this](UINT_PTR timer) {
              if (timer == clickTimer_.Identity())
                  clickTimer_.Tick();
          },
          [this] { taskbarCreated(); } })
    , clickTimer_(handler_.Handle(), ClickTimerIdentity, [this] { dispatch_([this] { model_.ClickDelayTick(); }); })
    , icon_(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
          ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)))
{
    data_.cbSize = RecordSize;
    data_.hWnd = handler_.Handle();
    data_.uID = nextIdentity();
    data_.uFlags = BaseFlags;
    data_.uCallbackMessage = TTrayIconHandler::CallbackMessage;
    data_.hIcon = icon_.get();
    model_.Attach(this);
}

TTrayIcon::~TTrayIcon()
{
    model_.Attach(nullptr);
    // The icon leaves the notification area now, not when the pointer next passes over it.
    if (added_)
        send(NIM_DELETE);
}

BOOL TTrayIcon::send(DWORD message)
{
    return call_(message, &data_);
}

bool TTrayIcon::Available()
{
    return added_ || ::FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

bool TTrayIcon::UpdateIcon(bool visible, const std::string& tooltip)
{
    copyText(data_.szTip, tooltip);
    data_.hIcon = icon_.get();
    if (!visible) {
        if (!added_)
            return true;
        added_ = false;
        return send(NIM_DELETE) != FALSE;
    }
    if (added_)
        return send(NIM_MODIFY) != FALSE;
    // The shell refuses an icon it already has; the refusal changes nothing.
    added_ = send(NIM_ADD) != FALSE;
    if (added_) {
        data_.uVersion = 0;
        send(NIM_SETVERSION);
    }
    return added_;
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int timeout)
{
    data_.uFlags = BaseFlags | NIF_INFO;
    copyText(data_.szInfo, text);
    copyText(data_.szInfoTitle, title);
    data_.uTimeout = static_cast<UINT>(std::max(timeout, 0));
    data_.dwInfoFlags = static_cast<DWORD>(kind);
    const bool accepted = send(NIM_MODIFY) != FALSE;
    data_.uFlags = BaseFlags;
    return accepted;
}

void TTrayIcon::HideBalloon()
{
    data_.uFlags = BaseFlags | NIF_INFO;
    copyText(data_.szInfo, {});
    send(NIM_MODIFY);
    data_.uFlags = BaseFlags;
}

void TTrayIcon::StartClickTimer(int milliseconds)
{
    clickTimer_.Start(milliseconds);
}

void TTrayIcon::StopClickTimer()
{
    clickTimer_.Stop();
}

int TTrayIcon::DoubleClickTime()
{
    return static_cast<int>(::GetDoubleClickTime());
}

void TTrayIcon::notification(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        dispatch_([this, message] { model_.Notify(static_cast<TrayMouseMessage>(message)); });
        return;
    case WM_RBUTTONDOWN:
        // The menu opens when the button goes down, before it is released.
        dispatch_([this] { model_.Notify(TrayMouseMessage::RButtonDown); });
        if (model_.Enabled)
            openMenu();
        return;
    default:
        // Pointer moves and the balloon notifications raise nothing the program handles.
        return;
    }
}

void TTrayIcon::openMenu()
{
    POINT at {};
    if (menu_ == nullptr || ::GetCursorPos(&at) == FALSE)
        return;
    menu_->Popup(handler_.Handle(), at);
}

void TTrayIcon::taskbarCreated()
{
    // The restarted shell has lost the icon: the model's add is a new add.
    added_ = false;
    dispatch_([this] { model_.TaskbarCreated(); });
}

} // namespace vespern::ui
