#include "ui/win32/components/ButtonPictures.h"
#include "ui/win32/components/JpegPicture.h"
#include "ui/win32/components/PngPicture.h"
#include "ui/win32/components/ResourceIds.h"

#include <gtest/gtest.h>

namespace vespern::ui {
namespace {

TEST(Picture, BannerDecodesToItsSizeWithTheSystemsDecoder)
{
    const Picture banner = JpegPicture(PictureBanner);
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner.Width(), 260);
    EXPECT_EQ(banner.Height(), 26);
    BITMAP data {};
    ASSERT_NE(::GetObjectA(banner.Handle(), sizeof data, &data), 0);
    EXPECT_EQ(data.bmWidth, 260);
    EXPECT_EQ(data.bmHeight, 26);
}

TEST(Picture, MissingOrForeignDataGivesNoPicture)
{
    EXPECT_FALSE(JpegPicture(999));
    EXPECT_FALSE(PngPicture(999));
    EXPECT_FALSE(PngPicture(PictureMenuExit - 1));
}

TEST(Picture, EveryMenuAndButtonPictureDecodes)
{
    for (const int id : { PictureMenuExit, PictureMenuHelp, PictureMenuShutdown, PictureMenuReboot, PictureMenuLogOff,
             PictureMenuStandBy, PictureMenuHibernate, PictureMenuHangUp, PictureMenuLock, PictureMenuMonitorOff,
             PictureMenuScreensaver, PictureButtonStart, PictureButtonStop, PictureButtonNow, PictureButtonOption,
             PictureButtonBrowse })
        EXPECT_TRUE(PngPicture(id)) << id;
}

HIMAGELIST buttonImageList(HWND button)
{
    BUTTON_IMAGELIST image {};
    ::SendMessageA(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
    return image.himl;
}

TEST(Picture, AButtonShowsItsPictureBeforeItsCaptionAsLongAsThePicturesLive)
{
    const HWND button = ::CreateWindowExA(0, "BUTTON", "Start", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 25, nullptr,
        nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    {
        ButtonPictures pictures;
        pictures.Attach(button, PictureButtonStart);
        pictures.Attach(button, 999); // no such picture: the first stays
        const HIMAGELIST list = buttonImageList(button);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(::ImageList_GetImageCount(list), 1);
        int width = 0;
        int height = 0;
        ::ImageList_GetIconSize(list, &width, &height);
        EXPECT_EQ(width, 16);
        EXPECT_EQ(height, 16);
    }
    EXPECT_EQ(buttonImageList(button), nullptr);
    ::DestroyWindow(button);
}

} // namespace
} // namespace vespern::ui
