#pragma once

#include <QString>
#include <memory>

namespace fb {
class Query;
}

// perPASS arrives already encoded.
void insert_data_for_table_USER_DB(const QString& perFIO, const QString& perPASS);
// All users in the server's natural order; an open result set on the write
// transaction, so read it before the next write.
std::unique_ptr<fb::Query> select_data_of_table_USER_DB();
// FIO as stored (blank-padded to 50); empty when there is no such user.
QString GetFIObyUser_ID(int perID);

struct RunDatabase;
// The same on a given attachment's read transaction.
QString GetFIObyUser_ID(RunDatabase& db, int perID);
