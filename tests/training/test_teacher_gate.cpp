// F5 as a lab sets it up: without a teacher's password the results window
// opens at once; with one (the teacher's role on the lab's server, or the
// hash in the configuration file) the dialog "Пароль преподавателя" comes
// first, a wrong password is answered with "Неверный пароль" and no names,
// the right one opens the list, Esc opens nothing. The server is one of the
// test's own. With RAVX_SCREENSHOTS set to a folder the dialog and the window
// are saved there (teacher-password.png, results-teacher.png).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "tests/mainwindow/TempDir.h"
#include "tests/training/TempServer.h"
#include "training/Result.h"
#include "training/ResultStore.h"
#include "training/ServerResultStore.h"
#include "training/TeacherAccess.h"
#include "training/TeacherPassword.h"

using namespace ravx;

namespace {

constexpr int kPollMs = 10;
constexpr int kPollTries = 1000;
const QString kTeacherPassword = QStringLiteral("Учитель-1");

servertest::TempServer* gServer = nullptr;

// Runs `action` on the first modal window for which `ready` holds.
void whenModal(std::function<bool(QWidget*)> ready, std::function<void(QWidget*)> action, int tries = kPollTries)
{
    QTimer::singleShot(kPollMs, [ready = std::move(ready), action = std::move(action), tries]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (w && ready(w))
            action(w);
        else if (tries > 0)
            whenModal(std::move(ready), std::move(action), tries - 1);
    });
}

template <typename T>
bool is(QWidget* w)
{
    return qobject_cast<T*>(w) != nullptr;
}

bool anyResultsWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (is<TForm6>(w) && w->isVisible())
            return true;
    return false;
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void saveShot(QWidget* w, const char* name)
{
    const QByteArray folder = qgetenv("RAVX_SCREENSHOTS");
    if (!folder.isEmpty())
        w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

result::RecordValues Record(uint8_t good)
{
    std::mt19937 random(good);
    return result::MakeRecord(NowAsDays(), "ЭВМ-1", {5, good, 0}, random);
}

// The environment of one case, put back afterwards.
class Environment {
public:
    void Set(const char* name, const QString& value)
    {
        if (!saved_.contains(name))
            saved_.insert(name, qgetenv(name));
        qputenv(name, value.toUtf8());
    }
    ~Environment()
    {
        for (auto it = saved_.cbegin(); it != saved_.cend(); ++it)
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
    }

private:
    QMap<QByteArray, QByteArray> saved_;
};

// A lab's configuration and the store the main window would hold.
struct Lab {
    std::unique_ptr<ResultStore> store;
    QString wrong;  // what a wrong password is answered with, at its start
};

using LabMaker = std::function<Lab(filetest::TempDir&, Environment&)>;

void WriteConf(const std::string& path, const QString& text)
{
    QFile conf(QString::fromStdString(path));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(text.toUtf8());
}

// This machine's file, and the configuration file of the case.
Lab EmbeddedLab(filetest::TempDir& dir, Environment& env, const QString& conf)
{
    env.Set("RAVX_CONF", QString::fromStdString(dir.File("ravx.conf")));
    env.Set("RAVX_RESULTS", QString::fromStdString(dir.File("results.ini")));
    WriteConf(dir.File("ravx.conf"), conf);
    auto store = std::make_unique<IniResultStore>(QString::fromStdString(dir.File("results.ini")));
    store->StoreResult(QStringLiteral("Студент"), Record(3));
    store->StoreResult(QStringLiteral("Студент"), Record(4));
    return {std::move(store), QString::fromUtf8(kWrongPasswordText)};
}

// The lab's server set up for the students' role; the machine connects as
// that role and the teacher's role is named.
Lab ServerLab(filetest::TempDir& dir, Environment& env)
{
    static int n = 0;
    const QString database = QStringLiteral("gate%1").arg(++n);
    gServer->CreateDatabase(database, QStringLiteral("teacher"));
    const QString teacher = gServer->Url(database, QStringLiteral("teacher"), kTeacherPassword);
    const SetUpOutcome setUp = ServerResultStore(teacher, nullptr).SetUpStudentRole(QStringLiteral("student"));
    if (!setUp.error.isEmpty())
        qFatal("set-up failed: %s", qPrintable(setUp.error));
    const QString student = gServer->Url(database, QStringLiteral("student"), QStringLiteral("S-1"));
    env.Set("RAVX_CONF", QString::fromStdString(dir.File("ravx.conf")));
    env.Set("RAVX_RESULTS", student);
    env.Set("RAVX_RESULTS_TEACHER", QStringLiteral("teacher"));
    env.Set("XDG_DATA_HOME", QString::fromStdString(dir.File("data")));  // this machine's file
    auto store = std::make_unique<ServerResultStore>(
        student, std::make_unique<IniResultStore>(QString::fromStdString(dir.File("local.ini"))));
    store->StoreResult(QStringLiteral("Студент"), Record(3));
    store->StoreResult(QStringLiteral("Студент"), Record(4));
    return {std::move(store), QStringLiteral("Неверный пароль роли teacher")};
}

struct Seen {
    QString message;  // under the password field after the wrong one
    bool listAfterWrong = false;
    QStringList stored;  // the names as stored, from the list's tooltips
    bool window = false;
};

// F5: the wrong password first (when asked), then `password`.
Seen PressF5(ResultStore& store, const QString& password, bool cancel = false)
{
    auto seen = std::make_shared<Seen>();
    const auto readWindow = [seen](QWidget* w) {
        auto* form = static_cast<TForm6*>(w);
        seen->window = true;
        for (int i = 0; i < form->ListBox1->topLevelItemCount(); ++i)
            seen->stored << form->ListBox1->topLevelItem(i)->toolTip(0);
        if (seen->stored.contains(QStringLiteral("Студент~"))) {
            form->ListBox1->setCurrentItem(form->ListBox1->topLevelItem(0));
            saveShot(form, "results-teacher.png");
        }
        form->reject();
    };
    whenModal([](QWidget* w) { return is<TeacherPasswordDialog>(w) || is<TForm6>(w); },
              [=](QWidget* w) {
                  if (is<TForm6>(w))
                      return readWindow(w);
                  auto* dialog = static_cast<TeacherPasswordDialog*>(w);
                  if (cancel) {
                      QTest::keyClick(dialog, Qt::Key_Escape);
                      return;
                  }
                  typeInto(dialog->PasswordE, QStringLiteral("не тот"));
                  dialog->OkB->click();
                  seen->message = dialog->MessageL->toolTip();
                  seen->listAfterWrong = anyResultsWindow() || QApplication::activeModalWidget() != dialog;
                  saveShot(dialog, "teacher-password.png");
                  whenModal(is<TForm6>, readWindow);
                  typeInto(dialog->PasswordE, password);
                  dialog->OkB->click();
              });
    ShowTestResults(nullptr, store, 1, 1, QStringLiteral("2A"), 0);
    return *seen;
}

}  // namespace

