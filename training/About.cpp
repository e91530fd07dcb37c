#include "training/About.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <array>

namespace ravx {

namespace {

constexpr int kPictureWidth = 200;
constexpr int kPictureHeight = 150;
constexpr int kPanelLeft = 3;
constexpr int kPanelTop = 3;
constexpr int kPanelBorder = 1;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 172;

// The thanks screen's layout (pixels from the screen's top left corner).
constexpr int kFrameInset = 5;
constexpr int kPictureTop = 10;
constexpr int kTitleTop = 180;
constexpr int kTextPointSize = 20;
constexpr int kSmallPointSize = 15;
constexpr std::array kFirstTops = {210, 250, 290, 330, 370, 410, 450};
constexpr int kMoreHeight = 480;  // screens higher than this get the next lines
constexpr std::array kMoreTops = {490, 530};
constexpr int kSmallTop = 565;
constexpr int kYellowHeight = 600;
constexpr std::array kYellowTops = {610, 650, 690, 730};
constexpr int kLastHeight = 768;
constexpr std::array kLastTops = {770, 810, 850, 890};
constexpr int kMaxThanksLines = 18;
const QColor kScreenGrey(128, 128, 128);

// The picture: four indicator digits over a keypad.
constexpr int kDigitCount = 4;
constexpr int kDigitLeft = 20;
constexpr int kDigitTop = 16;
constexpr int kDigitWidth = 30;
constexpr int kDigitHeight = 56;
constexpr int kDigitStep = 44;
constexpr int kKeyRows = 2;
constexpr int kKeyColumns = 8;
constexpr int kKeyLeft = 14;
constexpr int kKeyTop = 98;
constexpr int kKeySize = 18;
constexpr int kKeyStep = 22;
constexpr int kPressedKeyRow = 1;
constexpr int kPressedKeyColumn = 5;

struct Stroke {
    QPointF from;
    QPointF to;
};

// Segments a..g of a digit cell, in cell units (0..1).
constexpr std::array<std::array<qreal, 4>, 7> kSegments = {{
    {0.15, 0.0, 0.85, 0.0},  // a
    {1.0, 0.08, 1.0, 0.44},  // b
    {1.0, 0.56, 1.0, 0.92},  // c
    {0.15, 1.0, 0.85, 1.0},  // d
    {0.0, 0.56, 0.0, 0.92},  // e
    {0.0, 0.08, 0.0, 0.44},  // f
    {0.15, 0.5, 0.85, 0.5},  // g
}};

// The lit strokes of R, A, V and X: segments where a seven-segment digit has
// them, diagonals where it has none.
QVector<Stroke> letterStrokes(int letter)
{
    const auto seg = [](int i) {
        const auto& s = kSegments[i];
        return Stroke{{s[0], s[1]}, {s[2], s[3]}};
    };
    enum { A, B, C, D, E, F, G };
    switch (letter) {
    case 0:  // R
        return {seg(A), seg(B), seg(E), seg(F), seg(G), Stroke{{0.45, 0.56}, {1.0, 0.98}}};
    case 1:  // A
        return {seg(A), seg(B), seg(C), seg(E), seg(F), seg(G)};
    case 2:  // V
        return {Stroke{{0.0, 0.05}, {0.5, 1.0}}, Stroke{{1.0, 0.05}, {0.5, 1.0}}};
    default:  // X
        return {Stroke{{0.0, 0.02}, {1.0, 0.98}}, Stroke{{1.0, 0.02}, {0.0, 0.98}}};
    }
}

QPointF inCell(int digit, const QPointF& p)
{
    return {kDigitLeft + digit * kDigitStep + p.x() * kDigitWidth, kDigitTop + p.y() * kDigitHeight};
}

void drawDigits(QPainter& p)
{
    const QColor unlit(70, 30, 30);
    const QColor glow(255, 80, 40, 70);
    const QColor lit(255, 90, 50);
    for (int d = 0; d < kDigitCount; ++d) {
        p.setPen(QPen(unlit, 5, Qt::SolidLine, Qt::RoundCap));
        for (const auto& s : kSegments)
            p.drawLine(inCell(d, {s[0], s[1]}), inCell(d, {s[2], s[3]}));
        for (const auto& [pen, width] : {std::pair{glow, 10}, std::pair{lit, 5}}) {
            p.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap));
            for (const Stroke& s : letterStrokes(d))
                p.drawLine(inCell(d, s.from), inCell(d, s.to));
        }
    }
}

