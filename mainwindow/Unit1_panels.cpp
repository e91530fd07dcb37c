// The main window's program grid and state panels: where they stand, and how
// they are refreshed from the simulator's front panel.
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableWidget>

#include "machine/_Asm_text.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"

namespace ravx {
namespace {

QFont mono(int px)
{
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(px);
    return f;
}

QFont sans(int px = 11)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(px);
    return f;
}

// Value labels use an 11-pixel monospaced face: the panels are laid out for
// the narrow metrics of the original font, and this keeps every text whole.
constexpr int kMonoPx = 11;

int charWidth()
{
    static const int w = QFontMetrics(mono(kMonoPx)).horizontalAdvance(QLatin1Char('0'));
    return w;
}

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QFrame* panelFrame(QWidget* parent, int x, int y, int w, int h)
{
    auto* f = new QFrame(parent);
    f->setGeometry(x, y, w, h);
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setProperty("ravxSteps", true);
    return f;
}

QLabel* caption(QWidget* parent, const char* text, int x, int y, int w = -1)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setFont(sans());
    l->adjustSize();
    l->move(x, y);
    if (w > 0)
        l->setFixedWidth(w);
    l->setProperty("ravxSteps", true);
    return l;
}

}  // namespace

QLabel* TForm1::addLabel(QWidget* parent, const QString& name, int x, int y, int w, int h, const Label* text,
                         bool monoFont)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    l->setFont(monoFont ? mono(kMonoPx) : sans());
    l->setProperty("ravxSteps", true);
    if (text)
        bindings_.push_back({l, text, std::string("\x01")});
    return l;
}

QLabel* TForm1::labelNamed(const QString& name) const { return findChild<QLabel*>(name); }

void TForm1::buildGrid()
{
    programModel_ = new ProgramModel(*sim_, this);
    Grid1 = new ProgramGrid(programModel_, centralWidget());
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setGeometry(0, 0, kClientWidth, kClientHeight - kStripHeight - 1);
    Grid1->setFont(mono(13));
    Grid1->verticalHeader()->hide();
    Grid1->verticalHeader()->setDefaultSectionSize(18);
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grid1->horizontalHeader()->setFont(mono(13));
    Grid1->horizontalHeader()->setFixedHeight(20);
    Grid1->horizontalHeader()->setSectionsClickable(false);
    Grid1->setColumnWidth(0, 40);
    Grid1->setColumnWidth(1, 250);
    Grid1->setColumnWidth(2, 305);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Grid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    Grid1->viewport()->setProperty("ravxSteps", true);
    // a new text in the IP row shows in the executed-statement grid at once
    connect(programModel_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& a, const QModelIndex& b) {
        if (sim_->m.IP >= a.row() && sim_->m.IP <= b.row())
            refreshG1();
    });
    Grid1->goToChanged = [this] { showGoTo(); };
    Grid1->hovered = [this] {
        if (sim_->settings.MouseFocus)
            Grid1->setFocus(Qt::MouseFocusReason);
    };

    FastLabel = new QLabel(QStringLiteral("Быстрый режим"), Grid1->viewport());
    QFont big(QStringLiteral("Arial"));
    big.setPointSize(40);
    FastLabel->setFont(big);
    FastLabel->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    FastLabel->adjustSize();
    FastLabel->move(110, 40);
    FastLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    FastLabel->hide();
}

void TForm1::refreshBreakpoint(int a) { programModel_->rowsChanged(a, a); }

void TForm1::showGoTo()
{
    goLab_->setText(Grid1->goToText());
    goLabC_->setVisible(Grid1->goToActive());
    goLab_->setVisible(Grid1->goToActive());
}

void TForm1::toggleMatrixCell()
{
    if (MGrid->toggled)
        MGrid->toggled(MGrid->currentRow(), MGrid->currentColumn());
}

