#include "ComputerPicker.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include <memory>

namespace vespern::ui {

namespace {

// Ends the discovery however the dialog closes.
class DiscoveryRun {
public:
    explicit DiscoveryRun(ComputerDiscovery& discovery)
        : discovery_(discovery)
    {
    }
    DiscoveryRun(const DiscoveryRun&) = delete;
    DiscoveryRun& operator=(const DiscoveryRun&) = delete;
    ~DiscoveryRun() { discovery_.Stop(); }

private:
    ComputerDiscovery& discovery_;
};

} // namespace

std::optional<std::string> PickComputer(const std::string& title, ComputerDiscovery& discovery)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("ComputerBrowser"));
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setAccessibleName(QString::fromStdString(title));
    dialog.setWindowModality(Qt::ApplicationModal);

    auto* layout = new QVBoxLayout(&dialog);
    auto* status = new QLabel(QStringLiteral("Looking for computers on the network..."), &dialog);
    status->setObjectName(QStringLiteral("StatusLabel"));
    layout->addWidget(status);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("ComputerList"));
    list->setAccessibleName(QStringLiteral("Computers on the network"));
    list->setSortingEnabled(true);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    ok->setAccessibleName(QStringLiteral("Choose the selected computer"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel browsing"));
    layout->addWidget(buttons);
    dialog.resize(320, 300);

    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::currentItemChanged, ok,
        [ok](QListWidgetItem* current) { ok->setEnabled(current != nullptr); });
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);

    const DiscoveryRun run(discovery);
    const bool started = discovery.Start([list](const std::string& name) {
        list->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    });
    if (!started)
        status->setText(QStringLiteral("The network cannot be searched for computers."));
    std::unique_ptr<QSocketNotifier> notifier;
    if (started && discovery.EventFd() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(discovery.EventFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &dialog, [&discovery, &notifier, status] {
            discovery.Dispatch();
            if (discovery.EventFd() >= 0)
                return;
            notifier->setEnabled(false);
            status->setText(QStringLiteral("The search for computers stopped."));
        });
    }
    // Whatever arrived with the replies to the start is waiting already.
    discovery.Dispatch();

    if (dialog.exec() != QDialog::Accepted || list->currentItem() == nullptr)
        return std::nullopt;
    return list->currentItem()->text().toStdString();
}

} // namespace vespern::ui
