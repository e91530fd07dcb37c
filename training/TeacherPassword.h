// The dialog "Пароль преподавателя" that F5 shows before the results window
// when the lab has set a teacher's password: a password field and "Ввод";
// Esc or the close box cancels. A password that does not open the results
// is answered in red under the field and the dialog stays for another try.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ravx {

class TeacherPasswordDialog : public QDialog {
    Q_OBJECT

public:
    // `check` is given the typed password and returns empty when it opens
    // the results, else what to tell the teacher.
    using Check = std::function<QString(const QString& password)>;
    explicit TeacherPasswordDialog(Check check, QWidget* parent = nullptr);

    QLineEdit* PasswordE;
    QLabel* MessageL;
    QPushButton* OkB;

private slots:
    void OkBClick();

private:
    Check check_;
};

// Asks for the teacher's password until `check` takes it (true) or the
// teacher cancels (false).
bool AskTeacherPassword(QWidget* parent, const TeacherPasswordDialog::Check& check);

}  // namespace ravx