void drawKeypad(QPainter& p)
{
    for (int r = 0; r < kKeyRows; ++r) {
        for (int c = 0; c < kKeyColumns; ++c) {
            const bool pressed = r == kPressedKeyRow && c == kPressedKeyColumn;
            const QRectF key(kKeyLeft + c * kKeyStep, kKeyTop + r * kKeyStep, kKeySize, kKeySize);
            p.setPen(QPen(QColor(20, 20, 20), 1));
            p.setBrush(pressed ? QColor(90, 140, 220) : QColor(200, 200, 205));
            p.drawRoundedRect(key.translated(pressed ? 1 : 0, pressed ? 1 : 0), 3, 3);
        }
    }
}

}  // namespace

QPixmap AboutPicture()
{
    QPixmap picture(kPictureWidth, kPictureHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, kPictureHeight);
    back.setColorAt(0, QColor(28, 34, 44));
    back.setColorAt(1, QColor(60, 66, 78));
    p.fillRect(picture.rect(), back);
    p.setPen(QPen(QColor(10, 10, 12), 2));
    p.setBrush(QColor(18, 8, 8));
    p.drawRoundedRect(QRectF(8, 6, kPictureWidth - 16, 78), 6, 6);
    drawDigits(p);
    drawKeypad(p);
    return picture;
}

ThanksText LoadThanksText()
{
    QFile file(QStringLiteral(":/about/thanks.txt"));
    ThanksText text;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return text;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty())
        text.title = lines.takeFirst();
    text.lines = lines.mid(0, kMaxThanksLines);
    return text;
}

QVector<ThanksLine> ThanksLayout(const ThanksText& text, int screenHeight)
{
    QVector<ThanksLine> layout;
    QColor color = Qt::white;
    int next = 0;
    const auto place = [&](int top, int size) {
        if (next < text.lines.size())
            layout.push_back({top, text.lines[next], size, color});
        ++next;
    };
    layout.push_back({kTitleTop, text.title, kTextPointSize, color});
    for (int top : kFirstTops)
        place(top, kTextPointSize);
    if (screenHeight > kMoreHeight) {
        for (int top : kMoreTops)
            place(top, kTextPointSize);
        place(kSmallTop, kSmallPointSize);
    }
    if (screenHeight > kYellowHeight) {
        color = Qt::yellow;  // and it stays yellow: nothing sets it back
        for (int top : kYellowTops)
            place(top, kTextPointSize);
    }
    if (screenHeight > kLastHeight)
        for (int top : kLastTops)
            place(top, kTextPointSize);
    return layout;
}

TThanksScreen::TThanksScreen(QWidget* owner, const QPixmap& picture, ThanksText text, const QRect& screen)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture(picture),
      text(std::move(text))
{
    setObjectName(QStringLiteral("ThanksScreen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(screen);
}

void TThanksScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.fillRect(rect(), Qt::black);
    p.setPen(Qt::white);
    p.setBrush(kScreenGrey);
    p.drawRect(QRect(QPoint(kFrameInset, kFrameInset), QPoint(w - kFrameInset, h - kFrameInset)));
    p.drawPixmap(w / 2 - kPictureWidth / 2, kPictureTop, picture);
    for (const ThanksLine& line : ThanksLayout(text, h)) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(line.pointSize);
        p.setFont(font);
        p.setPen(line.color);
        const QFontMetrics metrics(font);
        const int left = (w - metrics.horizontalAdvance(line.text)) / 2;
        p.drawText(left, line.top + metrics.ascent(), line.text);
    }
}

void TThanksScreen::mousePressEvent(QMouseEvent*) { close(); }

void TThanksScreen::keyPressEvent(QKeyEvent*) { close(); }

void TThanksScreen::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        wasActive = true;
    else if (wasActive)
        close();
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(kClientWidth, kClientHeight);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(kPanelBorder);
    panel->setGeometry(kPanelLeft, kPanelTop, kPictureWidth + 2 * kPanelBorder, kPictureHeight + 2 * kPanelBorder);
    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(kPanelBorder, kPanelBorder, kPictureWidth, kPictureHeight);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry((kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    doubleClicks = 0;
    ProgramIcon->setPixmap(AboutPicture());
    if (QScreen* screen = this->screen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ProgramIcon && event->type() == QEvent::MouseButtonDblClick) {
        ProgramIconDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::ProgramIconDblClick()
{
    if (doubleClicks < kThanksAfter - 1) {
        ++doubleClicks;
        return;
    }
    doubleClicks = 0;
    if (thanks)
        thanks->close();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    // A child of the box, so that a modal box does not block its clicks and keys.
    thanks = new TThanksScreen(this, AboutPicture(), LoadThanksText(), screen->geometry());
    thanks->show();
    thanks->raise();
    thanks->activateWindow();
}

void TAboutBox::OKButtonClick()
{
    ProgramIcon->clear();
    accept();
}

}  // namespace ravx
