#include "db/TableServers.h"

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Error.h"
#include "fb/Query.h"

namespace {

const QString kInsertServer = QStringLiteral("insert into SERVERS (ID_TREETABLE,DOMAIN_NAME, IP_ADDRES, "
                                             "PORT, TRANSLATION_ ) values (:perID_TREETABLE, "
                                             ":perDOMAIN_NAME, :perIP_ADDRES, :perPORT, :per_TRANSLATION_)");

const QString kSelectServerWithTree = QStringLiteral(
    "SELECT TREETABLE.ID              AS ID_TREETABLE, TREETABLE.TYPE_NODE       AS TYPE_NODE, "
    "TREETABLE.TEXT            AS TEXT_TREETABLE, TREETABLE.ID_ICO          AS ID_ICO_TREETABLE, "
    "SERVERS.ID                AS ID_SERVERS, SERVERS.ID_TREETABLE      AS ID_TREETABLE_SERVERS, "
    "SERVERS.DOMAIN_NAME       AS DOMAIN_NAME_SERVERS, SERVERS.IP_ADDRES         AS IP_ADDRESS_SERVERS, "
    "SERVERS.PORT              AS PORT_SERVERS, SERVERS.TRANSLATION_      AS TRANSLATION_SERVERS, "
    "SERVERS.DEFAUL_PASS       AS DEFAUL_PASS_SERVERS, SERVERS.DEFAUL_DNS_OR_IP  AS "
    "DEFAUL_DNS_OR_IP_SERVERS, "
    "SERVERS.DEFAUL_RDP_OR_SSH AS DEFAUL_RDP_OR_SSH_SERVERS, SERVERS.NOTES             AS NOTES_SERVERS from "
    "SERVERS inner join TREETABLE ON SERVERS.ID_TREETABLE = TREETABLE.ID WHERE SERVERS.ID_TREETABLE= "
    ":perID_TREETABLE");

const QString kUpdateServerKeepDefaultKeys =
    QStringLiteral("UPDATE SERVERS SET DOMAIN_NAME =       :perDOMAIN_NAME, "
                   "IP_ADDRES =         :perIP_ADDRES, "
                   "PORT =              :perPORT, "
                   "TRANSLATION_ =      :perTRANSLATION_, "
                   "DEFAUL_DNS_OR_IP =  :perDEFAUL_DNS_OR_IP, "
                   "DEFAUL_RDP_OR_SSH = :perDEFAUL_RDP_OR_SSH, "
                   "NOTES =             :perNOTES_OF_SERVER  where ID = :perID");

const QString kUpdateServerSetDefaultKeys =
    QStringLiteral("UPDATE SERVERS SET DOMAIN_NAME =       :perDOMAIN_NAME, "
                   "IP_ADDRES =         :perIP_ADDRES, "
                   "PORT =              :perPORT, "
                   "TRANSLATION_ =      :perTRANSLATION_, "
                   "DEFAUL_PASS =       :perDEFAUL_PASS, "
                   "DEFAUL_DNS_OR_IP =  :perDEFAUL_DNS_OR_IP, "
                   "DEFAUL_RDP_OR_SSH = :perDEFAUL_RDP_OR_SSH, "
                   "NOTES =             :perNOTES_OF_SERVER  where ID = :perID");

} // namespace

void insertDataInSERVERS(int perID_TREETABLE, const QString& perDOMAIN_NAME, const QString& perIP_ADDRES,
                         const QString& perPORT, const QString& per_TRANSLATION_) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(kInsertServer);
    query->setParam(QStringLiteral("perID_TREETABLE"), perID_TREETABLE);
    query->setParam(QStringLiteral("perDOMAIN_NAME"), perDOMAIN_NAME);
    query->setParam(QStringLiteral("perIP_ADDRES"), perIP_ADDRES);
    query->setParam(QStringLiteral("perPORT"), perPORT);
    query->setParam(QStringLiteral("per_TRANSLATION_"), per_TRANSLATION_);
    executeAndCommit(*query);
}

std::unique_ptr<fb::Query> SELECT_DATA_FOR_TABLE_SERVERS_AND_TREETABLE(int perID_TREETABLE) {
    auto query = my_initialization_TIBQuery();
    query->setSql(kSelectServerWithTree);
    query->setParam(QStringLiteral("perID_TREETABLE"), perID_TREETABLE);
    query->open();
    query->last();
    return query;
}

void update_for_table_SERVERS(int perID, const QString& perDOMAIN_NAME, const QString& perIP_ADDRES,
                              const QString& perPORT, const QString& perTRANSLATION_, int perDEFAUL_PASS,
                              int perDEFAUL_DNS_OR_IP, int perDEFAUL_RDP_OR_SSH,
                              const QByteArray& perNOTES_OF_SERVER) {
    // A negative key set has no statement of its own; refuse it rather than
    // silently dropping the rest of the object's data.
    if (perDEFAUL_PASS < 0)
        throw fb::Error(
            QStringLiteral("update_for_table_SERVERS: invalid default key set %1").arg(perDEFAUL_PASS));

    const bool setsDefaultKeys = perDEFAUL_PASS > 0;
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(setsDefaultKeys ? kUpdateServerSetDefaultKeys : kUpdateServerKeepDefaultKeys);
    query->setParam(QStringLiteral("perDOMAIN_NAME"), perDOMAIN_NAME);
    query->setParam(QStringLiteral("perIP_ADDRES"), perIP_ADDRES);
    query->setParam(QStringLiteral("perPORT"), perPORT);
    query->setParam(QStringLiteral("perTRANSLATION_"), perTRANSLATION_);
    if (setsDefaultKeys)
        query->setParam(QStringLiteral("perDEFAUL_PASS"), perDEFAUL_PASS);
    query->setParam(QStringLiteral("perDEFAUL_DNS_OR_IP"), perDEFAUL_DNS_OR_IP);
    query->setParam(QStringLiteral("perDEFAUL_RDP_OR_SSH"), perDEFAUL_RDP_OR_SSH);
    if (perNOTES_OF_SERVER.isNull())
        query->setParamNull(QStringLiteral("perNOTES_OF_SERVER"));
    else
        query->setParamBlob(QStringLiteral("perNOTES_OF_SERVER"), perNOTES_OF_SERVER);
    query->setParam(QStringLiteral("perID"), perID);
    executeAndCommit(*query);
}
