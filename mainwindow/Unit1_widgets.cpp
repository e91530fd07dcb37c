#include "mainwindow/Unit1_widgets.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTranslator>
#include <clocale>

namespace ravx {

namespace {

// The words of the file dialogs that Qt's Russian translation leaves in
// English ("Folder" in the type column, say).
class MissingWords : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override
    {
        struct Word {
            const char* context;
            const char* source;
            const char* russian;
        };
        static constexpr Word kWords[] = {
            {"QAbstractFileIconProvider", "Folder", "Папка"},
            {"QAbstractFileIconProvider", "Drive", "Диск"},
            {"QAbstractFileIconProvider", "Shortcut", "Ярлык"},
            {"QAbstractFileIconProvider", "Unknown", "Неизвестно"},
            {"QAbstractFileIconProvider", "File", "Файл"},
            {"QAbstractFileIconProvider", "%1 File", "Файл %1"},
        };
        for (const Word& w : kWords) {
            if (qstrcmp(context, w.context) == 0 && qstrcmp(source, w.source) == 0)
                return QString::fromUtf8(w.russian);
        }
        return {};
    }
};

}  // namespace

namespace {
bool datesPrepared = false;
QByteArray userTime;  // LC_TIME as the user had it
bool userHadTime = false;
}  // namespace

void PrepareRussianDates()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    userHadTime = qEnvironmentVariableIsSet("LC_TIME");
    userTime = qgetenv("LC_TIME");
    qputenv("LC_TIME", "ru_RU.UTF-8");
    datesPrepared = true;
}

void InstallRussian()
{
    if (datesPrepared) {
        // Qt has read the time category by now; the C library gets the
        // user's own back (a machine without a Russian C locale would
        // otherwise fall back to "C" in every category)
        (void)QLocale::system();
        if (userHadTime)
            qputenv("LC_TIME", userTime);
        else
            qunsetenv("LC_TIME");
        std::setlocale(LC_ALL, "");
        datesPrepared = false;
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* app = QCoreApplication::instance();
    // the last installed is asked first: Qt's translation before the stand-ins
    QCoreApplication::installTranslator(new MissingWords(app));
    auto* qt = new QTranslator(app);
    if (qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}
namespace {
const QColor kUnfocused(0xE0, 0xE0, 0xE0);

QFont monoFont(int px, bool bold = false)
{
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}
}  // namespace

void InstallFontFallbacks()
{
    QFont::insertSubstitutions(QStringLiteral("Courier New"),
                               {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

// ---- input matrix ------------------------------------------------------------

MatrixView::MatrixView(const FrontPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFixedSize(kCellW * 8, kCellH * 8);
}

void MatrixView::setCurrent(int row, int column)
{
    curRow_ = row;
    curCol_ = column;
    update();
}

void MatrixView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), hasFocus() ? palette().color(QPalette::Base) : kUnfocused);
    p.setFont(monoFont(11));
    const int rows = panel_.MatrixRows;
    // The scanned row is selected at every step, with or without the focus;
    // the cell the keys work on carries a frame while the matrix has the focus.
    for (int r = 0; r < rows; ++r) {
        const bool scanned = r == panel_.MatrixSelectedRow;
        for (int c = 0; c < kMatrixSize; ++c) {
            const QRect cell(c * kCellW, r * kCellH, kCellW - 1, kCellH - 1);
            if (scanned)
                p.fillRect(cell, palette().color(QPalette::Highlight));
            p.setPen(scanned ? palette().color(QPalette::HighlightedText) : Qt::black);
            p.drawText(cell, Qt::AlignCenter, QString(QChar(panel_.Matrix[r][c])));
        }
    }
    if (hasFocus() && curRow_ < rows) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(QRect(curCol_ * kCellW, curRow_ * kCellH, kCellW - 2, kCellH - 2));
    }
    p.setPen(Qt::gray);
    for (int r = 1; r < rows; ++r)
        p.drawLine(0, r * kCellH - 1, width(), r * kCellH - 1);
}

void MatrixView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();  // the right button steps: the main window handles it
        return;
    }
    const int c = static_cast<int>(e->position().x()) / kCellW;
    const int r = static_cast<int>(e->position().y()) / kCellH;
    if (r < 0 || r >= panel_.MatrixRows || c < 0 || c >= kMatrixSize)
        return;
    setFocus(Qt::MouseFocusReason);
    setCurrent(r, c);
    if (toggled)
        toggled(r, c);
}

