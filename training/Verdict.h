// How the test and results windows show a verdict: blue for a pass, red
// for a fail, in the label's own text colour.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>

namespace ravx {

inline const QColor kPassedColour = Qt::blue;
inline const QColor kFailedColour = Qt::red;

inline void SetColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace ravx
