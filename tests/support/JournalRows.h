#pragma once

// Journal entries written straight into LOGS of the run's database, for tests
// that read the journal back. Header only: it needs the journal layer, which the
// shared support library does not link.

#include "app/Connection.h"
#include "app/RunDatabase.h"
#include "fb/Query.h"
#include "journal/ChangeRecord.h"
#include "journal/TableLogs.h"

#include <functional>

namespace testsupport {

// Any bytes as one entry; returns its identity.
inline int insertRawBytes(const QByteArray& bytes) {
    auto query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP) returning ID"));
    query->setParamBlob(QStringLiteral("perP"), bytes);
    query->execSql();
    const int id = query->field(0).asInteger();
    runDatabase().IBTransaction2.commit();
    return id;
}

// Many entries in one transaction, each stamped as this program stamps them.
inline void insertMany(int count, const std::function<type_ParametersOfEvents(int)>& make) {
    fb::Query query(runDatabase().IBDatabase1, runDatabase().IBTransaction2);
    query.setSql(QStringLiteral("insert into LOGS (PARAMETERS) values (:perP)"));
    for (int i = 1; i <= count; ++i) {
        query.setParamBlob(QStringLiteral("perP"), serializeChangeRecord(make(i)) + timeTrailer(i * 1000));
        query.execSql();
    }
    runDatabase().IBTransaction2.commit();
}

// A kind-2 entry of the object at path changing its port from 22 to port; our
// copies name the object by identity, older ones leave objectId 0.
inline type_ParametersOfEvents portUpdate(int user, int objectId, const QString& path, const QString& port) {
    type_ParametersOfEvents r;
    r.UserID_ = user;
    r.Type_ = 2;
    r.IDchildren_ = objectId;
    r.Path_before = path;
    r.Text_ = path.section(QLatin1Char('\\'), -1);
    r.TEXT_TREETABLE_after = r.Text_;
    r.PORT_SERVERS_before = QStringLiteral("22");
    r.PORT_SERVERS_after = port;
    return r;
}

// A kind-1 entry: objectId created under parentId at position, named "Объект"
// at path, as the create journals it before the user renames the object.
inline type_ParametersOfEvents creationEntry(int user, int objectId, int parentId, int position,
                                             const QString& path) {
    type_ParametersOfEvents r;
    r.UserID_ = user;
    r.Type_ = 1;
    r.ID_Parent_before = parentId;
    r.Position_ = position;
    r.IDchildren_ = objectId;
    r.Text_ = QStringLiteral("Объект");
    r.Path_before = path;
    return r;
}

} // namespace testsupport
