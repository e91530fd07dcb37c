// The commands of the menu "Файл": the shared open and save dialogs, the file
// commands over the core's file sequences, the report and its options.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"
#include "mainwindow/ProgramFile.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/StartArguments.h"
#include "mainwindow/Unit1.h"

namespace ravx {
namespace {
const QString kProgramFilter = QStringLiteral("Программы (*.prg)");
const QString kFirmwareFilter = QStringLiteral("Прошивка (*.dmp)");

// The folder where a file was last chosen lives in the student's own
// settings (~/.config/ravx/ravx.ini), so the dialogs find it again in the
// next run; the lab's results store is no place for it.
const QString kFolderKey = QStringLiteral("dialogs/folder");

QString rememberedFolder()
{
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ravx"),
                             QStringLiteral("ravx"));
    const QString folder = settings.value(kFolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolderOf(const QString& file)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ravx"), QStringLiteral("ravx"));
    settings.setValue(kFolderKey, QFileInfo(file).absolutePath());
}
}  // namespace

QString FirstDialogFolder(const QString& programFolder)
{
    const QFileInfo folder(programFolder);
    return folder.isDir() && folder.isWritable() ? folder.absoluteFilePath() : QDir::homePath();
}

QString TForm1::chooseFile(FileDialog which, const QString& title, const QString& filter, const QString& suffix,
                           const QString& suggested)
{
    const int d = static_cast<int>(which);
    // Every dialog opens where a file was last chosen in any of them, in
    // this run or an earlier one; before the first choice (or when that
    // folder is gone) beside the program, or in the home folder when nobody
    // may write there, as in an installed package. The folder is given at
    // construction: a dialog made without one first lists the folder Qt
    // remembers from any earlier program, however slow.
    QString folder = rememberedFolder();
    if (folder.isEmpty())
        folder = FirstDialogFolder(QCoreApplication::applicationDirPath());
    QFileDialog dialog(this, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(which == FileDialog::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(which == FileDialog::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastFile_[d] = dialog.selectedFiles().first();
    rememberFolderOf(lastFile_[d]);
    return lastFile_[d];
}

bool TForm1::fileCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const FileError& e) {
        QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
        return false;
    }
}

bool TForm1::keepOrSaveChanges()
{
    Grid1->commitEditing();
    if (!sim_->ProgramChangedSinceSaved())
        return true;
    QMessageBox ask(QMessageBox::Question, windowTitle(), QStringLiteral("Сохранить изменения?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    ask.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    ask.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    ask.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    ask.setDefaultButton(QMessageBox::Yes);
    ask.setEscapeButton(QMessageBox::Cancel);
    switch (ask.exec()) {
    case QMessageBox::Yes: return saveProgramAs(programPath_);
    case QMessageBox::No: return true;
    default: return false;
    }
}

bool TForm1::saveProgramAs(const QString& known)
{
    QString path = known;
    if (path.isEmpty()) {
        lastFile_[static_cast<int>(FileDialog::Save)].clear();  // the name box starts empty
        path = chooseFile(FileDialog::Save, QStringLiteral("Сохранить программу"), kProgramFilter,
                          QStringLiteral("prg"), {});
    }
    if (path.isEmpty() || !fileCommand([&] { SaveProgram(*sim_, path.toStdString()); }))
        return false;
    programPath_ = path;
    programPathUndoIndex_ = programModel_->undoStack()->index();
    setWindowTitle(QString::fromStdString(ProgramFileCaption(path.toStdString())));
    return true;
}

void TForm1::OpenProgramClick()
{
    if (refusedWhileRunning() || !keepOrSaveChanges())
        return;
    lastFile_[static_cast<int>(FileDialog::Open)].clear();  // the name box starts empty
    const QString path =
        chooseFile(FileDialog::Open, QStringLiteral("Открыть программу"), kProgramFilter, QStringLiteral("prg"), {});
    if (!path.isEmpty())
        openProgramFile(path);
}

void TForm1::openProgramFile(const QString& path)
{
    if (!fileCommand([&] { OpenProgram(*sim_, path.toStdString()); }))
        return;
    programPath_ = path;
    setWindowTitle(QString::fromStdString(ProgramFileCaption(path.toStdString())));
    programModel_->allChanged();
    programPathUndoIndex_ = programModel_->undoStack()->index();
    showReset();  // the open has reset the machine
}

void TForm1::SaveClick()
{
    Grid1->commitEditing();
    // rows undone to before the file was opened or saved are not that file's:
    // they are saved through the dialog, never over the file unasked
    const bool ownRows = programModel_->undoStack()->index() >= programPathUndoIndex_;
    saveProgramAs(ownRows ? programPath_ : QString());
}

void TForm1::SaveProgramClick()
{
    Grid1->commitEditing();
    saveProgramAs({});
}

namespace {
// The dump suggested after the last program: its name up to the first "." and ".dmp".
QString dumpName(const QString& last) { return QString::fromStdString(SuggestedDumpName(last.toStdString())); }
}  // namespace

void TForm1::LoadFirmwareClick()
{
    Grid1->endGoTo();
    const int d = static_cast<int>(FileDialog::Open);
    const QString path = chooseFile(FileDialog::Open, QStringLiteral("Загрузить прошивку"), kFirmwareFilter,
                                    QStringLiteral("dmp"), dumpName(lastFile_[d]));
    if (!path.isEmpty())
        loadFirmwareFile(path);
}

void TForm1::loadFirmwareFile(const QString& path)
{
    if (fileCommand([&] { LoadFirmware(*sim_, path.toStdString()); }))
        showZU_->DataRamChanged();
}

void TForm1::openGivenFile(const QString& given)
{
    const QString path = QFileInfo(given).absoluteFilePath();
    const FileKind kind = KindOfFile(path.toStdString());
    if (kind == FileKind::Unknown) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("Файл «%1» не открыт: открываются программы (.prg) и прошивки (.dmp).")
                                  .arg(QFileInfo(path).fileName()));
        return;
    }
    if (kind == FileKind::Program) {
        Grid1->commitEditing();
        if (refusedWhileRunning() || !keepOrSaveChanges())
            return;
    } else {
        Grid1->endGoTo();
    }
    // as if chosen in the open dialog: later dialogs start in its folder
    lastFile_[static_cast<int>(FileDialog::Open)] = path;
    rememberFolderOf(path);
    if (kind == FileKind::Program)
        openProgramFile(path);
    else
        loadFirmwareFile(path);
}

namespace {
// The one local .prg or .dmp file a drag brings, or nothing.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const QString path = data->urls().first().toLocalFile();
    return KindOfFile(path.toStdString()) == FileKind::Unknown ? QString() : path;
}
}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* e)
{
    if (!sim_->Running() && !QApplication::activeModalWidget() && !droppedFile(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e)
{
    const QString path = droppedFile(e->mimeData());
    if (path.isEmpty() || sim_->Running())
        return;
    e->acceptProposedAction();
    // after the drop has ended: the question and the messages are modal
    QTimer::singleShot(0, this, [this, path] { openGivenFile(path); });
}

void TForm1::SaveFirmwareClick()
{
    Grid1->endGoTo();
    const int d = static_cast<int>(FileDialog::Save);
    const QString path = chooseFile(FileDialog::Save, QStringLiteral("Сохранить прошивку"), kFirmwareFilter,
                                    QStringLiteral("dmp"), dumpName(lastFile_[d]));
    if (!path.isEmpty())
        fileCommand([&] { SaveFirmware(*sim_, path.toStdString()); });
}

namespace {
QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "Текст программы|*.txt" as the dialog wants it: "Текст программы (*.txt)".
QString qtFilter(std::string_view filter)
{
    const QString f = fromView(filter);
    const qsizetype bar = f.indexOf(QLatin1Char('|'));
    return bar < 0 ? f : f.left(bar) + QStringLiteral(" (") + f.mid(bar + 1) + QLatin1Char(')');
}
}  // namespace

void TForm1::ReportClick()
{
    Grid1->commitEditing();
    Grid1->endGoTo();
    const int d = static_cast<int>(FileDialog::Save);
    for (ReportFile file : ReportFiles(reportOptions_)) {
        const ReportDialog dialog = ReportDialogFor(file);
        // each report suggests a name of its own kind made from the last
        // file, so the state report follows the listing just written
        const QString suggested = QString::fromStdString(SuggestedReportName(file, lastFile_[d].toStdString()));
        const QString path = chooseFile(FileDialog::Save, fromView(dialog.title), qtFilter(dialog.filter),
                                        fromView(dialog.defaultExtension), suggested);
        if (path.isEmpty())
            continue;  // cancelling one file skips only that one
        if (!fileCommand([&] { WriteReport(file, path.toStdString(), ReportSourcesOf(*sim_), reportOptions_); }))
            return;  // a failed write ends the report
    }
}

void TForm1::ReportOptionsClick()
{
    const QPoint at = frameGeometry().topLeft() + QPoint(280, 100);  // from the window's outer corner
    for (;;) {
        QMenu menu(this);
        reportMenu_ = &menu;
        for (const ReportOptionItem& item : kReportOptionItems) {
            if (item.caption.empty()) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(fromView(item.caption));
            a->setCheckable(true);
            a->setChecked(reportOptions_.*item.mark);
            a->setEnabled(!item.content || reportOptions_.OtchC);  // greyed, marks kept
            a->setData(static_cast<int>(&item - kReportOptionItems.data()));
        }
        QAction* chosen = menu.exec(at);
        reportMenu_ = nullptr;
        if (!chosen)
            return;  // a click outside closes it
        ToggleReportOption(reportOptions_, static_cast<std::size_t>(chosen->data().toInt()));
    }
}

}  // namespace ravx
