#include "training/HelpWindow.h"

#include <algorithm>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>

#include "machine/ScreenPlace.h"

namespace ravx {

namespace {

constexpr char kHelpFileName[] = "ravx.hlp";
constexpr char kContextPrefix[] = "context-";
constexpr int kDefaultPointSize = 11;
constexpr int kMinPointSize = 7;
constexpr int kMaxPointSize = 32;
constexpr int kContentsWidth = 290;
constexpr int kWindowWidth = 960;
constexpr int kWindowHeight = 660;
// A help file is small; anything far larger is not one.
constexpr qint64 kMaxHelpFileBytes = 8 * 1024 * 1024;

const QRegularExpression& topicPattern()
{
    static const QRegularExpression re(QStringLiteral(
        R"re(<div class="topic" id="context-(\d+)" data-title="([^"]*)">([\s\S]*?)</div><!--/topic-->)re"));
    return re;
}

QString styleOf(const QString& html)
{
    static const QRegularExpression re(QStringLiteral(R"re(<style>([\s\S]*?)</style>)re"));
    const auto m = re.match(html);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString plainText(const QString& html)
{
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}

}  // namespace

QVector<HelpTopic> ParseHelpFile(const QString& html)
{
    QVector<HelpTopic> topics;
    auto it = topicPattern().globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        bool ok = false;
        const int context = m.captured(1).toInt(&ok);
        const bool known =
            std::any_of(topics.begin(), topics.end(), [context](const HelpTopic& t) { return t.context == context; });
        if (ok && !known)
            topics.push_back({context, m.captured(2), m.captured(3)});
    }
    return topics;
}

QString HelpFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kHelpFileName));
}

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Помощь"));
    resize(kWindowWidth, kWindowHeight);
    KeepOnScreen(this, Place::WindowManager);  // made smaller on a small screen

    auto* splitter = new QSplitter(this);
    contents = new QListWidget(splitter);
    contents->setObjectName(QStringLiteral("HelpContents"));
    contents->setWordWrap(true);
    browser = new QTextBrowser(splitter);
    browser->setObjectName(QStringLiteral("HelpBrowser"));
    browser->setOpenLinks(false);
    QFont font = browser->font();
    font.setPointSize(kDefaultPointSize);
    browser->setFont(font);
    splitter->addWidget(contents);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kContentsWidth, kWindowWidth - kContentsWidth});
    setCentralWidget(splitter);

    statusText = new QLabel(this);
    statusBar()->addWidget(statusText, 1);

    buildToolBar();
    buildShortcuts();
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::linkClicked);
    connect(contents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowContext(item->data(Qt::UserRole).toInt()); });
    connect(contents, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowContext(item->data(Qt::UserRole).toInt()); });
    updateNavigation();
}

void HelpWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Справка"));
    bar->setMovable(false);
    backAction = bar->addAction(QStringLiteral("◀ Назад"), this, [this] { GoBack(); });
    backAction->setShortcut(QKeySequence::Back);
    forwardAction = bar->addAction(QStringLiteral("Вперед ▶"), this, [this] { GoForward(); });
    forwardAction->setShortcut(QKeySequence::Forward);
    bar->addAction(QStringLiteral("Содержание"), this,
                   [this] { ShowContext(topics.isEmpty() ? 0 : topics[0].context); });
    bar->addSeparator();
    searchBox = new QLineEdit(bar);
    searchBox->setObjectName(QStringLiteral("HelpSearch"));
    searchBox->setPlaceholderText(QStringLiteral("Поиск в справке"));
    searchBox->setClearButtonEnabled(true);
    searchBox->setMaximumWidth(kContentsWidth - 60);
    bar->addWidget(searchBox);
    bar->addAction(QStringLiteral("Найти"), this, [this] { FindNext(searchBox->text()); });
    connect(searchBox, &QLineEdit::returnPressed, this, [this] { FindNext(searchBox->text()); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("A−"), this, [this] { ZoomBy(-1); })
        ->setToolTip(QStringLiteral("Мельче (Ctrl+минус)"));
    bar->addAction(QStringLiteral("A+"), this, [this] { ZoomBy(1); })
        ->setToolTip(QStringLiteral("Крупнее (Ctrl+плюс)"));
}

void HelpWindow::buildShortcuts()
{
    const auto add = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, slot);
    };
    add(QKeySequence::ZoomIn, [this] { ZoomBy(1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ZoomBy(1); });
    add(QKeySequence::ZoomOut, [this] { ZoomBy(-1); });
    add(QKeySequence::Find, [this] {
        searchBox->setFocus();
        searchBox->selectAll();
    });
    add(QKeySequence(Qt::Key_Escape), [this] { close(); });
}

