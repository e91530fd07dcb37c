// The program entry.
#include <QApplication>

#include "Unit1.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ПККИ RAVX"));
    ravx::TForm1 w;
    w.show();
    return app.exec();
}
