// The main window.
#pragma once

#include <QMainWindow>
#include <memory>

#include "Simulator.h"

class QLabel;

namespace ravx {

class TForm1 : public QMainWindow, private Host {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

private:
    void reportError(uint8_t code) override;

    std::unique_ptr<Simulator> sim_;
    QLabel* state_ = nullptr;
};

}  // namespace ravx
