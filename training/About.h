// The about box "О программе" and the thanks screen that a fivefold
// double-click on its picture shows over the whole screen.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;

namespace ravx {

// The about picture, 200 x 150: an indicator row spelling RAVX over a keypad.
QPixmap AboutPicture();

// The thanks text: a title and up to eighteen lines (resources/about/thanks.txt).
struct ThanksText {
    QString title;
    QStringList lines;
};
ThanksText LoadThanksText();

// One line of the thanks screen: its top, text, size and colour.
struct ThanksLine {
    int top = 0;
    QString text;
    int pointSize = 0;
    QColor color;
};
// What the thanks screen draws on a screen of the given height.
QVector<ThanksLine> ThanksLayout(const ThanksText& text, int screenHeight);

// Frameless, on top of everything, the size of the screen; goes away on a
// click, a key or when it loses the focus.
class TThanksScreen : public QWidget {
    Q_OBJECT

public:
    TThanksScreen(QWidget* owner, const QPixmap& picture, ThanksText text, const QRect& screen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap picture;
    ThanksText text;
    bool wasActive = false;
};

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 208;
    static constexpr int kClientHeight = 207;
    static constexpr int kThanksAfter = 5;  // double-clicks

    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QPushButton* OKButton = nullptr;

    // The thanks screen while it is shown, else null.
    TThanksScreen* ThanksScreen() const { return thanks; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    uint8_t doubleClicks = 0;
    QPointer<TThanksScreen> thanks;

    void ProgramIconDblClick();
    void OKButtonClick();
};

}  // namespace ravx
