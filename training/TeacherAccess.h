// Who may open the teacher's results window. A lab whose records are on its
// server names the teacher's role ("results-teacher = ROLE" in the
// configuration file, or RAVX_RESULTS_TEACHER): the window then connects as
// that role with the password the teacher types, and a student's own role
// reads nothing. A lab on the embedded store keeps a salted hash of the
// teacher's password in the configuration file ("teacher-password = …",
// written by `ravx-run --set-teacher-password`). Without either the window
// opens at once.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace ravx {

inline constexpr const char* kTeacherRoleSetting = "results-teacher";
inline constexpr const char* kTeacherRoleEnvironment = "RAVX_RESULTS_TEACHER";
inline constexpr const char* kTeacherPasswordSetting = "teacher-password";
inline constexpr const char* kWrongPasswordText = "Неверный пароль";

// The hash's form: "pbkdf2-sha256$ITERATIONS$SALT$HASH", salt and hash in
// base64, so a later program can read what an earlier one wrote.
inline constexpr const char* kPasswordHashScheme = "pbkdf2-sha256";
inline constexpr int kPasswordIterations = 200000;
inline constexpr int kPasswordSaltBytes = 16;
inline constexpr int kPasswordHashBytes = 32;
// A line asking for more work than this is taken for a damaged one.
inline constexpr int kMaxPasswordIterations = 50000000;

// A new hash of `password` with a random salt.
QString HashTeacherPassword(const QString& password);
QString HashTeacherPassword(const QString& password, const QByteArray& salt, int iterations);
// Whether `password` is the one `stored` was made from; empty when `stored`
// is no hash of this form. The hashes are compared in constant time.
std::optional<bool> CheckTeacherPassword(const QString& stored, const QString& password);

struct TeacherGate {
    enum class Kind {
        Open,        // nothing asked
        ServerRole,  // connect as `role` to the server at `url`
        Password,    // compare with `hash`
        Damaged,     // the hash line cannot be read: `problem`
    };
    Kind kind = Kind::Open;
    QString role;
    QString url;
    QString hash;
    QString problem;
};
// The gate the lab's configuration sets: the teacher's role when the results
// are on a server and a role is named, else the password hash when the
// configuration file has one.
TeacherGate ConfiguredTeacherGate();

// Sets "teacher-password = HASH" in the configuration file at `path`: the
// line replaces every earlier one, the other lines stay as they are, and the
// file is replaced whole (a new file is readable by everyone: the students'
// sessions read it). Returns why it could not be written, or empty.
QString WriteTeacherPassword(const QString& path, const QString& hash);

}  // namespace ravx
