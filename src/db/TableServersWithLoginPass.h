#pragma once

#include <memory>

namespace fb {
class Query;
}

// Statements on SERVERS_WITH_LOGIN_PASSS: per user and object, the chosen key set
// and connection kind. An id of 0 binds NULL (no reference).

void insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(int perID_USER_DB, int perID_SERVERS, int perID_LOGIN_PASS,
                                                   int perDNS_OR_IP, int perRDP_OR_SSH);

// The user's link row for the object, if any (ID_SERV_WITH_LOG_PAS reads 0 when
// there is none). Read transaction.
std::unique_ptr<fb::Query> FIND_IN_SERVERS_WITH_LOGIN_PASSS(int perID_USER_DB, int perID_SERVERS);

void update_for_table_SERVERS_WITH_LOGIN_PASSS(int perID, int perID_LOGIN_PASS, int perDNS_OR_IP,
                                               int perRDP_OR_SSH);

// The caption of every object that some user links to the key set, one row per
// link. On the write transaction: read it before the next write.
std::unique_ptr<fb::Query> SelectAllServerByOnIDpassword(int perIDpass);
