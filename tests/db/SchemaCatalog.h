#pragma once

// Reads the schema of the current run database back from the server's system
// tables, as sorted lines that compare and print well in test failures.

#include "app/Connection.h"
#include "fb/Cp1251.h"
#include "fb/Query.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <string>
#include <vector>

namespace schemacatalog {

using Lines = std::vector<std::string>;

inline std::unique_ptr<fb::Query> readSystem(const QString& sql) {
    auto query = my_initialization_TIBQuery();
    query->setSql(sql);
    query->open();
    return query;
}

inline QString text(const fb::Query& q, const char* name) {
    return q.fieldByName(QString::fromLatin1(name)).asString().trimmed();
}

// Text BLOBs of the catalog (comments, default clauses) arrive in the connection's code page.
inline QString blobText(const fb::Query& q, const char* name) {
    return fb::fromCp1251(q.fieldByName(QString::fromLatin1(name)).asBytes()).trimmed();
}

inline int integer(const fb::Query& q, const char* name) {
    return q.fieldByName(QString::fromLatin1(name)).asInteger();
}

inline QString charsetName(int id) {
    switch (id) {
    case 0:
        return QStringLiteral("NONE");
    case 52:
        return QStringLiteral("WIN1251");
    default:
        return QStringLiteral("CS%1").arg(id);
    }
}

inline QString columnType(const fb::Query& q) {
    const int type = integer(q, "FTYPE");
    switch (type) {
    case 8:
        return QStringLiteral("INTEGER");
    case 14:
        return QStringLiteral("CHAR(%1) %2").arg(integer(q, "CLEN")).arg(charsetName(integer(q, "CSET")));
    case 37:
        return QStringLiteral("VARCHAR(%1) %2").arg(integer(q, "CLEN")).arg(charsetName(integer(q, "CSET")));
    case 261:
        return QStringLiteral("BLOB SUB_TYPE %1 SEGMENT SIZE %2")
            .arg(integer(q, "FSUB"))
            .arg(integer(q, "SEG"));
    default:
        return QStringLiteral("TYPE%1").arg(type);
    }
}

inline void add(Lines& lines, const QString& line) {
    lines.push_back(line.toStdString());
}

inline QStringList userTables() {
    QStringList tables;
    auto q = readSystem(QStringLiteral("select RDB$RELATION_NAME as NAME from RDB$RELATIONS "
                                       "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null"));
    for (; !q->eof(); q->next())
        tables << text(*q, "NAME");
    return tables;
}

inline void addColumns(Lines& lines) {
    auto q = readSystem(QStringLiteral(
        "select rf.RDB$RELATION_NAME as TNAME, rf.RDB$FIELD_NAME as CNAME, f.RDB$FIELD_TYPE as FTYPE, "
        "f.RDB$FIELD_SUB_TYPE as FSUB, f.RDB$CHARACTER_LENGTH as CLEN, f.RDB$CHARACTER_SET_ID as CSET, "
        "f.RDB$SEGMENT_LENGTH as SEG, coalesce(rf.RDB$NULL_FLAG, f.RDB$NULL_FLAG, 0) as NOTNULL, "
        "rf.RDB$DEFAULT_SOURCE as DEFSRC, rf.RDB$DESCRIPTION as DESCR "
        "from RDB$RELATION_FIELDS rf join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
        "join RDB$RELATIONS r on r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME "
        "where coalesce(r.RDB$SYSTEM_FLAG, 0) = 0 and r.RDB$VIEW_BLR is null"));
    for (; !q->eof(); q->next()) {
        const QString column = text(*q, "TNAME") + QLatin1Char('.') + text(*q, "CNAME");
        QString line = QStringLiteral("column ") + column + QLatin1Char(' ') + columnType(*q);
        if (integer(*q, "NOTNULL") != 0)
            line += QStringLiteral(" NOT NULL");
        const QString defaultClause = blobText(*q, "DEFSRC");
        if (!defaultClause.isEmpty())
            line += QLatin1Char(' ') + defaultClause;
        add(lines, line);
        const QString comment = blobText(*q, "DESCR");
        if (!comment.isEmpty())
            add(lines,
                QStringLiteral("comment ") + column + QStringLiteral(" '") + comment + QLatin1Char('\''));
    }
}

inline void addKeys(Lines& lines) {
    auto q = readSystem(QStringLiteral(
        "select rc.RDB$CONSTRAINT_NAME as CNAME, rc.RDB$CONSTRAINT_TYPE as CTYPE, rc.RDB$RELATION_NAME as "
        "TNAME, "
        "seg.RDB$FIELD_NAME as FNAME, target.RDB$RELATION_NAME as TARGET, ref.RDB$DELETE_RULE as DEL, "
        "ref.RDB$UPDATE_RULE as UPD "
        "from RDB$RELATION_CONSTRAINTS rc "
        "join RDB$INDEX_SEGMENTS seg on seg.RDB$INDEX_NAME = rc.RDB$INDEX_NAME "
        "left join RDB$REF_CONSTRAINTS ref on ref.RDB$CONSTRAINT_NAME = rc.RDB$CONSTRAINT_NAME "
        "left join RDB$RELATION_CONSTRAINTS target on target.RDB$CONSTRAINT_NAME = ref.RDB$CONST_NAME_UQ "
        "where rc.RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'FOREIGN KEY')"));
    for (; !q->eof(); q->next()) {
        QString line = text(*q, "CTYPE") + QLatin1Char(' ') + text(*q, "CNAME") + QLatin1Char(' ') +
                       text(*q, "TNAME") + QLatin1Char('(') + text(*q, "FNAME") + QLatin1Char(')');
        if (text(*q, "CTYPE") == QLatin1String("FOREIGN KEY")) {
            line += QStringLiteral(" -> %1 ON DELETE %2 ON UPDATE %3")
                        .arg(text(*q, "TARGET"), text(*q, "DEL"), text(*q, "UPD"));
        }
        add(lines, line);
    }
}

inline QString triggerKind(int type) {
    switch (type) {
    case 1:
        return QStringLiteral("BEFORE INSERT");
    case 2:
        return QStringLiteral("AFTER INSERT");
    default:
        return QStringLiteral("TYPE%1").arg(type);
    }
}

inline void addTriggers(Lines& lines) {
    auto q = readSystem(QStringLiteral(
        "select RDB$TRIGGER_NAME as NAME, RDB$RELATION_NAME as TNAME, RDB$TRIGGER_TYPE as TTYPE, "
        "RDB$TRIGGER_SEQUENCE as SEQ, coalesce(RDB$TRIGGER_INACTIVE, 0) as INACTIVE "
        "from RDB$TRIGGERS where coalesce(RDB$SYSTEM_FLAG, 0) = 0"));
    for (; !q->eof(); q->next()) {
        add(lines, QStringLiteral("trigger %1 %2 %3 POSITION %4 %5")
                       .arg(text(*q, "NAME"), text(*q, "TNAME"), triggerKind(integer(*q, "TTYPE")))
                       .arg(integer(*q, "SEQ"))
                       .arg(integer(*q, "INACTIVE") ? QStringLiteral("INACTIVE") : QStringLiteral("ACTIVE")));
    }
}

inline QStringList generatorNames() {
    QStringList names;
    auto q = readSystem(QStringLiteral("select RDB$GENERATOR_NAME as NAME from RDB$GENERATORS "
                                       "where coalesce(RDB$SYSTEM_FLAG, 0) = 0"));
    for (; !q->eof(); q->next())
        names << text(*q, "NAME");
    return names;
}

inline qint64 generatorValue(const QString& name) {
    auto q = readSystem(QStringLiteral("select gen_id(%1, 0) from rdb$database").arg(name));
    return q->field(0).asInt64();
}

// Tables, columns with types, defaults and comments, keys, triggers and generators.
inline Lines structure() {
    Lines lines;
    for (const QString& table : userTables())
        add(lines, QStringLiteral("table ") + table);
    addColumns(lines);
    addKeys(lines);
    addTriggers(lines);
    for (const QString& name : generatorNames())
        add(lines, QStringLiteral("generator ") + name);
    std::sort(lines.begin(), lines.end());
    return lines;
}

inline Lines generatorValues() {
    Lines lines;
    for (const QString& name : generatorNames())
        add(lines, QStringLiteral("%1 = %2").arg(name).arg(generatorValue(name)));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The schema of version 16, whichever way a database got there.
inline Lines currentSchema() {
    Lines lines = {
        "table DATA_PROGRAMM",
        "table ICO",
        "table LOGIN_PASS",
        "table LOGS",
        "table OTHER_LOGIN_PASS_ON_SRV",
        "table SERVERS",
        "table SERVERS_WITH_LOGIN_PASSS",
        "table TREETABLE",
        "table USER_DB",
        "column DATA_PROGRAMM.ID INTEGER NOT NULL",
        "column DATA_PROGRAMM.VER_DB INTEGER",
        "column ICO.ID INTEGER NOT NULL",
        "column ICO.IMAGE_ BLOB SUB_TYPE 0 SEGMENT SIZE 80",
        "column LOGIN_PASS.ID INTEGER NOT NULL",
        // Firebird 3 ignores the NONE of the version-12 step, so the name stays WIN1251.
        "column LOGIN_PASS.NAME CHAR(150) WIN1251",
        "column LOGIN_PASS.LOGIN CHAR(50) WIN1251",
        "column LOGIN_PASS.PASS CHAR(50) WIN1251",
        "column LOGIN_PASS.PERSONAL INTEGER",
        "column LOGS.ID INTEGER NOT NULL",
        "column LOGS.PARAMETERS BLOB SUB_TYPE 0 SEGMENT SIZE 80",
        "column OTHER_LOGIN_PASS_ON_SRV.ID INTEGER NOT NULL",
        "column OTHER_LOGIN_PASS_ON_SRV.LOGIN CHAR(50) WIN1251",
        "column OTHER_LOGIN_PASS_ON_SRV.PASS CHAR(50) WIN1251",
        "column OTHER_LOGIN_PASS_ON_SRV.COMMENT VARCHAR(1024) WIN1251",
        "column SERVERS.ID INTEGER NOT NULL",
        "column SERVERS.ID_TREETABLE INTEGER",
        "column SERVERS.DOMAIN_NAME CHAR(500) WIN1251",
        "column SERVERS.IP_ADDRES CHAR(30) WIN1251",
        "column SERVERS.TRANSLATION_ CHAR(50) WIN1251",
        "column SERVERS.PORT CHAR(5) WIN1251",
        "column SERVERS.DEFAUL_PASS INTEGER",
        "column SERVERS.DEFAUL_DNS_OR_IP INTEGER",
        "column SERVERS.DEFAUL_RDP_OR_SSH INTEGER",
        "column SERVERS.NOTES BLOB SUB_TYPE 0 SEGMENT SIZE 80",
        "column SERVERS_WITH_LOGIN_PASSS.ID INTEGER NOT NULL",
        "column SERVERS_WITH_LOGIN_PASSS.ID_SERVERS INTEGER",
        "column SERVERS_WITH_LOGIN_PASSS.ID_LOGIN_PASS INTEGER",
        "column SERVERS_WITH_LOGIN_PASSS.ID_USER_DB INTEGER",
        "column SERVERS_WITH_LOGIN_PASSS.DNS_OR_IP INTEGER",
        "column SERVERS_WITH_LOGIN_PASSS.RDP_OR_SSH INTEGER",
        "column TREETABLE.ID INTEGER NOT NULL",
        "column TREETABLE.ID_PARENT INTEGER",
        "column TREETABLE.TEXT CHAR(50) WIN1251",
        "column TREETABLE.ID_ICO INTEGER",
        "column TREETABLE.POSITION_ INTEGER DEFAULT 0",
        "column TREETABLE.TYPE_NODE INTEGER",
        "column USER_DB.ID INTEGER NOT NULL",
        "column USER_DB.FIO CHAR(50) WIN1251",
        "column USER_DB.PASS CHAR(10) WIN1251",
        "comment LOGIN_PASS.PERSONAL 'сюда идет запис ИД пользователя БД user_db'",
        "comment OTHER_LOGIN_PASS_ON_SRV.COMMENT 'сюда вписывается описание логина и пароля'",
        "comment SERVERS.TRANSLATION_ 'кодировка в putty'",
        "comment SERVERS.DEFAUL_PASS 'набор ключей по дефолту если нет своих'",
        "comment SERVERS.DEFAUL_DNS_OR_IP '1-DNS 2-IP'",
        "comment SERVERS.DEFAUL_RDP_OR_SSH '1-RDP 2-SSH'",
        "comment SERVERS.NOTES 'для заметок'",
        "comment SERVERS_WITH_LOGIN_PASSS.RDP_OR_SSH '1-RDP 2-SSH'",
        "comment TREETABLE.ID_ICO 'ID иконки дерева'",
        "comment TREETABLE.POSITION_ 'Позиция объекта относительно других объектов'",
        "comment TREETABLE.TYPE_NODE 'тип ноды папка сервер браузер'",
        "PRIMARY KEY PK_DATA DATA_PROGRAMM(ID)",
        "PRIMARY KEY PK_ICO ICO(ID)",
        "PRIMARY KEY PK_LOGIN_PASS LOGIN_PASS(ID)",
        "PRIMARY KEY PK_LOGS LOGS(ID)",
        "PRIMARY KEY PK_OTHER_LOGIN_PASS_ON_SRV OTHER_LOGIN_PASS_ON_SRV(ID)",
        "PRIMARY KEY PK_SERVERS SERVERS(ID)",
        "PRIMARY KEY PK_SERVERS_WITH_LOGIN_PASSS SERVERS_WITH_LOGIN_PASSS(ID)",
        "PRIMARY KEY PK_TREETABLE TREETABLE(ID)",
        "PRIMARY KEY PK_USER_DB USER_DB(ID)",
        "FOREIGN KEY FK_SERVERS_1 SERVERS(ID_TREETABLE) -> TREETABLE ON DELETE CASCADE ON UPDATE CASCADE",
        "FOREIGN KEY FK_SERVERS_WITH_LOGIN_PASSS_1 SERVERS_WITH_LOGIN_PASSS(ID_SERVERS) -> SERVERS "
        "ON DELETE CASCADE ON UPDATE CASCADE",
        "FOREIGN KEY FK_SERVERS_WITH_LOGIN_PASSS_2 SERVERS_WITH_LOGIN_PASSS(ID_LOGIN_PASS) -> LOGIN_PASS "
        "ON DELETE CASCADE ON UPDATE CASCADE",
        "FOREIGN KEY FK_SERVERS_WITH_LOGIN_PASSS_3 SERVERS_WITH_LOGIN_PASSS(ID_USER_DB) -> USER_DB "
        "ON DELETE CASCADE ON UPDATE CASCADE",
        "trigger DATA_PROGRAMM_BI DATA_PROGRAMM BEFORE INSERT POSITION 0 ACTIVE",
        "trigger LOGIN_PASS_BI LOGIN_PASS BEFORE INSERT POSITION 0 ACTIVE",
        "trigger LOGS_AI0 LOGS AFTER INSERT POSITION 0 ACTIVE",
        "trigger LOGS_BI LOGS BEFORE INSERT POSITION 0 ACTIVE",
        "trigger OTHER_LOGIN_PASS_ON_SRV_BI OTHER_LOGIN_PASS_ON_SRV BEFORE INSERT POSITION 0 ACTIVE",
        "trigger SERVERS_BI SERVERS BEFORE INSERT POSITION 0 ACTIVE",
        "trigger SERVERS_WITH_LOGIN_PASSS_BI SERVERS_WITH_LOGIN_PASSS BEFORE INSERT POSITION 0 ACTIVE",
        "trigger TREETABLE_BI TREETABLE BEFORE INSERT POSITION 0 ACTIVE",
        "trigger USER_DB_BI USER_DB BEFORE INSERT POSITION 0 ACTIVE",
        "generator GEN_CHANGE_CONNECT_IP_OR_DNS_ID",
        "generator GEN_DATA_PROGRAMM_ID",
        "generator GEN_ICO_ID",
        "generator GEN_LOGIN_PASS_ID",
        "generator GEN_LOGS_ID",
        "generator GEN_OTHER_LOGIN_PASS_ON_SRV_ID",
        "generator GEN_SERVERS_ID",
        "generator GEN_SERVERS_WITH_LOGIN_PASSS_ID",
        "generator GEN_TREETABLE_ID",
        "generator GEN_USER_DB_ID",
    };
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace schemacatalog
