#include "controller/semi_.h"

#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controller/Timer_chars.h"
#include "machine/ScreenPlace.h"
#include "machine/TitleWidth.h"
#include "machine/_Asm_text.h"

namespace ravx {

// The figure: segments a..g and the decimal point, 124 x 140 pixels.
class SegmentPicture : public QWidget {
public:
    explicit SegmentPicture(QWidget* parent) : QWidget(parent) { setFixedSize(124, 140); }
    void setCode(uint8_t code)
    {
        code_ = code;
        update();
    }
    // Segment lines in bit order a, b, c, d, e, f, g; the point is separate.
    static QLine segment(int bit)
    {
        static const QLine lines[7] = {QLine(30, 15, 80, 15),   QLine(88, 22, 84, 62),  QLine(84, 78, 80, 118),
                                       QLine(22, 125, 72, 125), QLine(18, 78, 14, 118), QLine(22, 22, 18, 62),
                                       QLine(26, 70, 76, 70)};
        return lines[bit];
    }
    static QRect point() { return QRect(96, 118, 10, 10); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        for (int pass = 0; pass < 2; ++pass) {
            const QColor colour = pass == 0 ? QColor(0xC0, 0xC0, 0xC0) : QColor(Qt::blue);
            p.setPen(QPen(colour, 9, Qt::SolidLine, Qt::RoundCap));
            for (int bit = 0; bit < 7; ++bit)
                if (pass == 0 || (code_ >> bit) & 1)
                    p.drawLine(segment(bit));
            if (pass == 0 || code_ & 0x80)
                p.fillRect(point(), colour);
        }
    }

private:
    uint8_t code_ = 0;
};

namespace {
// A caption over a segment; a click points at its bit in the code text.
class SegmentLabel : public QLabel {
public:
    SegmentLabel(int bit, TSemi* viewer, QWidget* parent)
        : QLabel(QString::number(bit), parent), bit_(bit), viewer_(viewer)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent*) override { viewer_->Label3->setText(TSemi::PointerText(bit_)); }

private:
    int bit_;
    TSemi* viewer_;
};
}  // namespace

TSemi::TSemi(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Просмотр"));
    setModal(true);
    KeepOnScreen(this, Place::Centre);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    picture_ = new SegmentPicture(this);
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    // captions over the segments: a "0", b "1", ..., g "6", the point "7"
    const QPoint at[8] = {{52, 0}, {92, 34}, {88, 90}, {44, 128}, {2, 90}, {6, 34}, {48, 52}, {108, 118}};
    for (int bit = 0; bit < 8; ++bit) {
        auto* l = new SegmentLabel(bit, this, picture_);
        l->move(at[bit]);
    }
    QFont mono(QStringLiteral("Courier New"));
    mono.setPixelSize(13);
    Label1 = new QLabel(QStringLiteral("00000000 (000)"), this);
    Label1->setFont(mono);
    Label3 = new QLabel(QString(), this);
    Label3->setFont(mono);
    layout->addWidget(Label1);
    layout->addWidget(Label3);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, [this] {
        aborted_ = false;
        accept();
    });
    layout->addWidget(close, 0, Qt::AlignHCenter);
    setMinimumWidth(TitleBarWidth(windowTitle()));
}

QString TSemi::PointerText(int bit) { return QString(7 - bit, QLatin1Char(' ')) + QLatin1Char('^'); }

void TSemi::reject()
{
    aborted_ = true;  // Esc
    QDialog::reject();
}

void TSemi::Draw(uint8_t code)
{
    if (code == kCatchAllCode) {
        QMessageBox::information(parentWidget(), QStringLiteral("Просмотр"),
                                 QStringLiteral("Данный символ не может быть выведен"));
        aborted_ = true;
        return;
    }
    code_ = code;
    picture_->setCode(code);
    Label1->setText(QString::fromStdString(bin8(code).str() + "  (" + oct3(code).str() + ")"));
    Label3->clear();
    aborted_ = false;
    exec();
}

}  // namespace ravx
