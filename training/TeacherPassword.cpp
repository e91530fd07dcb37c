#include "training/TeacherPassword.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "machine/TitleWidth.h"
#include "training/Verdict.h"

namespace ravx {

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 132;
constexpr int kMargin = 10;
constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 60;
constexpr int kMessageTop = kMargin + kRowHeight + 6;
constexpr int kMessageHeight = 2 * kRowHeight;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 27;

}  // namespace

TeacherPasswordDialog::TeacherPasswordDialog(Check check, QWidget* parent) : QDialog(parent), check_(std::move(check))
{
    setWindowTitle(QStringLiteral("Пароль преподавателя"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 9));
    setFixedSize(std::max(kWidth, TitleBarWidth(windowTitle())), kHeight);

    auto* caption = new QLabel(QStringLiteral("Пароль:"), this);
    caption->setGeometry(kMargin, kMargin, kCaptionWidth, kRowHeight);
    PasswordE = new QLineEdit(this);
    PasswordE->setEchoMode(QLineEdit::Password);
    PasswordE->setGeometry(kMargin + kCaptionWidth, kMargin, width() - 2 * kMargin - kCaptionWidth, kRowHeight);

    MessageL = new QLabel(this);
    MessageL->setGeometry(kMargin, kMessageTop, width() - 2 * kMargin, kMessageHeight);
    MessageL->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetColour(MessageL, kFailedColour);

    OkB = new QPushButton(QStringLiteral("Ввод"), this);
    OkB->setDefault(true);
    OkB->setGeometry((width() - kButtonWidth) / 2, kHeight - kButtonHeight - kMargin, kButtonWidth, kButtonHeight);
    connect(OkB, &QPushButton::clicked, this, &TeacherPasswordDialog::OkBClick);
    PasswordE->setFocus();
}

void TeacherPasswordDialog::OkBClick()
{
    QString why;
    {
        // a server may take a few seconds to answer
        QApplication::setOverrideCursor(Qt::WaitCursor);
        why = check_(PasswordE->text());
        QApplication::restoreOverrideCursor();
    }
    if (why.isEmpty()) {
        accept();
        return;
    }
    // what happened on the first line, the server's own words on the
    // second, the whole on hover; the field is cleared for the next try
    const qsizetype cut = why.indexOf(QStringLiteral(": "));
    const QFontMetrics metrics = MessageL->fontMetrics();
    QString text = metrics.elidedText(cut < 0 ? why : why.left(cut), Qt::ElideRight, MessageL->width());
    if (cut >= 0)
        text += QLatin1Char('\n') + metrics.elidedText(why.mid(cut + 2), Qt::ElideRight, MessageL->width());
    MessageL->setText(text);
    MessageL->setToolTip(why);
    PasswordE->clear();
    PasswordE->setFocus();
}

bool AskTeacherPassword(QWidget* parent, const TeacherPasswordDialog::Check& check)
{
    TeacherPasswordDialog dialog(check, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace ravx
