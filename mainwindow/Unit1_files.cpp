// The commands of the menu "Файл": the shared open and save dialogs and the
// four file commands over the core's file sequences.
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
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

}  // namespace ravx