void TForm1::buildPanels(QWidget* s)
{
    s->setProperty("ravxSteps", true);
    const FrontPanel& p = sim_->panel;

    // inputs
    QFrame* inputs = panelFrame(s, 8, 1, 129, 65);
    caption(inputs, "Входы:", 4, 2);
    const int cw = charWidth();
    auto pin = [&](QWidget* parent, const char* name, int x, int y, int, const char* objName, const Label* t,
                   int valueChars) {
        const QString n = QString::fromUtf8(name);
        auto* nl = addLabel(parent, QString(), x, y, cw * static_cast<int>(n.size()) + 1, 14, nullptr);
        nl->setText(n);
        return addLabel(parent, QString::fromUtf8(objName), x + nl->width(), y, cw * valueChars + 2, 14, t);
    };
    pin(inputs, "D7..D0 :", 4, 16, 0, "D", &p.D, 8);
    pin(inputs, "RET7..0:", 4, 31, 0, "RetC", &p.RetC, 8);
    pin(inputs, "CS     :", 4, 46, 0, "CS", &p.CS, 1);

    // outputs
    caption(s, "Выходы:", 145, 12);
    QFrame* outputs = panelFrame(s, 145, 27, 214, 39);
    pin(outputs, "OUTA3..0:", 3, 3, 0, "OUTAC", &p.OUTAC, 4);
    pin(outputs, "OUTB3..0:", 3, 20, 0, "OutBC", &p.OutBC, 4);
    pin(outputs, "S3..S0  :", 110, 3, 0, "S30C", &p.S30C, 4);
    pin(outputs, "INT:", 110, 20, 0, "intC", &p.intC, 1);
    pin(outputs, "^BD:", 160, 20, 0, "BDC", &p.BDC, 1);

    // go-to prompt of the program grid (shown while a go-to entry is typed)
    goLabC_ = caption(s, "Переход:", 216, 9);
    goLabC_->setObjectName(QStringLiteral("GoLabC"));
    goLabC_->hide();
    goLab_ = addLabel(s, QStringLiteral("GoLab"), 216 + goLabC_->width() + 4, 9, 40, 14, nullptr);
    goLab_->hide();

    // executed statement
    caption(s, "Выполняемая команда", 440, 0);
    G1 = new QTableWidget(2, 2, s);
    G1->setObjectName(QStringLiteral("G1"));
    G1->setGeometry(374, 13, 250, 43);
    G1->setFont(mono(15));
    G1->horizontalHeader()->hide();
    G1->verticalHeader()->hide();
    G1->setColumnWidth(0, 30);
    G1->setColumnWidth(1, 218);
    G1->verticalHeader()->setDefaultSectionSize(20);
    G1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    G1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    G1->setItem(0, 0, new QTableWidgetItem(QStringLiteral("N")));
    G1->setItem(0, 1, new QTableWidgetItem(QStringLiteral("       Команда")));
    G1->setItem(1, 0, new QTableWidgetItem(QStringLiteral("00")));
    G1->setItem(1, 1, new QTableWidgetItem());
    for (int c = 0; c < 2; ++c)
        G1->item(0, c)->setBackground(palette().color(QPalette::Button));
    G1->viewport()->setProperty("ravxSteps", true);
    G1->setFocusPolicy(Qt::ClickFocus);  // not on the Tab path
    G1->setEditTriggers(QAbstractItemView::NoEditTriggers);  // it shows the statement at IP, nothing to type into

    CWLab = addLabel(s, QStringLiteral("CWLab"), 455, 55, 110, 14, nullptr, false);
    CWLab->setStyleSheet(QStringLiteral("color: blue;"));
    CWLab->hide();

    // generators
    QFrame* gens = panelFrame(s, 8, 70, 617, 30);
    addLabel(gens, QStringLiteral("NumZGL"), 5, 8, 150, 14, &p.NumZGL, false);
    addLabel(gens, QString(), 170, 8, 135, 14, nullptr, false)->setText(QStringLiteral("Выходы знакогенератора:"));
    zgOutL_ = addLabel(gens, QStringLiteral("ZGOutL"), 305, 8, 90, 14, &p.ZGOutL);
    zgOutL1_ = addLabel(gens, QStringLiteral("ZGOutL1"), 305, 15, 90, 14, &p.ZGOutL1);
    zgOutL1_->hide();
    // The caption's label is 98 pixels wide: "Кодогенератор: отключен" would be
    // cut to "Кодогенератор: отк" beside the state label. The state follows in KodL.
    auto* kodCaption = addLabel(gens, QStringLiteral("KodCaption"), 420, 8, 98, 14, nullptr, false);
    kodCaption->setText(QStringLiteral("Кодогенератор:"));
    addLabel(gens, QStringLiteral("KodL"), 520, 8, 90, 14, &p.KodL);

    // input matrix
    // the caption stands right of the column mark "0" (Label20) above column 0
    caption(s, "Матрица ввода:", 24, 102);
    label20_ = addLabel(s, QStringLiteral("Label20"), 14, 104, 10, 12, &p.Label20);
    matrixPanel_ = panelFrame(s, 11, 116, 100, 107);
    MGrid = new MatrixView(p, matrixPanel_);
    MGrid->setObjectName(QStringLiteral("MGrid"));
    MGrid->move(2, 2);
    MGrid->setProperty("ravxSteps", true);
    addLabel(s, QString(), 2, 118, 9, 13, nullptr)->setText(QStringLiteral("0"));
    seven_ = addLabel(s, QStringLiteral("Seven"), 2, 118 + 7 * 13, 9, 13, nullptr);
    seven_->setText(QStringLiteral("7"));
    four_ = addLabel(s, QStringLiteral("Four"), 2, 118 + 3 * 13, 9, 13, nullptr);
    four_->setText(QStringLiteral("3"));
    four_->hide();
    STRInp = new QLineEdit(s);
    STRInp->setObjectName(QStringLiteral("STRInp"));
    STRInp->setGeometry(25, 150, 60, 22);
    STRInp->setMaxLength(3);
    STRInp->setFont(mono(14));
    STRInp->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-7]{0,3}")), STRInp));
    STRInp->hide();
    connect(STRInp, &QLineEdit::textEdited, this, [this](const QString& t) {
        sim_->ravx.SetOctalEntry(t.toStdString());
        ShowState();
    });
    CtrlB = new QCheckBox(QStringLiteral("Ctrl"), s);
    CtrlB->setObjectName(QStringLiteral("CtrlB"));
    CtrlB->setFont(sans());
    CtrlB->setGeometry(8, 225, 52, 16);
    connect(CtrlB, &QCheckBox::clicked, this, [this](bool) {
        sim_->ravx.ClickCtrl();
        ShowState();
    });
    ShftB = new QCheckBox(QStringLiteral("Shift"), s);
    ShftB->setObjectName(QStringLiteral("ShftB"));
    ShftB->setFont(sans());
    ShftB->setGeometry(60, 225, 56, 16);
    connect(ShftB, &QCheckBox::clicked, this, [this](bool checked) {
        sim_->ravx.SetShift(checked);
        ShowState();
    });
    mgridNum_ = addLabel(s, QStringLiteral("MGridNum"), 12, 243, 30, 14, &p.MGridNum);
    addLabel(s, QString(), 60, 243, 34, 14, nullptr, false)->setText(QStringLiteral("Цикл:"));
    addLabel(s, QStringLiteral("CyclC"), 94, 243, 24, 14, &p.CyclC);
    MGrid->toggled = [this](int r, int c) {
        sim_->ravx.SetMatrixCell(r, c, sim_->panel.Matrix[r][c] == '1');
        sim_->ravx.PreviewCell(r, c);
        ShowState();
    };
    MGrid->keyed = [this](int r, int c, bool pressed) {
        sim_->ravx.SetMatrixCell(r, c, pressed);
        ShowState();
    };
    MGrid->preview = [this](int r, int c) {
        sim_->ravx.PreviewCell(r, c);
        ShowState();
    };
    MGrid->hovered = [this] {
        if (sim_->settings.MouseFocus && !MGrid->hasFocus())
            MGrid->setFocus(Qt::MouseFocusReason);
    };
    // the keyboard's way round: grid, matrix, its two boxes, the octal box
    setTabOrder(Grid1, MGrid);
    setTabOrder(MGrid, CtrlB);
    setTabOrder(CtrlB, ShftB);
    setTabOrder(ShftB, STRInp);

    // FIFO / sensor RAM
    caption(s, "МОЗУ", 150, 101);
    QFrame* mozu = panelFrame(s, 125, 114, 89, 111);
    for (int i = 0; i < 8; ++i)
        mozuLabels_[i] =
            addLabel(mozu, QStringLiteral("Mozu%1").arg(i), 5, FrontPanel::FifoMarkTop(i), 62, 13, &p.Mozu[i]);
    readPoint_ = addLabel(mozu, QStringLiteral("ReadPoint"), 68, 3, 9, 13, nullptr);
    readPoint_->setText(QStringLiteral("R"));
    readPoint_->setStyleSheet(QStringLiteral("color: green;"));
    writePoint_ = addLabel(mozu, QStringLiteral("WritePoint"), 77, 3, 9, 13, nullptr);
    writePoint_->setText(QStringLiteral("W"));
    writePoint_->setStyleSheet(QStringLiteral("color: red;"));
    pin(s, "AWR:", 125, 227, 0, "Stg", &p.Stg, 2);
    pin(s, "ARD:", 172, 227, 0, "Sthv", &p.Sthv, 2);
    pin(s, "PSW:", 125, 243, 0, "PSWLab", &p.PSWLab, 8);

    // display RAM
    caption(s, "ОЗУ индикации", 248, 102);
    QFrame* ozu = panelFrame(s, 225, 116, 129, 106);
    for (int i = 0; i < 16; ++i)
        ozuLabels_[i] =
            addLabel(ozu, QStringLiteral("Ozu%1").arg(i), i < 8 ? 5 : 69, 3 + 12 * (i % 8), 56, 12, &p.Ozu[i]);
    pin(s, "RGA:", 225, 227, 0, "RgAC", &p.RgAC, 2);
    addLabel(s, QStringLiteral("IncLab"), 225 + 7 * cw, 227, cw + 2, 14, &p.IncLab);
    pin(s, "СТint/kod:", 225, 243, 0, "STk", &p.STk, 2);

    // command words
    caption(s, "Управляющие слова", 365, 102);
    QFrame* cws = panelFrame(s, 365, 116, 100, 106);
    for (int i = 0; i < 8; ++i) {
        cwCaptions_[i] = addLabel(cws, QString(), 3, 3 + 12 * i + (i > 0 ? i / 2 : 0), 30, 12, nullptr);
        cwCaptions_[i]->setText(QStringLiteral("CW%1:").arg(i));
        addLabel(cws, QStringLiteral("C%1").arg(i), 33, 3 + 12 * i + (i > 0 ? i / 2 : 0), 64, 12, &p.C[i]);
    }

    // processor
    caption(s, "Состояние процессора", 480, 103);
    QFrame* cpu = panelFrame(s, 472, 117, 154, 104);
    static const char* const kRegs[] = {"AX :", "BX :", "CX :", "DX :", "DI :", "SI :", "SP :", "IP :"};
    for (int i = 0; i < 8; ++i) {
        addLabel(cpu, QString(), 3, 2 + 12 * i + i / 2, 30, 12, nullptr)->setText(QString::fromUtf8(kRegs[i]));
        regLabels_[i] = addLabel(cpu, QStringLiteral("Reg%1").arg(i), 33, 2 + 12 * i + i / 2, 118, 12, nullptr);
    }
    FlGrid = new FlagsView(cpu);
    FlGrid->setObjectName(QStringLiteral("FlGrid"));
    FlGrid->move(154 - 4 * 18 - 4, 104 - 30 - 4);

    // indicator rows
    IndicatorPanel = panelFrame(s, 316, 226, 311, 42);
    IndicatorPanel->setObjectName(QStringLiteral("IndicatorPanel"));
    DGrid = new IndicatorView(p, IndicatorPanel);
    DGrid->setGeometry(2, 2, 307, 38);
    IndicatorPanel->installEventFilter(this);
}

