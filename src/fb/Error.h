#pragma once

#include <QString>
#include <stdexcept>

namespace fb {

// A failure reported by the server or the client library, or by this layer itself.
// what() gives the text in UTF-8; text() the same as a QString.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text, long gdsCode = 0)
        : std::runtime_error(text.toStdString()), m_text(text), m_gdsCode(gdsCode) {}

    const QString& text() const { return m_text; }
    // The first error code of the status vector (isc_... constant), 0 when none.
    long gdsCode() const { return m_gdsCode; }

    bool isLockConflict() const;
    bool isNetworkError() const;
    // The server refused the user name or password.
    bool isLoginFailure() const;

private:
    QString m_text;
    long m_gdsCode;
};

} // namespace fb
