#pragma once

// Arranging objects, key sets, users and link rows in the current test database
// with plain SQL, so that what the program reads back is known exactly.

#include "app/Connection.h"
#include "app/Variable.h"
#include "fb/Query.h"
#include "support/TestDatabase.h"

#include <QString>

namespace objectrows {

inline QString sqlText(const QString& text) {
    return text.isNull()
               ? QStringLiteral("NULL")
               : QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
                     QLatin1Char('\'');
}

inline QString sqlInt(int value) {
    return value == 0 ? QStringLiteral("NULL") : QString::number(value);
}

inline void addObject(int id, int parent, const QString& text, int position = 1, int type = 0, int ico = 0) {
    testsupport::execWrite(
        QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT, POSITION_, TYPE_NODE, ID_ICO) "
                       "values (%1, %2, %3, %4, %5, %6)")
            .arg(id)
            .arg(parent)
            .arg(sqlText(text))
            .arg(position)
            .arg(type)
            .arg(sqlInt(ico)));
}

struct Server {
    QString domainName = QStringLiteral("host.corp.local");
    QString ip = QStringLiteral("10.0.0.1");
    QString port = QStringLiteral("3389");
    QString translation;
    int defaultKeySet = 0;
    int defaultDnsOrIp = 0;
    int defaultRdpOrSsh = 0;
};

// Returns SERVERS.ID.
inline int addServer(int treeId, const Server& s = Server()) {
    testsupport::execWrite(
        QStringLiteral(
            "insert into SERVERS (ID_TREETABLE, DOMAIN_NAME, IP_ADDRES, PORT, TRANSLATION_, DEFAUL_PASS, "
            "DEFAUL_DNS_OR_IP, DEFAUL_RDP_OR_SSH) values (%1, %2, %3, %4, %5, %6, %7, %8)")
            .arg(treeId)
            .arg(sqlText(s.domainName), sqlText(s.ip), sqlText(s.port.isEmpty() ? QString() : s.port),
                 sqlText(s.translation.isEmpty() ? QString() : s.translation))
            .arg(sqlInt(s.defaultKeySet), sqlInt(s.defaultDnsOrIp), sqlInt(s.defaultRdpOrSsh)));
    return testsupport::readInt(QStringLiteral("select ID from SERVERS where ID_TREETABLE = %1").arg(treeId));
}

inline void addKeySet(int id, const QString& name, const QString& login, const QString& password, int owner) {
    testsupport::execWrite(
        QStringLiteral("insert into LOGIN_PASS (ID, NAME, LOGIN, PASS, PERSONAL) values "
                       "(%1, %2, %3, %4, %5)")
            .arg(id)
            .arg(sqlText(name), sqlText(login), sqlText(encode_string(password)), sqlInt(owner)));
}

// Returns USER_DB.ID.
inline int addUser(const QString& fio) {
    testsupport::execWrite(
        QStringLiteral("insert into USER_DB (FIO, PASS) values (%1, 'x')").arg(sqlText(fio)));
    return testsupport::readInt(QStringLiteral("select max(ID) from USER_DB"));
}

inline void addLink(int user, int serverId, int keySet, int dnsOrIp, int rdpOrSsh) {
    testsupport::execWrite(QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_USER_DB, ID_SERVERS, "
                                          "ID_LOGIN_PASS, DNS_OR_IP, RDP_OR_SSH) values (%1, %2, %3, %4, %5)")
                               .arg(user)
                               .arg(serverId)
                               .arg(sqlInt(keySet), sqlInt(dnsOrIp), sqlInt(rdpOrSsh)));
}

inline void setNotes(int serverId, const QByteArray& notes) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("update SERVERS set NOTES = :perNOTES where ID = :perID"));
    query->setParamBlob(QStringLiteral("perNOTES"), notes);
    query->setParamInt(QStringLiteral("perID"), serverId);
    executeAndCommit(*query);
}

// One column of one row, trimmed text.
inline QString cell(const QString& table, const QString& column, const QString& where) {
    return testsupport::readRows(QStringLiteral("select %1 from %2 where %3").arg(column, table, where))
        ->field(0)
        .asString()
        .trimmed();
}

} // namespace objectrows
