#include "ui/qt/Unit5.h"
#include "QtEvents.h"
#include "support/RecordingDialogs.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct AboutBox {
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    TForm5Model model;
    QtEvents qt { application };
    UiEvents& events = qt.events;
    ui::TForm5 view { model, events, nullptr };
};

TEST(TForm5View, ShowsTheCoreGradientInOneCopy)
{
    AboutBox about;
    const QImage shot = about.view.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(361, 209));
    EXPECT_EQ(shot.pixel(300, 1) & 0xFFFFFF, 0x8787FFu);
    EXPECT_EQ(shot.pixel(300, 207) & 0xFFFFFF, 0x0101FFu);
    EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFF, 0xD58F00u);
    EXPECT_EQ(shot.pixel(360, 208) & 0xFFFFFF, 0x9B6900u);

    // Where set, the picture is kept for the documentation.
    if (const QByteArray path = qgetenv("VESPERN_ABOUT_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
}

TEST(TForm5View, ControlsCarryTheirNamesAndTexts)
{
    AboutBox about;
    EXPECT_EQ(about.view.windowTitle(), QStringLiteral("About"));
    EXPECT_FALSE(about.view.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about.view.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(about.view.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_NE(about.view.findChild<QWidget*>(QStringLiteral("GradientPanel1")), nullptr);
    for (const char* name : { "Label1", "Label2", "Label3" })
        ASSERT_NE(about.view.findChild<QLabel*>(QString::fromLatin1(name)), nullptr) << name;
    // A reader meets a dialog with the name and the version; the gradient and the rule only decorate.
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&about.view);
    EXPECT_EQ(dialog->role(), QAccessible::Dialog);
    EXPECT_EQ(dialog->text(QAccessible::Name), QStringLiteral("About"));
    QStringList read;
    for (int i = 0; i < dialog->childCount(); ++i)
        read << dialog->child(i)->text(QAccessible::Name);
    EXPECT_EQ(read, QStringList({ "Vespern", "Version 1.0" }));
    EXPECT_EQ(about.view.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Vespern"));
    EXPECT_EQ(about.view.findChild<QLabel*>(QStringLiteral("Label3"))->pos(), QPoint(256, 17));
}

TEST(TForm5View, ShowsWithoutModalityAndClosingHides)
{
    AboutBox about;
    about.events.Handle([&] { about.model.Show(); });
    EXPECT_TRUE(about.view.isVisible());
    EXPECT_FALSE(about.view.isModal());
    about.view.close();
    EXPECT_FALSE(about.model.Visible);
    EXPECT_FALSE(about.view.isVisible());
    about.events.Handle([&] { about.model.Show(); });
    EXPECT_TRUE(about.view.isVisible());
    // Escape closes it as the close button does.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&about.view, &escape);
    EXPECT_FALSE(about.model.Visible);
    EXPECT_FALSE(about.view.isVisible());
}

} // namespace
} // namespace vespern::test
