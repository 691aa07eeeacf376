#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace fb {
class Query;
}

// Statements on SERVERS, the connection data of one tree object.

void insertDataInSERVERS(int perID_TREETABLE, const QString& perDOMAIN_NAME, const QString& perIP_ADDRES,
                         const QString& perPORT, const QString& per_TRANSLATION_);

// The object's SERVERS row joined with its TREETABLE row, standing on the last row
// (eof when the object has no SERVERS row). Read transaction.
std::unique_ptr<fb::Query> SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(int perID_TREETABLE);

// perDEFAUL_PASS 0 keeps the stored default key set; a negative one is refused
// with fb::Error before anything is written. The notes are stored byte for byte;
// a null array (QByteArray()) stores NULL, an empty one an empty BLOB.
void update_for_table_SERVERS(int perID, const QString& perDOMAIN_NAME, const QString& perIP_ADDRES,
                              const QString& perPORT, const QString& perTRANSLATION_, int perDEFAUL_PASS,
                              int perDEFAUL_DNS_OR_IP, int perDEFAUL_RDP_OR_SSH,
                              const QByteArray& perNOTES_OF_SERVER);
