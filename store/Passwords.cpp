#include "store/Passwords.h"

#include "core/Changes.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "core/RunState.h"
#include "platform/DbConnection.h"

namespace {

// Shifts every character by its key character's distance from "@", the key
// used cyclically. The result is folded into 0..255 so that it stays a
// Latin-1 code whatever the input (control characters can go below 0).
QString shift(const QString &text, const QString &givenKey, int direction)
{
    const QString &key = givenKey.isEmpty() ? Passwords::DefaultPasswordKey : givenKey;
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const int k = key.at(i % key.size()).unicode() - 64;
        const int v = (text.at(i).unicode() + direction * k) % 256;
        result.append(QChar(v < 0 ? v + 256 : v));
    }
    return result;
}

QString storedPassword(const QVariant &field)
{
    return Passwords::UnscramblePassword(NullToEmpty(field), Passwords::PasswordKey);
}

} // namespace

namespace Passwords {

QString ScramblePassword(const QString &text, const QString &key)
{
    return shift(text, key, 1);
}

QString UnscramblePassword(const QString &text, const QString &key)
{
    return shift(text, key, -1);
}

bool isValidPasswordText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

QSet<RecordId> &UnlockedCabinets()
{
    static QSet<RecordId> unlocked;
    // A new data folder has none of its cabinets unlocked.
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { unlocked.clear(); }), true);
    return unlocked;
}

bool IsCabinetOpen(RecordId cabinetId)
{
    if (UnlockedCabinets().contains(cabinetId))
        return true;
    // A missing row or a Null field reads as the empty password.
    return storedPassword(DbConnection::queryValue(
                              QStringLiteral("SELECT [Password] FROM Cabinet WHERE CabinetId = ?"),
                              {cabinetId}))
        .isEmpty();
}

bool UnlockCabinet(RecordId cabinetId)
{
    if (UnlockedCabinets().contains(cabinetId))
        return true;
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT [Password], Name FROM Cabinet WHERE CabinetId = ?"), {cabinetId});
    const QString password = storedPassword(rs.field(0));
    const QString name = NullToEmpty(rs.field(1));
    if (!password.isEmpty()) {
        const std::optional<QString> reply = Prompt::instance().password(name);
        if (!reply)
            return false;
        // Letter case counts.
        if (*reply != password) {
            Prompt::instance().warning(QStringLiteral("Access Denied"));
            return false;
        }
    }
    UnlockedCabinets().insert(cabinetId);
    Q_EMIT Changes::instance().cabinetUnlocked(cabinetId, name);
    return true;
}

} // namespace Passwords
