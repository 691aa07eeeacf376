#pragma once

#include "launch/LaunchRequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

enum class Protocol { None, Rdp, Ssh, Browser };

// The user's own choice (1 to 3) wins; otherwise the object's default.
Protocol effectiveProtocol(const LaunchRequest& request);

// The object's default target (1 name, 2 address), overruled by the user's own
// choice; empty when neither chooses.
QString effectiveTarget(const LaunchRequest& request);

// What to start for one connection, or why not.
struct LaunchPlan {
    QString refusal; // non-empty: start nothing, show this to the user
    QString program; // name to look up ("xfreerdp", "putty", "xdg-open") or a full path
    QString package; // Debian package that brings it, for the "not found" message
    bool besideUsFirst = false;
    QStringList arguments;
    std::optional<QByteArray> stdinData; // the secret; never in arguments
    QString sessionName;                 // process name of the session to watch; empty: not watched
    QStringList traceNotes;              // remarks for the trace (never the password)

    bool refused() const { return !refusal.isEmpty(); }
};

// xfreerdp /v:<target> [/port:<n>] [/u:<login>] [/from-stdin:force] /cert:tofu
// The port is used only when the object's default protocol is RDP, since the port
// field otherwise holds another protocol's port.
LaunchPlan planRdp(const QString& login, const QString& password, const QString& target, const QString& port,
                   bool portIsForRdp);

// putty -ssh [-l <login>] [-P <port>] [-pwfile /dev/stdin] <target>
LaunchPlan planSsh(const QString& login, const QString& password, const QString& target, const QString& port);

// xdg-open <url>, or the configured browser with the URL as its one argument.
// Only http and https; an address without a scheme gets "http://".
LaunchPlan planWeb(const QString& target, const LaunchSettings& settings);

// Why a code page cannot go into PuTTY's settings file; empty when it can.
QString codePageRefusal(const QString& codePage);

// "Не найдена программа xfreerdp. Установите пакет freerdp2-x11."
QString programNotFoundMessage(const LaunchPlan& plan);

// Program and arguments as the trace shows them; the secret is never among them.
QString traceLine(const QString& programPath, const QStringList& arguments);
