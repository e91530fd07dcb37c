#include "mainwindow/Splash.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

#include "controller/Timer_chars.h"

namespace ravx {
namespace {

// Draws one seven-segment digit of the given code in a 22 x 38 box.
void drawDigit(QPainter& p, QPoint o, uint8_t code)
{
    const QRect segs[7] = {
        QRect(o.x() + 4, o.y(), 14, 4),      QRect(o.x() + 18, o.y() + 4, 4, 14), QRect(o.x() + 18, o.y() + 22, 4, 14),
        QRect(o.x() + 4, o.y() + 36, 14, 4), QRect(o.x(), o.y() + 22, 4, 14),     QRect(o.x(), o.y() + 4, 4, 14),
        QRect(o.x() + 4, o.y() + 18, 14, 4),
    };
    for (int i = 0; i < 7; ++i)
        p.fillRect(segs[i], code & (1 << i) ? QColor(255, 40, 30) : QColor(70, 20, 20));
}

}  // namespace

QPixmap SplashPicture()
{
    QPixmap pm(200, 150);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(pm.rect(), QColor(0, 70, 40));
    // copper traces and a chip
    p.setPen(QPen(QColor(200, 160, 60), 2));
    for (int i = 0; i < 6; ++i)
        p.drawLine(10 + 30 * i, 150, 10 + 30 * i, 110);
    p.fillRect(QRect(60, 96, 80, 22), QColor(30, 30, 30));
    p.setPen(QColor(220, 220, 220));
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(60, 96, 80, 22), Qt::AlignCenter, QStringLiteral("ПККИ"));
    // the indicator row reads "rAVX"-like codes: r, A, U, H
    p.fillRect(QRect(28, 20, 144, 60), QColor(20, 20, 20));
    const uint8_t codes[4] = {0x50, 0x77, 0x3E, 0x76};
    for (int i = 0; i < 4; ++i)
        drawDigit(p, QPoint(40 + 34 * i, 30), codes[i]);
    return pm;
}

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setFixedSize(200, 200);
    picture_ = new QLabel(this);
    const QPixmap pm = SplashPicture();
    picture_->setPixmap(pm);
    picture_->setGeometry(0, 0, pm.width(), pm.height());
    status_ = new QLabel(this);
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(12);
    status_->setFont(f);
    status_->setStyleSheet(QStringLiteral("color: blue;"));
    status_->setAlignment(Qt::AlignHCenter);
    status_->setGeometry(2, 155, 199, 16);
    status_->setText(QStringLiteral("Инициализация приложения"));
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 10);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setGeometry(0, 175, 200, 25);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(100, 100));
}

void TSplash::setStatus(const QString& text)
{
    status_->setText(text);
    repaint();
}

void TSplash::setProgress(int position)
{
    bar_->setValue(position);
    repaint();
}

void TSplash::stepProgress() { setProgress(bar_->value() + 1); }
int TSplash::progress() const { return bar_->value(); }
QString TSplash::status() const { return status_->text(); }

}  // namespace ravx
