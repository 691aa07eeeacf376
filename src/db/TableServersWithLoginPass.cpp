#include "db/TableServersWithLoginPass.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"

namespace {

const QString kInsertLink =
    QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB, DNS_OR_IP, "
                   "RDP_OR_SSH ) values "
                   "(:perID_SERVERS, :perID_LOGIN_PASS, :perID_USER_DB, :perDNS_OR_IP, :perRDP_OR_SSH )");

const QString kFindLink = QStringLiteral("SELECT  ID              AS ID_SERV_WITH_LOG_PAS, ID_SERVERS      "
                                         "AS ID_SERVERS_SERV_WITH_LOG_PAS,ID_LOGIN_PASS "
                                         "  AS ID_LOGIN_PASS_SERV_WITH_LOG_PAS,ID_USER_DB      AS "
                                         "ID_USER_DB_SERV_WITH_LOG_PAS, DNS_OR_IP       AS "
                                         "DNS_OR_IP_SERV_WITH_LOG_PAS, RDP_OR_SSH      AS "
                                         "RDP_OR_SSH_SERV_WITH_LOG_PAS from  SERVERS_WITH_LOGIN_PASSS "
                                         "where ID_SERVERS = :perID_SERVERS and ID_USER_DB = :perID_USER_DB");

const QString kUpdateLink = QStringLiteral("UPDATE SERVERS_WITH_LOGIN_PASSS SET ID_LOGIN_PASS =      "
                                           ":perID_LOGIN_PASS, DNS_OR_IP  =      :perDNS_OR_IP, "
                                           "RDP_OR_SSH =      :perRDP_OR_SSH  where ID = :perID");

const QString kServersUsingKeySet = QStringLiteral(
    "select        treetable.text as TEXT,        login_pass.id from login_pass    inner join "
    "servers_with_login_passs on (login_pass.id = servers_with_login_passs.id_login_pass)    inner join "
    "servers on "
    "(servers_with_login_passs.id_servers = servers.id)    inner join treetable on (servers.id_treetable = "
    "treetable.id) where login_pass.id = :perIDpass ");

} // namespace

void insert_data_to_table_SERVERS_WITH_LOGIN_PASSS(int perID_USER_DB, int perID_SERVERS, int perID_LOGIN_PASS,
                                                   int perDNS_OR_IP, int perRDP_OR_SSH) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kInsertLink);
    query->setParam(QStringLiteral("perID_USER_DB"), perID_USER_DB);
    query->setParam(QStringLiteral("perID_SERVERS"), perID_SERVERS);
    query->setParam(QStringLiteral("perID_LOGIN_PASS"), perID_LOGIN_PASS);
    query->setParam(QStringLiteral("perDNS_OR_IP"), perDNS_OR_IP);
    query->setParam(QStringLiteral("perRDP_OR_SSH"), perRDP_OR_SSH);
    executeAndCommit(*query);
}

std::unique_ptr<fb::Query> FIND_IN_SERVERS_WITH_LOGIN_PASSS(int perID_USER_DB, int perID_SERVERS) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kFindLink);
    query->setParam(QStringLiteral("perID_USER_DB"), perID_USER_DB);
    query->setParam(QStringLiteral("perID_SERVERS"), perID_SERVERS);
    query->open();
    return query;
}

void update_for_table_SERVERS_WITH_LOGIN_PASSS(int perID, int perID_LOGIN_PASS, int perDNS_OR_IP,
                                               int perRDP_OR_SSH) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kUpdateLink);
    query->setParam(QStringLiteral("perID"), perID);
    query->setParam(QStringLiteral("perID_LOGIN_PASS"), perID_LOGIN_PASS);
    query->setParam(QStringLiteral("perDNS_OR_IP"), perDNS_OR_IP);
    query->setParam(QStringLiteral("perRDP_OR_SSH"), perRDP_OR_SSH);
    executeAndCommit(*query);
}

std::unique_ptr<fb::Query> SelectAllServerByOnIDpassword(int perIDpass) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kServersUsingKeySet);
    query->setParam(QStringLiteral("perIDpass"), perIDpass);
    query->open();
    return query;
}
