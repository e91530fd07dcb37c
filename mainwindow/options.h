// The settings dialog "Настройка": shows and edits a SettingsForm; "Ввод"
// applies it through the core, "Отмена" applies nothing. Key auto-release
// and focus follows mouse take effect as they are clicked.
#pragma once

#include <QDialog>

#include "mainwindow/SettingsForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ravx {

class Toption : public QDialog {
    Q_OBJECT
public:
    Toption(Simulator& sim, QWidget* parent = nullptr);

    // Shows the dialog modally over the current settings; the cancel button
    // can be disabled (the first showing at start-up). Returns whether the
    // settings were applied.
    bool Run(bool cancelAllowed = true);

    QComboBox* GroupList = nullptr;
    QComboBox* MachineList = nullptr;
    QLineEdit* PortEdit = nullptr;
    QLineEdit* AddressEdit = nullptr;
    QButtonGroup* Generators = nullptr;
    QCheckBox* KG_P = nullptr;
    QCheckBox* AutoUpC = nullptr;
    QCheckBox* ShiftC = nullptr;
    QCheckBox* StrbChk = nullptr;
    QCheckBox* MouseFocus = nullptr;
    QButtonGroup* RegisterModes = nullptr;
    QPushButton* Button2 = nullptr;  // "Ввод"
    QPushButton* Button1 = nullptr;  // "Отмена"

    // Esc and the close box count as "Отмена": not while it is disabled.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const SettingsForm& f);
    SettingsForm form() const;
    void showPort();
    void Button2Click();

    Simulator& sim_;
};

}  // namespace ravx
