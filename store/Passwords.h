#pragma once

#include <QSet>
#include <QString>


#include "core/RecordId.h"

// Cabinet passwords: stored scrambled in Cabinet.[Password], asked for once
// per run before a locked cabinet's content is shown, searched, moved,
// exported or imported.
namespace Passwords {

// The key every caller passes, and the one used for an empty key.
inline const QString PasswordKey = QStringLiteral("T3QZK8WMRA");
inline const QString DefaultPasswordKey = QStringLiteral("QMRTBXAHVN");

// Per character: code + (key code - 64), folded into 0..255; the key is used
// cyclically. Characters are Latin-1 code points; the result may hold any
// code 0..255, NUL and the quote included, so it is stored through a bound
// value. Texts holding characters above U+00FF cannot be scrambled: check
// them with isValidPasswordText first.
QString ScramblePassword(const QString &text, const QString &key = PasswordKey);
QString UnscramblePassword(const QString &text, const QString &key = PasswordKey);
// True when every character is in Latin-1 (U+0000..U+00FF).
bool isValidPasswordText(const QString &text);

// The cabinets unlocked in this run.
QSet<RecordId> &UnlockedCabinets();

// True when the cabinet was unlocked in this run or its stored password is
// empty (also for a cabinet with no row). Never prompts. Throws AppError.
bool IsCabinetOpen(RecordId cabinetId);

// Grants access to the cabinet, asking for its password through the prompt
// when it has one: Cancel gives false; a wrong password (letter case
// counts) shows "Access Denied" and gives false. On success the cabinet is
// recorded and Changes::cabinetUnlocked announces it. Throws AppError.
bool UnlockCabinet(RecordId cabinetId);

} // namespace Passwords
