// Small tool windows are made wide enough for their whole title to be read in
// the title bar beside the frame's buttons. The window manager's font cannot
// be asked for, so the application's font in bold stands for it.
#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace ravx {

// The frame's icon, up to three buttons and the margins around the title.
constexpr int kTitleBarButtonsRoom = 110;

inline int TitleBarWidth(const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarButtonsRoom;
}

}  // namespace ravx
