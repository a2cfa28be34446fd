#include "ui/qt/components/ComputerPicker.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

class ListedDiscovery final : public ComputerDiscovery {
public:
    bool stopped = false;
    bool Available(std::string&) override { return true; }
    bool Start(Found found) override
    {
        found_ = std::move(found);
        return true;
    }
    int EventFd() const override { return -1; }
    void Dispatch() override
    {
        found_("WS2");
        found_("SERVER1");
    }
    void Stop() override { stopped = true; }

private:
    Found found_;
};

// Runs once the dialog's own loop has started: acts on the open browser.
void whenOpen(const std::function<void(QDialog&, QListWidget&)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ComputerList"));
        ASSERT_NE(list, nullptr);
        act(*dialog, *list);
    });
}

TEST(ComputerPicker, ListsWhatIsFoundAndReturnsTheChoice)
{
    ListedDiscovery discovery;
    QStringList listed;
    whenOpen([&](QDialog& dialog, QListWidget& list) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Computer"));
        EXPECT_TRUE(dialog.isModal());
        for (int i = 0; i < list.count(); ++i)
            listed << list.item(i)->text();
        list.setCurrentItem(list.findItems(QStringLiteral("SERVER1"), Qt::MatchExactly).front());
        dialog.accept();
    });
    EXPECT_EQ(ui::PickComputer("Select Computer", discovery), std::optional<std::string>("SERVER1"));
    EXPECT_EQ(listed, (QStringList { QStringLiteral("SERVER1"), QStringLiteral("WS2") }));
    EXPECT_TRUE(discovery.stopped);
}

TEST(ComputerPicker, CancelReturnsNothing)
{
    ListedDiscovery discovery;
    whenOpen([](QDialog& dialog, QListWidget& list) {
        list.setCurrentRow(0);
        dialog.reject();
    });
    EXPECT_EQ(ui::PickComputer("Select Computer", discovery), std::nullopt);
    EXPECT_TRUE(discovery.stopped);
}

} // namespace
} // namespace vespern::test
