#include "Client.h"

#include "Cp1251.h"

#include <array>

namespace fb::detail {

Firebird::IMaster* master() {
    static Firebird::IMaster* const instance = Firebird::fb_get_master_interface();
    return instance;
}

Firebird::IProvider* provider() {
    static Firebird::IProvider* const instance = master()->getDispatcher();
    return instance;
}

Firebird::IUtil* util() {
    static Firebird::IUtil* const instance = master()->getUtilInterface();
    return instance;
}

QString statusText(const Firebird::IStatus* status) {
    std::array<char, 4096> buffer{};
    util()->formatStatus(buffer.data(), static_cast<unsigned>(buffer.size() - 1),
                         const_cast<Firebird::IStatus*>(status));
    return fromCp1251(QByteArray(buffer.data())).trimmed();
}

Error toError(const Firebird::FbException& e) {
    const Firebird::IStatus* status = e.getStatus();
    const intptr_t* errors = const_cast<Firebird::IStatus*>(status)->getErrors();
    const long code = errors && errors[0] == isc_arg_gds ? static_cast<long>(errors[1]) : 0;
    return Error(statusText(status), code);
}

} // namespace fb::detail
