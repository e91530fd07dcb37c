// Where a window opens: every window comes up inside the available area of
// its screen, whatever its own rule (centred, where the window manager puts
// it) and however large the scale factor makes it. The frame the window
// manager draws is only known once the window is mapped: until then the
// frame of another window of the program (or a guess) stands for it, and the
// window is kept inside again once its own frame is known and whenever its
// size changes.
#pragma once

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ravx {

enum class Place {
    Centre,         // centred in the available area
    BottomRight,    // in its bottom right corner
    WindowManager,  // where the window manager puts it
    AsIs,           // where the window is now (its frame's top left corner)
};

// The frame moved into `area`, never resized. A frame wider than the area
// starts at its left edge; one higher than the area may rise above its top
// edge by `hideableTop` pixels (the caption), so that what is under the
// caption (the menu bar) stays on the screen, and keeps its own top within
// that range.
inline QRect FitFrame(const QRect& frame, const QRect& area, int hideableTop = 0)
{
    QRect r = frame;
    r.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    if (frame.height() <= area.height())
        r.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    else
        r.moveTop(std::clamp(frame.top(), area.top() - hideableTop, area.top()));
    return r;
}

namespace detail {

// The frame a window manager draws when nothing better is known.
inline constexpr QMargins kGuessedFrame{2, 24, 2, 6};

// The window's own frame once it is mapped, else null.
inline QMargins KnownFrameOf(const QWidget* w)
{
    const QWindow* handle = w->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// The window's frame; before it is mapped the frame of another framed
// window of the program, which the window manager draws alike, else a guess.
// A frameless window has none.
inline QMargins FrameOf(const QWidget* w)
{
    if (w->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (const QMargins own = KnownFrameOf(w); !own.isNull())
        return own;
    for (const QWindow* other : QGuiApplication::topLevelWindows()) {
        if (other->isVisible() && !(other->flags() & Qt::FramelessWindowHint) && !other->frameMargins().isNull())
            return other->frameMargins();
    }
    return kGuessedFrame;
}

inline QRect AvailableAreaOf(const QWidget* w)
{
    const QScreen* screen = QGuiApplication::screenAt(w->frameGeometry().center());
    if (!screen)
        screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

inline void PlaceWindow(QWidget* w, Place place, bool mayHideCaption)
{
    const QRect area = AvailableAreaOf(w);
    if (area.isEmpty())
        return;
    const QMargins frame = FrameOf(w);
    // a window that may shrink is made no larger than the area
    const QSize fitted = w->size().boundedTo(area.size().shrunkBy(frame)).expandedTo(w->minimumSize());
    if (fitted != w->size())
        w->resize(fitted);
    if (place == Place::WindowManager)
        return;  // moved, if need be, once the window manager has placed it
    QRect r(w->pos(), w->size().grownBy(frame));
    if (place == Place::Centre)
        r.moveCenter(area.center());
    else if (place == Place::BottomRight)
        r.moveBottomRight(area.bottomRight());
    w->move(FitFrame(r, area, mayHideCaption ? frame.top() : 0).topLeft());
}

// Places its window when it is first shown, places it again as it is once
// its own frame is known, and keeps it inside whenever its size changes.
class ScreenKeeper : public QObject {
public:
    ScreenKeeper(QWidget* w, Place first, bool mayHideCaption)
        : QObject(w), w_(w), first_(first), mayHideCaption_(mayHideCaption)
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == w_ && e->type() == QEvent::Show && !shown_) {
            shown_ = true;
            PlaceWindow(w_, first_, mayHideCaption_);
            placedWith_ = KnownFrameOf(w_);
            // the frame is known once the window is mapped, which its
            // window learns first (the widget may not move at all)
            if (QWindow* handle = w_->windowHandle())
                handle->installEventFilter(this);
            return false;
        }
        const bool mapped = watched == w_->windowHandle() && e->type() == QEvent::Expose;
        const bool moved = watched == w_ && e->type() == QEvent::Move;
        const bool resized = watched == w_ && e->type() == QEvent::Resize;
        if (!shown_ || !(mapped || moved || resized) || !w_->isVisible() ||
            (w_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            return false;
        // placed again as it is when its own frame is known, and when it
        // changed size; a student's move is left alone
        const QMargins frame = KnownFrameOf(w_);
        if (resized || frame != placedWith_) {
            placedWith_ = frame;
            PlaceWindow(w_, Place::AsIs, mayHideCaption_);
        }
        return false;
    }

private:
    QWidget* w_;
    Place first_;
    bool mayHideCaption_;
    bool shown_ = false;
    QMargins placedWith_;
};

}  // namespace detail

// Places a window inside its screen's available area now (a window shown
// again and again, placed each time).
inline void PlaceOnScreen(QWidget* w, Place place) { detail::PlaceWindow(w, place, false); }

// Makes a window open inside its screen's available area: placed by `first`
// when it is first shown, kept inside once framed and when it grows. Called
// once, when the window is made. `mayHideCaption`: a window higher than the
// area may have its caption above the screen's top edge, but never its
// client area (the main window's menu bar).
inline void KeepOnScreen(QWidget* w, Place first, bool mayHideCaption = false)
{
    new detail::ScreenKeeper(w, first, mayHideCaption);
}

}  // namespace ravx