void MatrixView::mouseMoveEvent(QMouseEvent* e)
{
    if (hovered)
        hovered();
    const int c = static_cast<int>(e->position().x()) / kCellW;
    const int r = static_cast<int>(e->position().y()) / kCellH;
    if (preview && r >= 0 && r < kMatrixSize && c >= 0 && c < kMatrixSize)
        preview(r, c);
}

void MatrixView::keyPressEvent(QKeyEvent* e)
{
    const QString t = e->text();
    if ((t == QLatin1String("0") || t == QLatin1String("1")) && keyed) {
        keyed(curRow_, curCol_, t == QLatin1String("0"));
        update();
        return;
    }
    int r = curRow_, c = curCol_;
    switch (e->key()) {
    case Qt::Key_Left: c = qMax(0, c - 1); break;
    case Qt::Key_Right: c = qMin(kMatrixSize - 1, c + 1); break;
    case Qt::Key_Up: r = qMax(0, r - 1); break;
    case Qt::Key_Down: r = qMin(panel_.MatrixRows - 1, r + 1); break;
    default: e->ignore(); return;
    }
    setCurrent(r, c);
}

void MatrixView::keyReleaseEvent(QKeyEvent* e)
{
    if (preview)
        preview(curRow_, curCol_);
    e->ignore();
}

void MatrixView::focusInEvent(QFocusEvent*)
{
    if (preview)
        preview(curRow_, curCol_);
    update();
}

void MatrixView::focusOutEvent(QFocusEvent*)
{
    if (focusLost)
        focusLost();
    update();
}

// ---- indicator rows ------------------------------------------------------------

IndicatorView::IndicatorView(const FrontPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);  // clicks go to the panel
}

QString IndicatorView::characterAt(QPoint pt) const
{
    const int col = qBound(0, pt.x() / (kCellW + 1), panel_.DGridCols - 1);
    const int row = qBound(0, pt.y() / (kCellH + 1), panel_.DGridRows - 1);
    const QString s = QString::fromUtf8(panel_.Indicator[row][col].view().data(),
                                        static_cast<qsizetype>(panel_.Indicator[row][col].size()));
    return s.isEmpty() ? QStringLiteral("#") : s.left(1);
}

void IndicatorView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setFont(monoFont(13, true));
    for (int r = 0; r < panel_.DGridRows; ++r) {
        for (int c = 0; c < panel_.DGridCols; ++c) {
            const QRect cell(c * (kCellW + 1), r * (kCellH + 1), kCellW, kCellH);
            p.setPen(QColor(0xC0, 0xC0, 0xC0));
            p.drawRect(cell.adjusted(0, 0, 0, 0));
            QString ch = QString::fromUtf8(panel_.Indicator[r][c].view().data(),
                                           static_cast<qsizetype>(panel_.Indicator[r][c].size()));
            if (ch.isEmpty())
                ch = QStringLiteral("#");
            p.setPen(ch == QLatin1String("#") ? Qt::red : Qt::blue);
            p.drawText(cell.adjusted(3, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, ch);
        }
    }
}

// ---- flags grid ----------------------------------------------------------------

FlagsView::FlagsView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(4 * 18, 30);
    setEnabled(false);
}

void FlagsView::setFlags(bool IF, bool PF, bool SF, bool ZF)
{
    const bool v[4] = {IF, PF, SF, ZF};
    if (std::equal(v, v + 4, values_))
        return;
    std::copy(v, v + 4, values_);
    update();
}

QString FlagsView::valueText() const
{
    QString s;
    for (bool b : values_)
        s += b ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

void FlagsView::paintEvent(QPaintEvent*)
{
    static const char* const kNames[] = {"IF", "PF", "SF", "ZF"};
    QPainter p(this);
    p.setFont(monoFont(12));
    p.setPen(Qt::black);
    for (int c = 0; c < 4; ++c) {
        p.drawText(QRect(c * 18, 0, 18, 15), Qt::AlignCenter, QLatin1String(kNames[c]));
        p.drawText(QRect(c * 18, 15, 18, 15), Qt::AlignCenter, values_[c] ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

}  // namespace ravx
