// The start-up window: a picture, a progress bar and a status text while the
// application creates its windows.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace ravx {

class TSplash : public QWidget {
    Q_OBJECT
public:
    TSplash();
    void setStatus(const QString& text);
    void setProgress(int position);
    void stepProgress();
    int progress() const;
    QString status() const;

private:
    QLabel* picture_;
    QProgressBar* bar_;
    QLabel* status_;
};

// The splash picture: a board with a row of seven-segment indicators.
QPixmap SplashPicture();

}  // namespace ravx
