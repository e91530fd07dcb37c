// Starts up as the application does (the executable's folder becomes the
// current directory) and tells where it is and which of the application's
// files it finds there, so an installed layout can be checked through the
// command symlinks without opening a window.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    QTextStream out(stdout);
    out << "dir=" << QDir::currentPath() << '\n';
    for (const char* name : {"ravx.zad", "ravx.hlp"}) {
        out << name << '=' << (QFileInfo(QString::fromLatin1(name)).isFile() ? "found" : "missing") << '\n';
    }
    return 0;
}
