#include "TTrayIcon.h"

#include <algorithm>

namespace vespern {

void TTrayIcon::Attach(TrayIconShell* shell)
{
    shell_ = shell;
    UpdateTrayIcon();
}

void TTrayIcon::SetHint(const std::string& hint)
{
    hint_ = hint;
    UpdateTrayIcon();
}

void TTrayIcon::SetShowHint(bool showHint)
{
    showHint_ = showHint;
    UpdateTrayIcon();
}

void TTrayIcon::SetIconVisible(bool visible)
{
    if (visible)
        AddTrayIcon();
    else
        RemoveTrayIcon();
}

std::string TTrayIcon::Tooltip() const
{
    if (!showHint_)
        return {};
    return hint_.substr(0, MaxTipLength);
}

bool TTrayIcon::AddTrayIcon()
{
    iconVisible_ = true;
    return UpdateTrayIcon();
}

bool TTrayIcon::RemoveTrayIcon()
{
    iconVisible_ = false;
    return UpdateTrayIcon();
}

bool TTrayIcon::UpdateTrayIcon()
{
    return shell_ != nullptr && shell_->UpdateIcon(iconVisible_, Tooltip());
}

bool TTrayIcon::NotificationAreaAvailable() const
{
    return shell_ != nullptr && shell_->Available();
}

void TTrayIcon::TaskbarCreated()
{
    if (iconVisible_)
        AddTrayIcon();
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int seconds)
{
    HideBalloon();
    if (shell_ == nullptr)
        return false;
    return shell_->ShowBalloon(
        title.substr(0, MaxBalloonTitle), text.substr(0, MaxBalloonText), kind, std::clamp(seconds, 0, 255) * 1000);
}

void TTrayIcon::HideBalloon()
{
    if (shell_ != nullptr)
        shell_->HideBalloon();
}

bool TTrayIcon::Loaded()
{
    bool showMainForm = true;
    if (OnStartup)
        OnStartup(showMainForm);
    return showMainForm;
}

void TTrayIcon::Notify(TrayMouseMessage message)
{
    if (!Enabled)
        return;
    switch (message) {
    case TrayMouseMessage::LButtonDown:
        if (OnDblClick && shell_ != nullptr) {
            shell_->StartClickTimer(shell_->DoubleClickTime());
            clickTimerRunning_ = true;
        }
        buttonDown_ = true;
        break;
    case TrayMouseMessage::LButtonUp:
        if (buttonDown_) {
            clickPending_ = true;
            if (!clickTimerRunning_) {
                clickPending_ = false;
                if (OnClick)
                    OnClick();
            }
        }
        buttonDown_ = false;
        break;
    case TrayMouseMessage::LButtonDblClk:
        clickPending_ = false;
        doubleClickSeen_ = true;
        if (OnDblClick)
            OnDblClick();
        break;
    default:
        // The menu is the shell's to open; moves and the other buttons raise nothing here.
        break;
    }
}

void TTrayIcon::ClickDelayTick()
{
    if (shell_ != nullptr)
        shell_->StopClickTimer();
    clickTimerRunning_ = false;
    if (!doubleClickSeen_ && clickPending_) {
        clickPending_ = false;
        if (OnClick)
            OnClick();
    }
    doubleClickSeen_ = false;
}

} // namespace vespern
