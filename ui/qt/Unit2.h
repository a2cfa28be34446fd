#pragma once

#include "core/TForm2Model.h"
#include "core/UiEvents.h"

#include <QDialog>
#include <QString>

#include <map>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace vespern::ui {

// The open-file dialog of Qt. Besides the dialog's own filter it offers all files, as programs
// here rarely carry the ".exe" ending.
class QtFileOpenDialog final : public FileOpenDialog {
public:
    explicit QtFileOpenDialog(QWidget* parent);
    std::optional<std::string> Execute(const TOpenDialog& dialog) override;

private:
    QWidget* parent_;
};

// "description|pattern|..." as Qt's "description (pattern);;..."; all files last when asked.
QString QtFileFilter(const std::string& filter, bool offerAllFiles);

// The options dialog: shown without modality, centred on the main window; Escape closes it as
// "Close" does.
class TForm2 final : public QDialog {
    Q_OBJECT
public:
    // fileDialog: the Browse dialog; the Qt dialog when null.
    TForm2(TForm2Model& model, UiEvents& events, QWidget* mainWindow, FileOpenDialog* fileDialog = nullptr);
    ~TForm2() override;

    void Refresh();
    // Escape: "Close".
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QCheckBox* addCheckBox(TCheckBox& box, const char* name, QWidget* parent, QRect geometry);
    QWidget* addPanel(const char* name, const QString& accessibleName, QWidget* parent, QRect geometry);
    // A push button; with the program picture of that name before its caption where one fits.
    QPushButton* addButton(
        const TButton& button, const char* name, QWidget* parent, QRect geometry, const char* picture = nullptr);
    void buildGeneral(QWidget* panel);
    void buildOnAction(QWidget* panel);
    void buildShortcut(QWidget* panel);
    void applyMainWindowStyle();
    void showCentred();

    TForm2Model& model_;
    UiEvents& events_;
    std::unique_ptr<FileOpenDialog> ownDialog_;
    FileOpenDialog* fileDialog_;
    QTabBar* tabs_ = nullptr;
    QWidget* panels_[3] = {};
    QGroupBox* groupBox1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    std::map<QCheckBox*, TCheckBox*> checkBoxes_;
};

} // namespace vespern::ui
