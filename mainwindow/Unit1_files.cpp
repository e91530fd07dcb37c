// The commands of the menu "Файл": the shared open and save dialogs and the
// four file commands over the core's file sequences.
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"
#include "mainwindow/ProgramFile.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Unit1.h"

namespace ravx {
namespace {
const QString kProgramFilter = QStringLiteral("Программы (*.prg)");
const QString kFirmwareFilter = QStringLiteral("Прошивка (*.dmp)");
}  // namespace

QString TForm1::chooseFile(FileDialog which, const QString& filter, const QString& suffix, const QString& suggested)
{
    const int d = static_cast<int>(which);
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(which == FileDialog::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(which == FileDialog::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    // the first use starts beside the program, later ones where the last ended
    const QString folder = dialogUsed_[d] && !lastFile_[d].isEmpty() ? QFileInfo(lastFile_[d]).absolutePath()
                                                                     : QCoreApplication::applicationDirPath();
    dialog.setDirectory(folder);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    dialogUsed_[d] = true;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastFile_[d] = dialog.selectedFiles().first();
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

void TForm1::OpenProgramClick()
{
    Grid1->commitEditing();
    const QString path = chooseFile(FileDialog::Open, kProgramFilter, QStringLiteral("prg"), {});
    if (path.isEmpty())
        return;
    if (!fileCommand([&] { OpenProgram(*sim_, path.toStdString()); }))
        return;
    setWindowTitle(QString::fromStdString(ProgramFileCaption(path.toStdString())));
    programModel_->allChanged();
    showReset();  // the open has reset the machine
}

void TForm1::SaveProgramClick()
{
    Grid1->commitEditing();
    const QString path = chooseFile(FileDialog::Save, kProgramFilter, QStringLiteral("prg"), {});
    if (path.isEmpty())
        return;
    if (fileCommand([&] { SaveProgram(*sim_, path.toStdString()); }))
        setWindowTitle(QString::fromStdString(ProgramFileCaption(path.toStdString())));
}

namespace {
// The dump suggested after the last program: its name up to the first "." and ".dmp".
QString dumpName(const QString& last) { return QString::fromStdString(SuggestedDumpName(last.toStdString())); }
}  // namespace

void TForm1::LoadFirmwareClick()
{
    Grid1->endGoTo();
    const int d = static_cast<int>(FileDialog::Open);
    const QString path = chooseFile(FileDialog::Open, kFirmwareFilter, QStringLiteral("dmp"), dumpName(lastFile_[d]));
    if (!path.isEmpty() && fileCommand([&] { LoadFirmware(*sim_, path.toStdString()); }))
        showZU_->DataRamChanged();
}

void TForm1::SaveFirmwareClick()
{
    Grid1->endGoTo();
    const int d = static_cast<int>(FileDialog::Save);
    const QString path = chooseFile(FileDialog::Save, kFirmwareFilter, QStringLiteral("dmp"), dumpName(lastFile_[d]));
    if (!path.isEmpty())
        fileCommand([&] { SaveFirmware(*sim_, path.toStdString()); });
}

namespace {
// "Отчеты|*.txt" as the dialog wants it: "Отчеты (*.txt)".
QString qtFilter(std::string_view filter)
{
    const QString f = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()));
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
        // the listing's dialog opens with the name it last held; the state
        // report suggests one made from it
        const QString suggested = file == ReportFile::Listing
                                      ? lastFile_[d]
                                      : QString::fromStdString(SuggestedStateReportName(lastFile_[d].toStdString()));
        const QString path = chooseFile(FileDialog::Save, qtFilter(dialog.filter),
                                        QString::fromUtf8(dialog.defaultExtension.data(),
                                                          static_cast<qsizetype>(dialog.defaultExtension.size())),
                                        suggested);
        if (path.isEmpty())
            continue;  // cancelling one file skips only that one
        fileCommand([&] { WriteReport(file, path.toStdString(), ReportSourcesOf(*sim_), reportOptions_); });
    }
}

void TForm1::ReportOptionsClick()
{
    const QPoint at = mapToGlobal(QPoint(280, 100));
    for (;;) {
        QMenu menu(this);
        reportMenu_ = &menu;
        for (const ReportOptionItem& item : kReportOptionItems) {
            if (item.caption.empty()) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size())));
            a->setCheckable(true);
            a->setChecked(reportOptions_.*item.mark);
            a->setEnabled(!item.content || reportOptions_.OtchC);  // greyed, marks kept
            a->setData(static_cast<int>(&item - kReportOptionItems.data()));
        }
        QAction* chosen = menu.exec(at);
        reportMenu_ = nullptr;
        if (!chosen)
            return;  // a click outside closes it
        bool& mark = reportOptions_.*kReportOptionItems[chosen->data().toInt()].mark;
        mark = !mark;
    }
}

}  // namespace ravx
