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

TEST(Picture, EveryMenuPictureDecodes)
{
    for (const int id : { PictureMenuExit, PictureMenuHelp, PictureMenuShutdown, PictureMenuReboot, PictureMenuLogOff,
             PictureMenuStandBy, PictureMenuHibernate, PictureMenuHangUp, PictureMenuLock, PictureMenuMonitorOff,
             PictureMenuScreensaver })
        EXPECT_TRUE(PngPicture(id)) << id;
}

} // namespace
} // namespace vespern::ui
