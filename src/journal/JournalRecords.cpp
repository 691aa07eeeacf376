#include "journal/JournalRecords.h"

type_ParametersOfEvents creationRecord(int userId, int newId, int parentId, const QString& text,
                                       const QString& newPath) {
    type_ParametersOfEvents r;
    r.UserID_ = userId;
    r.Type_ = 1;
    r.ID_Parent_before = parentId != 0 ? parentId : newId;
    r.Position_ = parentId;
    r.IDchildren_ = newId;
    r.Path_before = newPath;
    r.Text_ = text;
    return r;
}

type_ParametersOfEvents moveRecord(int userId, int movedId, int newParentId, const QString& text,
                                   const QString& pathBefore, const QString& newParentPath) {
    type_ParametersOfEvents r;
    r.UserID_ = userId;
    r.Type_ = 3;
    r.ID_Parent_before = movedId;
    r.ID_Parent_after = newParentId;
    r.Path_before = pathBefore;
    r.Text_ = text;
    r.Path_after = newParentPath + QLatin1Char('\\') + text;
    return r;
}

type_ParametersOfEvents deletionRecord(int userId, int deletedId, const QString& text,
                                       const QString& pathBefore) {
    type_ParametersOfEvents r;
    r.UserID_ = userId;
    r.Type_ = 4;
    r.ID_Parent_before = deletedId;
    r.Path_before = pathBefore;
    r.Text_ = text;
    return r;
}

int objectIdOf(const type_ParametersOfEvents& entry) {
    switch (entry.Type_) {
    case 1:
        // Older copies fill IDchildren_ too; the top-level form names the object twice.
        if (entry.IDchildren_ != 0)
            return entry.IDchildren_;
        return entry.Position_ == 0 ? entry.ID_Parent_before : 0;
    case 2:
        return entry.IDchildren_;
    case 3:
    case 4:
        return entry.ID_Parent_before;
    default:
        return 0;
    }
}

namespace {

void rebaseUpdate(type_ParametersOfEvents& p, const type_ParametersOfEvents& e) {
    if (e.TYPE_NODE_before != e.TYPE_NODE_after)
        p.TYPE_NODE_before = p.TYPE_NODE_after;
    if (e.Text_ != e.TEXT_TREETABLE_after)
        p.Text_ = p.TEXT_TREETABLE_after;
    if (e.ID_ICO_TREETABLE_before != e.ID_ICO_TREETABLE_after)
        p.ID_ICO_TREETABLE_before = p.ID_ICO_TREETABLE_after;
    if (e.DOMAIN_NAME_SERVERS_before != e.DOMAIN_NAME_SERVERS_after)
        p.DOMAIN_NAME_SERVERS_before = p.DOMAIN_NAME_SERVERS_after;
    if (e.IP_ADDRES_SERVERS_before != e.IP_ADDRES_SERVERS_after)
        p.IP_ADDRES_SERVERS_before = p.IP_ADDRES_SERVERS_after;
    if (e.ID_LOGIN_PASS_before != e.ID_LOGIN_PASS_after) {
        p.NAME_LOGIN_PASS_before = p.NAME_LOGIN_PASS_after;
        p.ID_LOGIN_PASS_before = p.ID_LOGIN_PASS_after;
    } else {
        if (e.LOGIN_LOGIN_PASS_before != e.LOGIN_LOGIN_PASS_after)
            p.LOGIN_LOGIN_PASS_before = p.LOGIN_LOGIN_PASS_after;
        if (e.PASS_LOGIN_PASS_before != e.PASS_LOGIN_PASS_after)
            p.PASS_LOGIN_PASS_before = p.PASS_LOGIN_PASS_after;
    }
    if (e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before != e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after)
        p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after;
    if (e.PORT_SERVERS_before != e.PORT_SERVERS_after)
        p.PORT_SERVERS_before = p.PORT_SERVERS_after;
}

} // namespace

void rebasePendingRecord(type_ParametersOfEvents& pending, int pendingObjectId,
                         const type_ParametersOfEvents& journalled) {
    if (pendingObjectId == 0 || objectIdOf(journalled) != pendingObjectId)
        return;
    if (journalled.Type_ == 2)
        rebaseUpdate(pending, journalled);
    else if (journalled.Type_ == 3 && journalled.Path_before != journalled.Path_after)
        pending.Path_before = journalled.Path_after;
}