void TForm1::ShowRegs()
{
    for (int i = 0; i < 8; ++i) {
        const QString t =
            QString::fromStdString(RegisterText(sim_->m, static_cast<PanelRegister>(i), sim_->settings.Registers));
        if (regLabels_[i]->text() != t)
            regLabels_[i]->setText(t);
    }
}

namespace {
// Widget properties are only touched when they change: an automatic run
// refreshes every panel after every step.
void showIf(QWidget* w, bool visible)
{
    if (w->isVisibleTo(w->parentWidget()) != visible)
        w->setVisible(visible);
}
void setBlue(QLabel* l, bool blue)
{
    if (l->property("ravxBlue").toBool() != blue) {
        l->setProperty("ravxBlue", blue);
        l->setStyleSheet(blue ? QStringLiteral("color: blue;") : QString());
    }
}
void moveY(QWidget* w, int y)
{
    if (w->y() != y)
        w->move(w->x(), y);
}
}  // namespace

void TForm1::ShowState()
{
    const FrontPanel& p = sim_->panel;
    for (Binding& b : bindings_) {
        if (b.shown != b.text->view()) {
            b.shown.assign(b.text->view());
            b.widget->setText(qs(b.shown));
        }
    }
    const QString cwLab = qs(p.CWLab.view());
    if (CWLab->text() != cwLab)
        CWLab->setText(cwLab);
    showIf(CWLab, p.CWLabVisible);
    setBlue(cwCaptions_[2], p.Cw2CaptionBlue);
    setBlue(cwCaptions_[3], p.Cw3CaptionBlue);
    showIf(zgOutL1_, p.ZGOutL1Visible);
    moveY(zgOutL_, p.ZGOutL1Visible ? 1 : 8);
    moveY(readPoint_, p.ReadPointTop);
    moveY(writePoint_, p.WritePointTop);
    showIf(seven_, p.SevenVisible && p.MatrixVisible);
    showIf(four_, p.FourVisible && p.MatrixVisible);
    showIf(matrixPanel_, p.MatrixVisible);
    showIf(STRInp, p.STRInpVisible);
    const QString strInp = qs(p.STRInp.view());
    if (STRInp->text() != strInp)
        STRInp->setText(strInp);
    {
        const QSignalBlocker b1(CtrlB), b2(ShftB);
        if (CtrlB->isChecked() != p.CtrlChecked)
            CtrlB->setChecked(p.CtrlChecked);
        if (CtrlB->isEnabled() != p.CtrlEnabled)
            CtrlB->setEnabled(p.CtrlEnabled);
        const QString ctrlCaption = qs(p.CtrlCaption.view());
        if (CtrlB->text() != ctrlCaption)
            CtrlB->setText(ctrlCaption);
        if (ShftB->isChecked() != p.ShiftChecked)
            ShftB->setChecked(p.ShiftChecked);
        if (ShftB->isEnabled() != p.ShiftEnabled)
            ShftB->setEnabled(p.ShiftEnabled);
    }
    if (matrixShown_ != p.Matrix || matrixRow_ != p.MatrixSelectedRow || matrixRows_ != p.MatrixRows) {
        matrixShown_ = p.Matrix;
        matrixRow_ = p.MatrixSelectedRow;
        matrixRows_ = p.MatrixRows;
        MGrid->update();
    }
    if (!(indicatorShown_ == p.Indicator) || indicatorSize_ != QSize(p.DGridCols, p.DGridRows)) {
        indicatorShown_ = p.Indicator;
        indicatorSize_ = QSize(p.DGridCols, p.DGridRows);
        DGrid->update();
    }
    FlGrid->setFlags(sim_->m.IF, sim_->m.PF, sim_->m.SF, sim_->m.ZF);
    ShowRegs();
    refreshG1();
    if (stepBackAction_)
        stepBackAction_->setEnabled(sim_->CanStepBack());
}

void TForm1::refreshG1()
{
    const uint16_t ip = sim_->m.IP;
    const QString addr = QString::fromStdString(hex2(ip).str());
    if (G1->item(1, 0)->text() != addr)
        G1->item(1, 0)->setText(addr);
    const QString text = QString::fromStdString(CentredStatement(sim_->program.StatementAt(ip)));
    if (G1->item(1, 1)->text() != text)
        G1->item(1, 1)->setText(text);
}

void TForm1::positionGridOnIp()
{
    const int row = sim_->m.IP;
    if (row >= kStatementRows)
        return;  // no statement row beyond 1F2: nothing to select
    const int top = Grid1->rowAt(0);
    QItemSelectionModel* selection = Grid1->selectionModel();
    const QModelIndex at = programModel_->index(row, ProgramModel::kStatement);
    selection->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(at, programModel_->index(row, ProgramModel::kComment)),
                      QItemSelectionModel::ClearAndSelect);
    if (row > top + 6 || row < top)
        Grid1->scrollTo(at, QAbstractItemView::PositionAtTop);
}

}  // namespace ravx
