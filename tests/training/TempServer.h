// A PostgreSQL server of a test's own: a cluster made with initdb in a
// temporary folder, listening on a Unix socket there only, stopped and removed
// at the end. The server will not run as root, so a test run as root (CI)
// hands the folder to "nobody" and runs the server's programs as that user.
// Its superuser "ravx" connects without a password; every other role needs
// its password, as a lab's teacher and student roles do.
#pragma once

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <stdexcept>

namespace ravx::servertest {

class TempServer {
public:
    TempServer()
    {
        dir_.setAutoRemove(true);
        if (!dir_.isValid())
            throw std::runtime_error("no temporary folder");
        bin_ = FindBinaries();
        if (::geteuid() == 0)
            Run(QStringLiteral("chown"), {QStringLiteral("nobody:"), dir_.path()}, false);
        if (!Run(bin_ + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), Data(), QStringLiteral("-U"), QStringLiteral("ravx"), QStringLiteral("-A"),
                  QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
                  QStringLiteral("--no-sync")}))
            throw std::runtime_error("initdb failed: " + output_.toStdString());
        QFile hba(Data() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("local all ravx trust\nlocal all all scram-sha-256\n") < 0)
            throw std::runtime_error("pg_hba.conf not written");
        hba.close();
        Start();
    }
    ~TempServer() { Stop(); }
    TempServer(const TempServer&) = delete;
    TempServer& operator=(const TempServer&) = delete;

    void Start()
    {
        const QString options = QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c max_connections=40").arg(dir_.path());
        if (!Run(bin_ + QStringLiteral("/pg_ctl"), {QStringLiteral("-D"), Data(), QStringLiteral("-o"), options,
                                                    QStringLiteral("-l"), dir_.path() + QStringLiteral("/log"),
                                                    QStringLiteral("-w"), QStringLiteral("start")}))
            throw std::runtime_error("pg_ctl start failed: " + output_.toStdString());
        running_ = true;
    }
    void Stop()
    {
        if (running_)
            Run(bin_ + QStringLiteral("/pg_ctl"),
                {QStringLiteral("-D"), Data(), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                 QStringLiteral("stop")});
        running_ = false;
    }
    // A database of its own for a test, owned by the superuser or by `owner`.
    void CreateDatabase(const QString& name, const QString& owner = {})
    {
        QStringList args{QStringLiteral("-h"), dir_.path(), QStringLiteral("-U"), QStringLiteral("ravx"), name};
        if (!owner.isEmpty())
            args << QStringLiteral("--owner") << owner;
        if (!Run(bin_ + QStringLiteral("/createdb"), args))
            throw std::runtime_error("createdb failed: " + output_.toStdString());
    }
    // Runs one statement as the superuser, as an administrator would.
    bool Sql(const QString& statement, const QString& database = QStringLiteral("postgres"))
    {
        return Run(
            bin_ + QStringLiteral("/psql"),
            {QStringLiteral("-h"), dir_.path(), QStringLiteral("-U"), QStringLiteral("ravx"), QStringLiteral("-d"),
             database, QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"), statement});
    }
    QString Output() const { return output_; }
    // The address a lab would write into ravx.conf for this server.
    QString Url(const QString& database) const
    {
        return QStringLiteral("postgresql://ravx@/%1?host=%2").arg(database, dir_.path());
    }
    // The same as another role, with its password when one is given.
    QString Url(const QString& database, const QString& role, const QString& password = {}) const
    {
        const QString user = password.isEmpty() ? role : role + QLatin1Char(':') + password;
        return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user, database, dir_.path());
    }
    QString Folder() const { return dir_.path(); }

private:
    QString Data() const { return dir_.path() + QStringLiteral("/data"); }

    static QString FindBinaries()
    {
        // Debian keeps the server's programs out of PATH, one folder per version
        QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        for (auto v = versions.crbegin(); v != versions.crend(); ++v) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
            if (QFile::exists(bin + QStringLiteral("/initdb")))
                return bin;
        }
        const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
        if (initdb.isEmpty())
            throw std::runtime_error("no PostgreSQL server programs (package postgresql)");
        return QFileInfo(initdb).absolutePath();
    }

    bool Run(const QString& program, QStringList args, bool asServerUser = true)
    {
        QString command = program;
        if (asServerUser && ::geteuid() == 0) {
            args.prepend(program);
            args.prepend(QStringLiteral("--"));
            args.prepend(QStringLiteral("nobody"));
            args.prepend(QStringLiteral("-u"));
            command = QStringLiteral("runuser");
        }
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(dir_.path());
        p.start(command, args);
        const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        output_ = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/ravx-pg-XXXXXX")};
    QString bin_;
    QString output_;
    bool running_ = false;
};

}  // namespace ravx::servertest
