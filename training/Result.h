// The results window "Результаты теста": the teacher's view of the stored test
// results, newest first, with the machine each was stored on, and the purge of
// records older than about ten days.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QTreeWidget;
class QProgressBar;
class QPushButton;

namespace ravx {

class ResultStore;

class TForm6 : public QDialog {
    Q_OBJECT

public:
    // `checksum` is the "Контрольная сумма :" text (group, machine, port,
    // error counter), made by the caller from the settings and the machine.
    TForm6(ResultStore& store, const QString& checksum, QWidget* parent = nullptr);

    void FormShow();
    void ShowEntry();
    // Why this machine's own records went to its file, for a window that
    // shows the lab's server as the teacher's role.
    void SetMachineNotice(const QString& notice);

    QTreeWidget* ListBox1;  // the names, and the machine each was stored on
    QFrame* Panel1;
    QLabel* TimeL;
    QLabel* GrName;
    QLabel* TotalQ;
    QLabel* GoodA;
    QLabel* BadA;
    QLabel* Itog;
    QLabel* Label8;
    QLabel* StoreL;  // which store the window shows and, in red, why when not the lab's
    QPushButton* Button1;
    QFrame* Panel2;
    QProgressBar* ProgressBar1;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void ListBox1Click();
    void Button1Click();

private:
    void ShowError(const QString& message);
    void ShowStoreLine();

    ResultStore& store_;
    QString checksum_;
    QString machineNotice_;
};

// Shows the results window modally over `parent`, after the teacher's
// password when the lab has set one (TeacherAccess.h): then a server's
// records are read as the teacher's role, not as the machine's.
void ShowTestResults(QWidget* parent, ResultStore& store, int group, int machine, const QString& portText,
                     unsigned errorCounter);

}  // namespace ravx
