// The error window: the four lines of an error, closed by any key, click or
// mouse button release. It draws its own caption with a close button only:
// window managers may add buttons to minimise and maximise a framed window
// whatever the window asks for. The caption moves the window: a press on it
// that drags moves the window instead of closing it, and the next errors
// show where the student left it.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QFrame;
class QToolButton;

namespace ravx {

class TErrW : public QDialog {
    Q_OBJECT
public:
    explicit TErrW(QWidget* parent = nullptr);
    // Fills the window with the message of the code and shows it modally.
    // Returns false when it was left with Esc or closed as a window: the
    // student wants out, and a run stops.
    bool ShowError(uint8_t code);

    QLabel* Caption = nullptr;           // "Ошибка"
    QToolButton* CloseButton = nullptr;  // closes as the window's close button: a run stops
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QFrame* Panel1 = nullptr;
    // While the left button holds the caption: where it was pressed and the
    // mouse's offset from the window's corner; `dragged_` once it has moved
    // far enough to be a drag rather than a click.
    bool holding_ = false;
    bool dragged_ = false;
    QPoint pressedAt_;
    QPoint grip_;
    bool movedByStudent_ = false;
};

}  // namespace ravx
