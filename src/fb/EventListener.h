#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace fb {

class Database;

// Listens for one database event. The client library calls back on a thread of its
// own; every delivery is handed to the thread that owns this object (the user
// interface thread) before posted() is emitted. Several posts may arrive as one
// delivery, so posted() carries how many there were.
//
// Posts made while nobody listens are gone for good: after stopped(), or after any
// reconnect, attach again and catch up from the journal.
class EventListener : public QObject {
    Q_OBJECT
public:
    EventListener(const QString& eventName, QObject* parent = nullptr);
    ~EventListener() override;

    const QString& eventName() const { return m_name; }

    // Registers on db's attachment (cancelling an earlier registration). The first
    // answer of the server only sets the baseline of the count.
    void attach(Database& db);
    // Cancels the registration; neither posted() nor stopped() follows.
    void detach();
    bool attached() const;
    // True once the server's first answer has arrived: from then on no post is missed.
    bool listening() const { return m_baselineSet; }

    // A connection that is lost without the server saying so (the attachment ended
    // by an administrator, a network gone quiet) is found by asking the server now
    // and then, every 30 seconds unless set otherwise; 0 turns the check off.
    void setConnectionCheckInterval(int ms);

signals:
    void posted(int count);
    // The first answer arrived after attach().
    void ready();
    // Listening ended without detach(): the connection was found lost (by a delivery
    // that registering again could not follow, or by the connection check), the
    // server kept cancelling the registration, or the database was closed or
    // destroyed. attached() and listening() are false by
    // then. Always emitted from the event loop, never from inside a call such as
    // Database::close(), so a handler may attach again at once.
    void stopped();

private:
    friend class Database;
    class Callback;

    // Called by the callback, through the event loop, for each delivery.
    Q_INVOKABLE void takeDelivery();
    void queue();
    void stopListening();
    void databaseClosing();
    void checkConnection();

    QString m_name;
    Database* m_db = nullptr; // set while attached
    QByteArray m_block;
    bool m_baselineSet = false;
    quint64 m_generation = 0;
    int m_emptyDeliveries = 0;
    QTimer m_connectionCheck;
    struct Registration;
    std::unique_ptr<Registration> m_registration;
};

} // namespace fb
