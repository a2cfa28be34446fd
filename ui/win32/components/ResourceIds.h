#pragma once

// The numbers of the pictures among the program's RCDATA resources (resources/vespern.rc.in gives
// them the same numbers).

namespace vespern::ui {

enum ResourceId : int {
    PictureMenuExit = 201,
    PictureMenuHelp = 202,
    PictureMenuShutdown = 203,
    PictureMenuReboot = 204,
    PictureMenuLogOff = 205,
    PictureMenuStandBy = 206,
    PictureMenuHibernate = 207,
    PictureMenuHangUp = 208,
    PictureMenuLock = 209,
    PictureMenuMonitorOff = 210,
    PictureMenuScreensaver = 211,
    PictureBanner = 220,
    PictureButtonStart = 230,
    PictureButtonStop = 231,
    PictureButtonNow = 232,
    PictureButtonOption = 233,
    PictureButtonBrowse = 234,
};

} // namespace vespern::ui
