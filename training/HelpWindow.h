// The help window: shows the topics of "ravx.hlp" one at a time, addressed by
// their context numbers, with a contents list, links, back and forward,
// search over all topics and an adjustable font size.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QVector>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;
class QUrl;

namespace ravx {

// One topic of the help file.
struct HelpTopic {
    int context = 0;
    QString title;
    QString html;
};

// Splits the help file's HTML into its topics (see training/BuildHelp.cmake
// for the marks). Returns no topics for text that is not a help file.
QVector<HelpTopic> ParseHelpFile(const QString& html);

// The help file beside the executable.
QString HelpFilePath();

class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kGeneralContext = 1;
    static constexpr int kTasksContext = 7;

    explicit HelpWindow(QWidget* parent = nullptr);

    // Reads the file; on failure returns false and sets a Russian message.
    bool Load(const QString& path, QString* error);
    // Shows the topic; false (and nothing changes) when there is none.
    bool ShowContext(int context);
    int CurrentContext() const { return current; }
    QString CurrentTitle() const;
    QTextBrowser* Browser() const { return browser; }
    QListWidget* Contents() const { return contents; }

    bool GoBack();
    bool GoForward();
    // Finds the next occurrence of the text, from the current topic on through
    // all topics, wrapping once; false when the text occurs nowhere.
    bool FindNext(const QString& text);
    void ZoomBy(int steps);
    int FontPointSize() const;
    // A line under the text (a search that found nothing, a missing topic).
    void ShowNote(const QString& text);

private:
    QVector<HelpTopic> topics;
    QVector<int> history;
    int historyPos = -1;
    int current = 0;
    QTextBrowser* browser = nullptr;
    QListWidget* contents = nullptr;
    QLineEdit* searchBox = nullptr;
    QLabel* statusText = nullptr;
    QAction* backAction = nullptr;
    QAction* forwardAction = nullptr;

    void buildToolBar();
    void buildShortcuts();
    int indexOf(int context) const;
    void display(int context);
    void updateNavigation();
    void linkClicked(const QUrl& url);
};

// Opens the help window of `parent` (creating it once) at the context;
// a missing or damaged help file is reported in a message box.
void OpenHelp(QWidget* parent, int context);

}  // namespace ravx
