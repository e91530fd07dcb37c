// The program entry: the splash window while the windows are created, then
// the main window.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "mainwindow/Splash.h"
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
    ravx::PrepareRussianDates();
    Application app(argc, argv);
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

    form->show();
    return QApplication::exec();
}
