// The main window: the program grid, every state panel, the menus and the
// simulation commands. It shows the simulator's front panel and forwards the
// user's actions; the machine itself lives in the core.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QSize>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mainwindow/Report.h"
#include "mainwindow/RunPace.h"
#include "mainwindow/Simulator.h"
#include "mainwindow/Unit1_grid.h"

class QAction;
class QEventLoop;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTableWidget;

namespace ravx {

class TErrW;
class TSemi;
class Toption;
class TStack;
class TShowZU;
class TForm7;
class TAboutBox;
class ResultStore;
class TForm3;
class TForm4;
class MatrixView;
class IndicatorView;
class FlagsView;

// Where the file dialogs start the first time: the program's folder when the
// student may write there, else the home folder (an installed program lives
// in a folder nobody may write in).
QString FirstDialogFolder(const QString& programFolder);

class TForm1 : public QMainWindow, public Host {
    Q_OBJECT
public:
    // The client area the panels are laid out for, and their strip along the bottom.
    static constexpr int kClientWidth = 632;
    static constexpr int kClientHeight = 427;
    static constexpr int kStripHeight = 270;
    static constexpr int kStatusHeight = 22;  // the status line under the panels

    // `progress` is stepped three times during the initialisation, as the
    // splash window shows it. `storePath` names the results store (tests);
    // empty, the machine-wide store is used.
    explicit TForm1(const std::function<void(const QString&)>& progress = {}, const QString& storePath = {});
    ~TForm1() override;

    Simulator& sim() { return *sim_; }
    // A file named on the command line: opened once the start-up windows
    // (entry test, settings, the port) are done.
    void setStartFile(const QString& path) { startFile_ = path; }
    // Opens a program (.prg) or loads firmware (.dmp) given outside the
    // dialogs (the command line, a file dropped on the window) as the menu
    // command would once the name was chosen; another kind gets a message.
    void openGivenFile(const QString& path);
    TErrW* errorWindow() { return errW_; }
    TSemi* viewer() { return semi_; }
    Toption* settingsDialog() { return options_; }
    TStack* stackView() { return stack_; }
    TShowZU* dataRamView() { return showZU_; }
    TForm7* tasksWindow() { return tasks_; }
    TAboutBox* aboutBox() { return about_; }
    TForm3* displayRamView() { return form3_; }
    TForm4* fillDialog() { return form4_; }

    // ---- the commands of the menu "Запуск" ----
    void BitBtn1Click();  // one step
    void StepBackClick();     // "Шаг назад", Shift+F8: the state before the last step
    void RunToCursorClick();  // "Выполнить до курсора", F4
    void N29Click();      // automatic run
    void N48Click();      // fast run
    void N32Click();      // toggle the breakpoint of the cursor row
    void N33Click();      // clear all breakpoints
    void ResetKey();
    void N5Click();  // exit
    // The automatic run's pace in steps a second, 0 the fastest ("Скорость").
    void SetRunPace(int stepsPerSecond);
    int RunPace() const { return runPace_; }
    // How many steps of the last automatic run were shown one by one.
    uint64_t StepsShown() const { return stepsShown_; }

    // ---- the commands of the menu "Файл" (Unit1_files.cpp) ----
    void OpenProgramClick();   // F3
    void LoadFirmwareClick();  // Ctrl+F3
    void SaveClick();          // "Сохранить", Ctrl+S: into the program's own file, asked for only when it has none
    void SaveProgramClick();   // F2
    void SaveFirmwareClick();  // Ctrl+F2
    void ReportClick();        // "Генерация отчета", Ctrl+P
    // "Настройка" → "Генерация отчета": the options pop-up menu, opened again
    // at the same point after every click.
    void ReportOptionsClick();
    ReportOptions& reportOptions() { return reportOptions_; }
    // The options menu while it is open (for the tests), else null.
    QMenu* reportOptionsMenu() const { return reportMenu_; }

    // ---- the commands of the menus "Просмотр", "Настройка" and "Помощь" ----
    void N10Click();  // the stack view
    void N11Click();  // the data RAM view
    void N12Click();  // the display RAM view
    void N13Click();  // the tasks window
    void N16Click();  // "Скрыть": the fill dialog's list on or off
    void N14Click();  // the settings dialog
    void N15Click();   // the test results (F5)
    void HelpClick();  // help, context 1
    void TaskHelpClick();  // help on the tasks, context 7
    void AboutClick();

    // ---- the commands of the menu "Правка" ----
    void CopyMClick();    // copy the selected rows to the clipboard
    void InsertMClick();  // paste a program block at the cursor row
    void DeleteMClick();  // delete the selected rows
    void N18Click();      // insert a row
    void N20Click();      // delete a row
    void UndoClick();     // "Отменить", Ctrl+Z: the last change of the rows
    void RedoClick();     // "Повторить", Ctrl+Shift+Z

    // Refreshes every panel from the core.
    void ShowState();
    // The core's rows changed behind the grid (a loaded file, a test).
    void ProgramChanged() { programModel_->allChanged(); }
    // What follows a step: the panels and the program grid's current row.
    void afterStep();
    void ShowRegs();

