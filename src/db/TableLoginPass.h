#pragma once

#include <QString>
#include <memory>

namespace fb {
class Query;
}

// One key set.
struct type_LOGIN_PASS {
    int ID = 0;
    QString NAME, LOGIN, PASS;
    int PERSONAL = 0; // owner's USER_DB.ID; 0 for a key set shared by all users
    int PID = 0;      // only in the main window's list; nothing sets or reads it
};

// Statements on LOGIN_PASS, the key sets.

// The next identity for a new key set; every call uses up one value.
int Gen_ID_table_LOGIN_PASS();

// perPASS arrives encoded. perPERSONAL 0 stores a shared key set.
void insert_data_for_table_LOGIN_PASS(int perID, const QString& perNAME, const QString& perLOGIN,
                                      const QString& perPASS, int perPERSONAL);
void update_for_table_LOGIN_PASS(const QString& perNAME, const QString& perLOGIN, const QString& perPASS,
                                 int perPERSONAL, int perID);
// The database also removes every link row that uses the key set.
void DeleteObjectInTable_LOGIN_PASS(int perID);

// Trimmed name, or empty text when there is no such key set.
QString GetNameOfKeyByID(int perID_LOGIN_PASS);

// Readers on the write transaction: the next write's commit closes their result sets.
std::unique_ptr<fb::Query> SELECT_LOGIN_AND_PASS_OF_TABLE_LOGIN_PASS(int perID_LOGIN_PASS);
// The user's own key sets and the shared ones (only the shared ones for user 0),
// ordered by NAME when perORDERBY is true, else by ID.
std::unique_ptr<fb::Query> select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(int perPERSONAL,
                                                                                     bool perORDERBY);
