#include "mainwindow/options.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "machine/ScreenPlace.h"

namespace ravx {
namespace {

QGroupBox* radioGroup(const char* title, std::initializer_list<const char*> items, QButtonGroup*& group,
                      QWidget* parent)
{
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* row = new QHBoxLayout(box);
    group = new QButtonGroup(box);
    int id = 0;
    for (const char* item : items) {
        auto* b = new QRadioButton(QString::fromUtf8(item), box);
        group->addButton(b, id++);
        row->addWidget(b);
    }
    row->addStretch();
    return box;
}

}  // namespace

Toption::Toption(Simulator& sim, QWidget* parent) : QDialog(parent), sim_(sim)
{
    setWindowTitle(QStringLiteral("Настройка"));
    KeepOnScreen(this, Place::Centre);
    auto* layout = new QVBoxLayout(this);

    auto* place = new QGridLayout;
    GroupList = new QComboBox(this);
    for (int g = 1; g <= kGroups; ++g)
        GroupList->addItem(QString::number(g));
    MachineList = new QComboBox(this);
    for (int m = 1; m <= kMachines; ++m)
        MachineList->addItem(QString::number(m));
    PortEdit = new QLineEdit(this);
    PortEdit->setReadOnly(true);
    PortEdit->setMaxLength(2);
    PortEdit->setFixedWidth(40);
    AddressEdit = new QLineEdit(this);
    AddressEdit->setMaxLength(3);
    AddressEdit->setFixedWidth(40);
    AddressEdit->installEventFilter(this);
    PortEdit->installEventFilter(this);
    place->addWidget(new QLabel(QStringLiteral("Номер группы:"), this), 0, 0);
    place->addWidget(GroupList, 0, 1);
    place->addWidget(new QLabel(QStringLiteral("Номер машины:"), this), 0, 2);
    place->addWidget(MachineList, 0, 3);
    place->addWidget(new QLabel(QStringLiteral("Номер порта ввода/вывода:"), this), 1, 0, 1, 2);
    auto* port = new QHBoxLayout;
    port->addWidget(PortEdit);
    port->addWidget(new QLabel(QStringLiteral("(Hex)"), this));
    port->addStretch();
    place->addLayout(port, 1, 2, 1, 2);
    place->addWidget(new QLabel(QStringLiteral("Адрес начала ППОП: "), this), 2, 0, 1, 2);
    auto* address = new QHBoxLayout;
    address->addWidget(AddressEdit);
    address->addWidget(new QLabel(QStringLiteral("(Hex)"), this));
    address->addStretch();
    place->addLayout(address, 2, 2, 1, 2);
    layout->addLayout(place);

    layout->addWidget(radioGroup("Подключенный знакогенератор", {"Нет", "1", "2", "3(4)"}, Generators, this));
    KG_P = new QCheckBox(QStringLiteral("Подключить кодогенератор"), this);
    AutoUpC = new QCheckBox(QStringLiteral("Автоотжатие клавиши"), this);
    ShiftC = new QCheckBox(QStringLiteral("Сдвиг при удалении и вставке"), this);
    StrbChk = new QCheckBox(QStringLiteral("Ввод 8сс числа (ввод по стробу)"), this);
    MouseFocus = new QCheckBox(QStringLiteral("Смена фокуса ввода мышью"), this);
    for (QCheckBox* c : {KG_P, AutoUpC, ShiftC, StrbChk, MouseFocus})
        layout->addWidget(c);
    // Latin "cc", as the laboratory's screens have it
    layout->addWidget(radioGroup("Отображение регистров", {"8cc", "2cc", "Нет"}, RegisterModes, this));

    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton(QStringLiteral("Ввод"), this);
    Button2->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("Отмена"), this);
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    connect(GroupList, &QComboBox::currentIndexChanged, this, &Toption::showPort);
    connect(MachineList, &QComboBox::currentIndexChanged, this, &Toption::showPort);
    // these two act at once, also when the dialog is then cancelled
    connect(AutoUpC, &QCheckBox::toggled, this, [this](bool on) { sim_.panel.AutoRelease = on; });
    connect(MouseFocus, &QCheckBox::toggled, this, [this](bool on) { sim_.settings.MouseFocus = on; });
    connect(Button2, &QPushButton::clicked, this, &Toption::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void Toption::load(const SettingsForm& f)
{
    GroupList->setCurrentIndex(f.Group - 1);
    MachineList->setCurrentIndex(f.Machine - 1);
    showPort();
    AddressEdit->setText(QString::fromStdString(f.Address));
    Generators->button(f.Generator)->setChecked(true);
    KG_P->setChecked(f.CodeGenerator);
    AutoUpC->setChecked(f.AutoRelease);
    ShiftC->setChecked(f.ShiftMode);
    StrbChk->setChecked(f.OctalStrobe);
    MouseFocus->setChecked(f.MouseFocus);
    RegisterModes->button(static_cast<int>(f.Registers))->setChecked(true);
}

SettingsForm Toption::form() const
{
    SettingsForm f;
    f.Group = GroupList->currentIndex() + 1;  // no selection (-1) gives kNoSelection
    f.Machine = MachineList->currentIndex() + 1;
    f.Address = AddressEdit->text().toStdString();
    f.Generator = std::max(Generators->checkedId(), 0);
    f.CodeGenerator = KG_P->isChecked();
    f.AutoRelease = AutoUpC->isChecked();
    f.ShiftMode = ShiftC->isChecked();
    f.OctalStrobe = StrbChk->isChecked();
    f.MouseFocus = MouseFocus->isChecked();
    f.Registers = static_cast<RegisterMode>(std::max(RegisterModes->checkedId(), 0));
    return f;
}

void Toption::showPort()
{
    const int g = GroupList->currentIndex() + 1, m = MachineList->currentIndex() + 1;
    PortEdit->setText(g >= 1 && m >= 1 ? QString::fromStdString(PortText(g, m)) : QString());
}

bool Toption::Run(bool cancelAllowed)
{
    load(ShowSettings(sim_));
    Button1->setEnabled(cancelAllowed);
    AddressEdit->setFocus();
    return exec() == QDialog::Accepted;
}

void Toption::reject()
{
    if (Button1->isEnabled())
        QDialog::reject();
}

void Toption::Button2Click()
{
    const SettingsResult r = ApplySettings(sim_, form());
    if (r == SettingsResult::Applied) {
        accept();
        return;
    }
    if (r != SettingsResult::BadAddress)  // error 13 has shown its own window
        QMessageBox::information(this, windowTitle(), QString::fromUtf8(SettingsMessage(r).data()));
}

bool Toption::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == AddressEdit || watched == PortEdit) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString t = key->text();
        if (t.size() == 1 && t.at(0).unicode() < 0x80) {
            const std::optional<char> c = AddressFieldKey(static_cast<char>(t.at(0).unicode()));
            if (!c)
                return true;  // refused
            if (*c != t.at(0)) {
                QKeyEvent upper(QEvent::KeyPress, key->key(), key->modifiers(), QString(QChar(*c)));
                QCoreApplication::sendEvent(watched, &upper);
                return true;
            }
        } else if (t.size() == 1 && t.at(0).isPrint()) {
            return true;  // printable, and not a hexadecimal digit
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ravx
