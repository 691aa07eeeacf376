#pragma once

#include <QString>
#include <optional>

// The program's users (USER_DB) as the settings window changes them.

// A user's row as read before a password change.
struct StoredUserPassword {
    bool found = false;
    std::optional<QString> pass; // as stored (encoded, blank-padded); nothing for NULL
};

// "SELECT * from USER_DB WHERE ID = :perID_USER_DB" on the read transaction.
StoredUserPassword readStoredPassword(int perID_USER_DB);

enum class PasswordChange { Changed, PasswordChangedMeanwhile, UserGone };

// Sets the user's password to perPASS (encoded; trimmed, NULL when blank) only if
// the stored one is still perOLD_PASS, as read before. No other row can change.
PasswordChange changePasswordIfUnchanged(int perID_USER_DB, const std::optional<QString>& perOLD_PASS,
                                         const QString& perPASS);

// True when a user of that name exists, compared trimmed and without regard to case.
bool userNameTaken(const QString& perFIO);
