// Small painted views of the main window: the input matrix, the indicator
// rows and the flags grid. They draw the core's front panel and report the
// user's actions; they keep no state of the simulated machine.
#pragma once

#include <QWidget>
#include <functional>

#include "controller/FrontPanel.h"

namespace ravx {

// Asks for the laboratory's fonts by name and falls back to the metric
// compatible free faces; call once before the first window is built.
void InstallFontFallbacks();

// Dates as Qt's file dialogs show them follow the system locale's time
// category, read when the application is made: call this before, so they are
// Russian whatever the machine's language (an explicit LC_ALL is kept).
void PrepareRussianDates();

// Russian for Qt's own words (standard buttons, the file dialogs with their
// file types and dates): Qt's translation, the few words it lacks, and the
// Russian locale as the default; the C library gets the user's own locale
// back. Call once after the application is made.
void InstallRussian();

// The 8 x 8 input matrix (MGrid): cells of 12 x 13 pixels.
class MatrixView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellW = 12;
    static constexpr int kCellH = 13;

    explicit MatrixView(const FrontPanel& panel, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {kCellW * 8, kCellH * 8}; }
    int currentRow() const { return curRow_; }
    int currentColumn() const { return curCol_; }
    void setCurrent(int row, int column);

    std::function<void(int row, int column)> toggled;              // left click
    std::function<void(int row, int column, bool pressed)> keyed;  // "0" / "1" typed
    std::function<void(int row, int column)> preview;              // focus, key release, mouse move
    std::function<void()> focusLost;
    std::function<void()> hovered;  // mouse moves over the matrix

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    const FrontPanel& panel_;
    int curRow_ = 0;
    int curCol_ = 0;
};

// The indicator rows (DGrid): 17 columns of 18 pixels, rows of 16 pixels.
class IndicatorView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellW = 18;
    static constexpr int kCellH = 16;

    explicit IndicatorView(const FrontPanel& panel, QWidget* parent = nullptr);
    // The cell's first character ("#" for an empty cell) at a point.
    QString characterAt(QPoint p) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const FrontPanel& panel_;
};

// The flags grid (FlGrid): names in row 0, values in row 1.
class FlagsView : public QWidget {
    Q_OBJECT
public:
    explicit FlagsView(QWidget* parent = nullptr);
    void setFlags(bool IF, bool PF, bool SF, bool ZF);
    QString valueText() const;  // the four values as shown, IF PF SF ZF

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool values_[4] = {true, false, false, false};
};

}  // namespace ravx
