// The seven-segment viewer: draws one seven-segment code and points at the
// bit of a clicked segment.
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;

namespace ravx {

class SegmentPicture;

class TSemi : public QDialog {
    Q_OBJECT
public:
    explicit TSemi(QWidget* parent = nullptr);
    // Shows the code modally; the code 8D hex has no picture and only gets a
    // message. Returns when the viewer is closed.
    void Draw(uint8_t code);
    uint8_t code() const { return code_; }
    // Set when the viewer was left with Esc rather than "Закрыть".
    bool aborted() const { return aborted_; }

    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;

    // The pointer text under bit b of the binary code text.
    static QString PointerText(int bit);

protected:
    void reject() override;

private:
    SegmentPicture* picture_ = nullptr;
    uint8_t code_ = 0;
    bool aborted_ = false;
};

}  // namespace ravx
