#pragma once

#include <QString>

// Changes of key sets that must tell whether the row was still there, and the
// delete that keeps every user's choices on the servers.

// The number of servers that use the key set: as some user's choice or as the
// server's default.
int countServersUsingKeySet(int perID);

// update_for_table_LOGIN_PASS that reports whether the key set still existed (false:
// another copy deleted it, nothing was written). perPASS arrives encoded.
bool updateKeySetIfPresent(const QString& perNAME, const QString& perLOGIN, const QString& perPASS,
                           int perPERSONAL, int perID);

// Deletes the key set in one transaction: every user's link to it loses the key set
// but keeps its address and protocol choice, servers that had it as default lose
// the default, then the row goes. A failure changes nothing. False when the key set
// was already gone; nothing is changed then either.
bool deleteKeySetKeepingChoices(int perID);
