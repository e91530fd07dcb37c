#include "Unit1.h"

#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "../machine/_Asm_errors.h"
#include "../machine/_Asm_text.h"

namespace ravx {

TForm1::TForm1() : sim_(std::make_unique<Simulator>(*static_cast<Host*>(this)))
{
    setWindowTitle(QStringLiteral("ПККИ RAVX"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    state_ = new QLabel(central);
    state_->setAlignment(Qt::AlignCenter);
    const QString ip = QString::fromStdString(RowAddressText(sim_->m.IP));
    state_->setText(QStringLiteral("ПККИ RAVX\nМашина сброшена: IP = %1, порт %2h.\n"
                                   "Панели главного окна появятся в следующей версии.")
                        .arg(ip, QString::fromStdString(hex2(sim_->ravx.PortBase).str())));
    layout->addWidget(state_);
    setCentralWidget(central);
    resize(640, 480);
}

TForm1::~TForm1() = default;

void TForm1::reportError(uint8_t code)
{
    const auto lines = ErrorMessage(code);
    QMessageBox::warning(this, QStringLiteral("Ошибка"),
                         QString::fromStdString(lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3]));
}

}  // namespace ravx
