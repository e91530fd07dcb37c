// The tasks window "Задания": a small stay-on-top tool window that shows one
// of the 22 training tasks in one of its five kinds, as read from "ravx.zad"
// beside the executable. What it shows is worked out by the core
// (training/TaskFile); the window only lays it out.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "training/TaskConventions.h"
#include "training/TaskFile.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace ravx {

class TForm7 : public QWidget {
    Q_OBJECT
public:
    // `portText` gives the port number text of the settings each time a task
    // is displayed.
    explicit TForm7(std::function<QString()> portText, QWidget* parent = nullptr);

    // What "Проверить" checks the shown task and kind against: the student's
    // program, on a copy of the machine. Without it the button is hidden.
    using SolutionChecker = std::function<training::CheckVerdict(const training::TaskTerms&)>;
    void SetSolutionChecker(SolutionChecker check);

    // The folder that holds "ravx.zad"; the executable's folder unless set.
    void SetTaskFolder(const QString& folder) { folder_ = folder; }

    // Removes the grid selections, reads the task file and shows the chosen task.
    void FormActivate();
    void ComboBox1Change();
    void EDChange();
    // "Проверить": checks the program and answers in a message box.
    void CheckBClick();

    QComboBox* ComboBox1 = nullptr;
    QSpinBox* ED = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QTableWidget* StringGrid2 = nullptr;
    QLabel* P1 = nullptr;
    QLabel* P2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel *IND = nullptr, *KOL = nullptr, *LIN = nullptr, *OZU = nullptr, *KOD = nullptr, *MD = nullptr;
    QLabel *PPOP = nullptr, *PRC = nullptr, *PKKI = nullptr, *IO = nullptr;
    QLabel* KindL = nullptr;  // what the shown kind asks, in one line
    QPushButton* CheckB = nullptr;

protected:
    bool event(QEvent* e) override;

private:
    QWidget* BuildHeader();
    QWidget* BuildGrids();
    QWidget* BuildLabels();
    QWidget* BuildKindLine();
    std::optional<training::TaskTerms> ShownTerms() const;
    void DisplayTask();
    void ShowDisplay();
    void ShowMessage(const QString& text);

    std::function<QString()> portText_;
    SolutionChecker check_;
    QString folder_;
    std::optional<std::vector<uint8_t>> file_;  // none while the file could not be opened
    training::TaskDisplay display_;
    bool inMessage_ = false;  // one of our message boxes is up or has just closed
};

}  // namespace ravx
