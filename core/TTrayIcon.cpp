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

} // namespace vespern
