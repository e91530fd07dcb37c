#include "machine/Unit2.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>

#include "machine/ScreenPlace.h"
#include "machine/_Asm_errors.h"

namespace ravx {
namespace {
constexpr int kClientWidth = 408;
constexpr int kClientHeight = 134;
constexpr int kCaptionHeight = 20;
constexpr int kCloseSize = 16;
}  // namespace

TErrW::TErrW(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Ошибка"));
    setModal(true);
    setFixedSize(kClientWidth, kCaptionHeight + kClientHeight);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    // the caption: the window is read and closed, never minimised or maximised
    auto* bar = new QFrame(this);
    bar->setGeometry(1, 1, kClientWidth - 2, kCaptionHeight - 1);
    bar->setAutoFillBackground(true);
    QPalette title = bar->palette();
    title.setColor(QPalette::Window, title.color(QPalette::Active, QPalette::Highlight));
    title.setColor(QPalette::WindowText, title.color(QPalette::Active, QPalette::HighlightedText));
    bar->setPalette(title);
    Caption = new QLabel(windowTitle(), bar);
    Caption->setGeometry(0, 0, bar->width(), bar->height());
    Caption->setAlignment(Qt::AlignCenter);
    QFont bold = font;
    bold.setBold(true);
    Caption->setFont(bold);
    CloseButton = new QToolButton(bar);
    CloseButton->setText(QStringLiteral("✕"));  // drawn in the caption's colour, plain on every style
    CloseButton->setFont(bold);
    QPalette cross = title;
    cross.setColor(QPalette::ButtonText, title.color(QPalette::WindowText));
    CloseButton->setPalette(cross);
    CloseButton->setAutoRaise(true);
    CloseButton->setFocusPolicy(Qt::NoFocus);
    CloseButton->setToolTip(QStringLiteral("Закрыть"));
    CloseButton->setGeometry(bar->width() - kCloseSize - 2, (bar->height() - kCloseSize) / 2, kCloseSize, kCloseSize);
    connect(CloseButton, &QToolButton::clicked, this, &QDialog::reject);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(24, kCaptionHeight + 9, 361, 41);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Label1 = new QLabel(Panel1);
    Label1->setGeometry(8, 14, 345, 16);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    red.setColor(QPalette::Disabled, QPalette::WindowText, Qt::red);
    Label1->setPalette(red);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(24, kCaptionHeight + 60, 361, 66);
    // drawn as a plain sunken panel: at a fractional scale factor (1.5) the
    // style's frame lost its bottom edge under the text area
    Memo1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Memo1->setReadOnly(true);
    Memo1->setEnabled(false);
    // disabled, but the explanation must stay easy to read
    QPalette dark = Memo1->palette();
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x30, 0x30, 0x30));
    Memo1->setPalette(dark);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // clicks anywhere on the window close it, also over its parts
    // (the caption passes its clicks on by itself; its close button takes its own)
    for (QWidget* w : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Label1), static_cast<QWidget*>(Memo1)})
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool TErrW::ShowError(uint8_t code)
{
    const auto lines = ErrorMessage(code);
    Label1->setText(QString::fromStdString(lines[0]));
    Memo1->clear();
    Memo1->setPlainText(QString::fromStdString(lines[1] + "\n" + lines[2] + "\n" + lines[3]));
    holding_ = dragged_ = false;
    PlaceOnScreen(this, movedByStudent_ ? Place::AsIs : Place::Centre);
    return exec() == QDialog::Accepted;
}

void TErrW::keyPressEvent(QKeyEvent* e)
{
    // A real key closes the window: not the repeats of a key still held from
    // the step (F8 held down), not a modifier pressed alone.
    if (e->isAutoRepeat())
        return;
    switch (e->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: return;
    case Qt::Key_Escape: reject(); return;
    default: accept();
    }
}

void TErrW::mousePressEvent(QMouseEvent* e)
{
    // the caption's label and bar pass their presses on to here
    holding_ = e->button() == Qt::LeftButton && e->position().y() < kCaptionHeight;
    dragged_ = false;
    pressedAt_ = e->globalPosition().toPoint();
    grip_ = pressedAt_ - pos();
}

void TErrW::mouseMoveEvent(QMouseEvent* e)
{
    if (!holding_)
        return;
    const QPoint at = e->globalPosition().toPoint();
    if (!dragged_ && (at - pressedAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragged_ = true;
    movedByStudent_ = true;
    // the whole window stays on the screen, so its caption can be taken again
    QRect to(at - grip_, size());
    if (const QScreen* screen = QGuiApplication::screenAt(at))
        to = FitFrame(to, screen->availableGeometry());
    move(to.topLeft());
}

void TErrW::mouseReleaseEvent(QMouseEvent*)
{
    const bool dragged = dragged_;
    holding_ = dragged_ = false;
    if (!dragged)
        accept();  // a click, also on the caption
}

void TErrW::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    // the outline a frame would draw
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ravx