    // Widgets the tests and other windows reach.
    ProgramGrid* Grid1 = nullptr;
    QTableWidget* G1 = nullptr;
    MatrixView* MGrid = nullptr;
    IndicatorView* DGrid = nullptr;
    QFrame* IndicatorPanel = nullptr;
    FlagsView* FlGrid = nullptr;
    QCheckBox* CtrlB = nullptr;
    QCheckBox* ShftB = nullptr;
    QLineEdit* STRInp = nullptr;
    QLabel* FastLabel = nullptr;
    QLabel* CWLab = nullptr;
    QLabel* labelNamed(const QString& name) const;
    QAction* actionNamed(const QString& caption) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Host
    void reportError(uint8_t code) override;
    void beep() override;
    bool processEvents() override;
    void stackChanged() override;
    void dataRamChanged() override;
    void displayRamChanged() override;
    void fillDialogListEnabled(bool enabled, int uses) override;

    void buildMenu();
    void buildGrid();
    void buildPanels(QWidget* strip);
    void FormShow();
    void positionGridOnIp();
    // What the window shows after the machine was reset.
    void showReset();
    ResultStore& store();
    // The shared open and save dialogs, titled by what they open or save:
    // the filter and default extension are set before showing; they start in
    // the folder where a file was last chosen in any of them (kept in the
    // user's settings for the next run), before that in FirstDialogFolder.
    // Empty when cancelled.
    enum class FileDialog { Open, Save };
    QString chooseFile(FileDialog which, const QString& title, const QString& filter, const QString& suffix,
                       const QString& suggested);
    // Before the rows are left (another program opened, the window closed):
    // when they changed since the last open or save, asks "Сохранить
    // изменения?". False when the student cancelled or the save failed.
    bool keepOrSaveChanges();
    // The file commands once the name is known.
    void openProgramFile(const QString& path);
    void loadFirmwareFile(const QString& path);
    // Saves the program to known, or to a file chosen in the save dialog.
    bool saveProgramAs(const QString& known);
    // Runs a file command; a failure shows its message and changes nothing.
    bool fileCommand(const std::function<void()>& command);
    void refreshG1();
    void refreshBreakpoint(int address);
    void runAutomatic(bool fast, int targetRow = -1);
    void buildPaceMenu(QMenu* run);
    // Waits for a step's moment in a paced run, answering the student
    // meanwhile; false when the moment had already come.
    bool waitUntil(const QElapsedTimer& clock, int64_t dueMs);
    void stopRun();
    // What the window shows after the state was changed outside a step.
    void showWholeState();
    void showGoTo();
    // The left button on a panel works the input matrix's current cell.
    void toggleMatrixCell();
    // The status line: the error the current row's text already decides, or,
    // for the rest of a run, why an edit did nothing.
    void showRowStatus();
    // An edit command during a run: says why it does nothing. True then.
    bool refusedWhileRunning();
    void noteRunLock();

    struct Binding {
        QLabel* widget;
        const Label* text;
        std::string shown;
    };
    QLabel* addLabel(QWidget* parent, const QString& name, int x, int y, int w, int h, const Label* text = nullptr,
                     bool mono = true);

    std::unique_ptr<Simulator> sim_;
    ProgramModel* programModel_ = nullptr;
    QLabel* goLabC_ = nullptr;  // "Переход:"
    QLabel* goLab_ = nullptr;   // the typed address
    // pending events are looked at every few milliseconds of a run
    QElapsedTimer eventClock_;
    unsigned stepsSinceClock_ = 0;
    // A quick second click may come as a press and a double-click or as the
    // double-click alone: it is one step either way.
    bool rightPressStepped_ = false;
    TErrW* errW_ = nullptr;
    TSemi* semi_ = nullptr;
    Toption* options_ = nullptr;
    TStack* stack_ = nullptr;
    TShowZU* showZU_ = nullptr;
    TForm7* tasks_ = nullptr;
    TAboutBox* about_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    QString storePath_;
    ReportOptions reportOptions_;
    QMenu* reportMenu_ = nullptr;
    QString lastFile_[2];  // the last name chosen in each dialog
    QString programPath_;  // the program file last opened or saved
    int programPathUndoIndex_ = 0;  // the undo stack's index when it was
    QString startFile_;
    std::unique_ptr<ResultStore> store_;  // opened when first needed
    std::mt19937 random_{std::random_device{}()};
    QWidget* strip_ = nullptr;
    std::vector<Binding> bindings_;
    std::vector<QAction*> actions_;
    QLabel* regLabels_[8] = {};
    QLabel* mozuLabels_[8] = {};
    QLabel* ozuLabels_[16] = {};
    QLabel* cwCaptions_[8] = {};
    QLabel* readPoint_ = nullptr;
    QLabel* writePoint_ = nullptr;
    QLabel* seven_ = nullptr;
    QLabel* four_ = nullptr;
    QLabel* label20_ = nullptr;
    QLabel* mgridNum_ = nullptr;
    QLabel* zgOutL1_ = nullptr;
    QLabel* zgOutL_ = nullptr;
    QFrame* matrixPanel_ = nullptr;
    // what the painted views show, to repaint them only on a change
    std::array<std::array<char, kMatrixSize>, kMatrixSize> matrixShown_{};
    int matrixRow_ = -1;
    int matrixRows_ = 0;
    std::array<std::array<FixedText<8>, kDisplayPositions>, 2> indicatorShown_{};
    QSize indicatorSize_;
    bool firstShow_ = true;
    bool runLockNoted_ = false;  // the status line says why an edit did nothing
    int runPace_ = kDefaultRunPace;
    uint64_t stepsShown_ = 0;
    QEventLoop* waitLoop_ = nullptr;
    QAction* stepBackAction_ = nullptr;
    std::vector<QAction*> paceActions_;
};

}  // namespace ravx
