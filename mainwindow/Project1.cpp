// The program entry: the splash window while the windows are created, then
// the main window.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/Splash.h"
#include "mainwindow/StartArguments.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"

namespace {

// The one top-level handler: a failure inside any event handler (a file that
// cannot be read, say) is shown in a message box and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, QStringLiteral("ПККИ RAVX"), QString::fromUtf8(e.what()));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // --help and --version answer in the terminal, also without a display
    const std::vector<std::string> given(argv + 1, argv + argc);
    for (const std::string& arg : given) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            std::cout << ravx::StartUsage();
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            std::cout << ravx::StartVersion();
            return 0;
        }
    }
    ravx::PrepareRussianDates();
    Application app(argc, argv);
    // Qt has taken its own options (-platform and the like) out by now
    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1))
        args.push_back(a.toStdString());
    const ravx::StartArguments start = ravx::ParseStartArguments(args);
    if (start.action == ravx::StartArguments::Action::Error) {
        std::cerr << start.error << "\n" << ravx::StartUsage();
        return 2;
    }
    // the window makes the executable's folder current: a relative name is
    // taken from where the program was started
    const QString startFile =
        start.file.empty() ? QString() : QFileInfo(QString::fromStdString(start.file)).absoluteFilePath();
    ravx::InstallRussian();
    ravx::InstallFontFallbacks();

    auto* splash = new ravx::TSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();
    splash->setProgress(1);
    splash->setStatus(QStringLiteral("Создание форм"));
    splash->setProgress(2);
    // The name only: a display name would be appended to every window's caption.
    QApplication::setApplicationName(QStringLiteral("ПККИ RAVX"));

    std::unique_ptr<ravx::TForm1> form;
    try {
        form = std::make_unique<ravx::TForm1>([splash](const QString& status) {
            splash->stepProgress();
            if (!status.isEmpty())
                splash->setStatus(status);
            QApplication::processEvents();
        });
    } catch (const std::exception&) {
        QMessageBox::critical(nullptr, QStringLiteral("ПККИ RAVX"),
                              QStringLiteral("Не могу создать обьект моделирования таймера!"));
        delete splash;
        return 1;
    }
    // the windows of the other dialogs join here as they are built
    splash->setStatus(QStringLiteral("Создание форм"));
    for (int position = 6; position <= 10; ++position)
        splash->setProgress(position);
    delete splash;

    if (!start.file.empty())
        form->setStartFile(startFile);
    form->show();
    return QApplication::exec();
}
