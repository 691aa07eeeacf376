#include "Error.h"

#include <firebird/Interface.h>
#include <ibase.h>

namespace fb {

bool Error::isLockConflict() const {
    return m_gdsCode == isc_lock_conflict || m_gdsCode == isc_deadlock || m_gdsCode == isc_update_conflict;
}

bool Error::isNetworkError() const {
    return m_gdsCode == isc_network_error || m_gdsCode == isc_net_read_err ||
           m_gdsCode == isc_net_write_err || m_gdsCode == isc_lost_db_connection;
}

bool Error::isLoginFailure() const {
    return m_gdsCode == isc_login;
}

} // namespace fb