bool HelpWindow::Load(const QString& path, QString* error)
{
    QFile file(path);
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!file.exists()) {
        *error = QStringLiteral(
                     "Файл помощи «%1» не найден в каталоге программы:\n%2\n\n"
                     "Справка недоступна. Обратитесь к преподавателю.")
                     .arg(QFileInfo(path).fileName(), folder);
        return false;
    }
    if (file.size() > kMaxHelpFileBytes || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Файл помощи «%1» не удается прочитать.\n\nОбратитесь к преподавателю.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QString html = QString::fromUtf8(file.readAll());
    QVector<HelpTopic> parsed = ParseHelpFile(html);
    if (parsed.isEmpty()) {
        *error = QStringLiteral(
                     "Файл помощи «%1» поврежден: в нем не найдено ни одного раздела.\n\n"
                     "Обратитесь к преподавателю.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QString head = QStringLiteral("<html><head><style>%1</style></head><body>").arg(styleOf(html));
    for (auto& t : parsed)
        t.html = head + t.html + QStringLiteral("</body></html>");
    topics = std::move(parsed);
    history.clear();
    historyPos = -1;
    current = 0;
    contents->clear();
    for (const auto& t : topics) {
        auto* item = new QListWidgetItem(t.title, contents);
        item->setData(Qt::UserRole, t.context);
    }
    updateNavigation();
    return true;
}

int HelpWindow::indexOf(int context) const
{
    for (int i = 0; i < topics.size(); ++i)
        if (topics[i].context == context)
            return i;
    return -1;
}

QString HelpWindow::CurrentTitle() const
{
    const int i = indexOf(current);
    return i < 0 ? QString() : topics[i].title;
}

bool HelpWindow::ShowContext(int context)
{
    if (indexOf(context) < 0)
        return false;
    if (context != current) {
        history.resize(historyPos + 1);
        history.push_back(context);
        historyPos = history.size() - 1;
        display(context);
    }
    return true;
}

void HelpWindow::display(int context)
{
    const int i = indexOf(context);
    current = context;
    browser->setHtml(topics[i].html);
    contents->setCurrentRow(i);
    setWindowTitle(QStringLiteral("Помощь — %1").arg(topics[i].title));
    statusText->clear();
    updateNavigation();
}

bool HelpWindow::GoBack()
{
    if (historyPos <= 0)
        return false;
    display(history[--historyPos]);
    return true;
}

bool HelpWindow::GoForward()
{
    if (historyPos + 1 >= history.size())
        return false;
    display(history[++historyPos]);
    return true;
}

void HelpWindow::updateNavigation()
{
    backAction->setEnabled(historyPos > 0);
    forwardAction->setEnabled(historyPos + 1 < history.size());
}

void HelpWindow::linkClicked(const QUrl& url)
{
    const QString fragment = url.fragment();
    if (!fragment.startsWith(QLatin1String(kContextPrefix)))
        return;
    bool ok = false;
    const int context = fragment.mid(int(qstrlen(kContextPrefix))).toInt(&ok);
    if (!ok || !ShowContext(context))
        statusText->setText(QStringLiteral("Раздел %1 в файле помощи не найден.").arg(fragment));
}

bool HelpWindow::FindNext(const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty() || topics.isEmpty())
        return false;
    if (browser->find(wanted))
        return true;
    const int start = std::max(indexOf(current), 0);
    for (int step = 1; step <= topics.size(); ++step) {
        const HelpTopic& t = topics[(start + step) % topics.size()];
        if (!plainText(t.html).contains(wanted, Qt::CaseInsensitive))
            continue;
        if (t.context == current)
            browser->moveCursor(QTextCursor::Start);
        else
            ShowContext(t.context);
        browser->find(wanted);
        return true;
    }
    statusText->setText(QStringLiteral("Текст «%1» в справке не найден.").arg(wanted));
    return false;
}

void HelpWindow::ZoomBy(int steps)
{
    QFont font = browser->font();
    font.setPointSize(std::clamp(font.pointSize() + steps, kMinPointSize, kMaxPointSize));
    browser->setFont(font);
}

int HelpWindow::FontPointSize() const { return browser->font().pointSize(); }

void HelpWindow::ShowNote(const QString& text) { statusText->setText(text); }

void OpenHelp(QWidget* parent, int context)
{
    // The file is read afresh for every call, as the help viewer would.
    auto* window = parent ? parent->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    const bool created = !window;
    if (created)
        window = new HelpWindow(parent);
    QString error;
    if (!window->Load(HelpFilePath(), &error)) {
        if (created)
            delete window;
        else
            window->close();
        QMessageBox::warning(parent, QStringLiteral("Помощь"), error);
        return;
    }
    if (!parent)
        window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->ShowContext(context)) {
        if (!window->ShowContext(HelpWindow::kGeneralContext))
            window->ShowContext(window->Contents()->item(0)->data(Qt::UserRole).toInt());
        window->ShowNote(QStringLiteral("Раздел %1 в файле помощи не найден.").arg(context));
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace ravx