Q_DECLARE_METATYPE(LabMaker)

class TeacherGateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(gServer); }
    void f5AsksForThePasswordWhereTheLabSetOne_data();
    void f5AsksForThePasswordWhereTheLabSetOne();
    void escOpensNothing();
    void aDamagedPasswordLineOpensNothing();
};

void TeacherGateTest::f5AsksForThePasswordWhereTheLabSetOne_data()
{
    QTest::addColumn<LabMaker>("lab");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing set: at once") << LabMaker([](filetest::TempDir& dir, Environment& env) {
        return EmbeddedLab(dir, env, QStringLiteral("# no password\n"));
    }) << false;
    QTest::newRow("embedded store, password hash") << LabMaker([](filetest::TempDir& dir, Environment& env) {
        return EmbeddedLab(dir, env, QStringLiteral("teacher-password = ") + HashTeacherPassword(kTeacherPassword));
    }) << true;
    QTest::newRow("server, teacher's role") << LabMaker(ServerLab) << true;
}

void TeacherGateTest::f5AsksForThePasswordWhereTheLabSetOne()
{
    QFETCH(LabMaker, lab);
    QFETCH(bool, asks);
    filetest::TempDir dir;
    Environment env;
    const Lab made = lab(dir, env);
    const Seen seen = PressF5(*made.store, kTeacherPassword);
    QVERIFY(seen.window);
    QCOMPARE(seen.stored, (QStringList{QStringLiteral("Студент~"), QStringLiteral("Студент")}));
    if (!asks) {
        QVERIFY(seen.message.isEmpty());
        return;
    }
    QVERIFY2(seen.message.startsWith(made.wrong), qPrintable(seen.message));
    QVERIFY(!seen.listAfterWrong);
}

void TeacherGateTest::escOpensNothing()
{
    filetest::TempDir dir;
    Environment env;
    const Lab made = ServerLab(dir, env);
    const Seen seen = PressF5(*made.store, kTeacherPassword, true);
    QVERIFY(!seen.window);
    QVERIFY(!anyResultsWindow());
}

void TeacherGateTest::aDamagedPasswordLineOpensNothing()
{
    filetest::TempDir dir;
    Environment env;
    const Lab made = EmbeddedLab(dir, env, QStringLiteral("teacher-password = секрет\n"));
    QString text;
    whenModal(is<QMessageBox>, [&text](QWidget* w) {
        text = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    QCOMPARE(PressF5(*made.store, kTeacherPassword).window, false);
    QVERIFY2(text.contains(QStringLiteral("повреждена")), qPrintable(text));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    try {
        servertest::TempServer server;
        gServer = &server;
        for (const char* role :
             {"CREATE ROLE teacher LOGIN PASSWORD 'Учитель-1'", "CREATE ROLE student LOGIN PASSWORD 'S-1'"})
            if (!server.Sql(QString::fromUtf8(role)))
                throw std::runtime_error("role not made: " + server.Output().toStdString());
        TeacherGateTest test;
        return QTest::qExec(&test, argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no test server: %s\n", e.what());
        return 1;
    }
}

#include "test_teacher_gate.moc"
