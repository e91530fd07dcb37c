#include "training/TeacherAccess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>

#include "training/ResultStore.h"

namespace ravx {

namespace {

constexpr QChar kHashSeparator = QLatin1Char('$');
constexpr int kHashParts = 4;
// A new configuration file: the students' sessions read it, only its owner
// writes it.
constexpr QFileDevice::Permissions kNewConfPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations,
                                              kPasswordHashBytes);
}

// Every byte is looked at whatever the earlier ones were, so the time taken
// tells nothing about how much of a guess was right.
bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

struct StoredHash {
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

std::optional<QByteArray> Base64(const QString& text)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    return decoded.decoded;
}

std::optional<StoredHash> ParseHash(const QString& stored)
{
    const QStringList parts = stored.trimmed().split(kHashSeparator);
    if (parts.size() != kHashParts || parts[0] != QLatin1String(kPasswordHashScheme))
        return std::nullopt;
    bool ok = false;
    StoredHash h;
    h.iterations = parts[1].toInt(&ok);
    const auto salt = Base64(parts[2]);
    const auto hash = Base64(parts[3]);
    if (!ok || h.iterations < 1 || h.iterations > kMaxPasswordIterations || !salt || !hash ||
        hash->size() != kPasswordHashBytes)
        return std::nullopt;
    h.salt = *salt;
    h.hash = *hash;
    return h;
}

// A line that sets NAME, as ConfSetting reads it.
bool IsSettingLine(QString line, const QString& name)
{
    line = line.left(line.indexOf(QLatin1Char('#')));
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq > 0 && line.left(eq).trimmed() == name;
}

}  // namespace

QString HashTeacherPassword(const QString& password, const QByteArray& salt, int iterations)
{
    return QStringList{QLatin1String(kPasswordHashScheme), QString::number(iterations),
                       QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(Derive(password, salt, iterations).toBase64())}
        .join(kHashSeparator);
}

QString HashTeacherPassword(const QString& password)
{
    QByteArray salt(kPasswordSaltBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                          kPasswordSaltBytes / static_cast<int>(sizeof(quint32)));
    return HashTeacherPassword(password, salt, kPasswordIterations);
}

std::optional<bool> CheckTeacherPassword(const QString& stored, const QString& password)
{
    const auto h = ParseHash(stored);
    if (!h)
        return std::nullopt;
    return SameBytes(Derive(password, h->salt, h->iterations), h->hash);
}

TeacherGate ConfiguredTeacherGate()
{
    TeacherGate gate;
    const QString results = ConfiguredResults();
    QString role = qEnvironmentVariable(kTeacherRoleEnvironment).trimmed();
    if (role.isEmpty())
        role = LabSetting(QLatin1String(kTeacherRoleSetting));
    if (results.contains(QLatin1String("://")) && !role.isEmpty()) {
        gate.kind = TeacherGate::Kind::ServerRole;
        gate.role = role;
        gate.url = results;
        return gate;
    }
    gate.hash = LabSetting(QLatin1String(kTeacherPasswordSetting));
    if (gate.hash.isEmpty())
        return gate;
    if (!ParseHash(gate.hash)) {
        gate.kind = TeacherGate::Kind::Damaged;
        gate.problem = QStringLiteral("Строка «%1 = …» в %2 повреждена; её пишет ravx-run --set-teacher-password")
                           .arg(QLatin1String(kTeacherPasswordSetting), LabConfigPath());
        return gate;
    }
    gate.kind = TeacherGate::Kind::Password;
    return gate;
}

QString WriteTeacherPassword(const QString& path, const QString& hash)
{
    QStringList lines;
    QFile old(path);
    const bool existed = old.exists();
    if (existed) {
        if (!old.open(QIODevice::ReadOnly))
            return old.errorString();
        lines = QString::fromUtf8(old.readAll()).split(QLatin1Char('\n'));
        old.close();
        if (lines.last().isEmpty())
            lines.removeLast();  // the file's last line break
    }
    const QString line = QLatin1String(kTeacherPasswordSetting) + QStringLiteral(" = ") + hash;
    bool written = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!IsSettingLine(lines[i], QLatin1String(kTeacherPasswordSetting)))
            continue;
        if (!written)
            lines[i] = line;
        else
            lines.removeAt(i--);
        written = true;
    }
    if (!written)
        lines << line;

    if (!existed && !QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("cannot make the folder %1").arg(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (!existed)
        file.setPermissions(kNewConfPermissions);
    if (!file.commit())
        return file.errorString();
    return {};
}

}  // namespace ravx
