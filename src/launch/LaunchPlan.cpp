#include "launch/LaunchPlan.h"

#include <QUrl>

namespace {

constexpr int kMaxCodePageLength = 50;

bool hasControlOrSpace(const QString& text) {
    for (QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return true;
    }
    return false;
}

bool hasControl(const QString& text) {
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

QString stopped(const QString& reason) {
    return reason + QStringLiteral(" Подключение не запущено.");
}

// A target becomes one argument, but the client must still take it for a host:
// "-proxycmd" would be read as an option, a blank or a line break is no host.
QString targetRefusal(const QString& target) {
    if (target.isEmpty())
        return stopped(
            QStringLiteral("Не указан адрес подключения: заполните DN/URL или IP адрес и выберите, "
                           "по какому из них подключаться."));
    if (target.startsWith(QLatin1Char('-')))
        return stopped(
            QStringLiteral("Адрес «%1» начинается с «-» и был бы принят за параметр программы.").arg(target));
    if (hasControlOrSpace(target))
        return stopped(QStringLiteral("Адрес «%1» содержит пробелы или управляющие символы.").arg(target));
    return {};
}

QString credentialsRefusal(const QString& login, const QString& password) {
    if (hasControl(login))
        return stopped(QStringLiteral("Логин содержит управляющие символы (например, перевод строки)."));
    // The clients read the password up to the end of its line.
    if (password.contains(QLatin1Char('\n')) || password.contains(QLatin1Char('\r')) ||
        password.contains(QChar(0)))
        return stopped(QStringLiteral("Пароль содержит перевод строки; программа подключения прочла бы "
                                      "только его начало."));
    return {};
}

// A port goes to the client only when it is one; anything else leaves the client's own.
std::optional<int> validPort(const QString& text, QStringList& notes) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int port = trimmed.toInt(&ok);
    bool digitsOnly = true;
    for (QChar c : trimmed)
        digitsOnly = digitsOnly && c.isDigit() && c.unicode() < 128;
    if (ok && digitsOnly && port >= 1 && port <= 65535)
        return port;
    notes << QStringLiteral("Порт «%1» не в пределах 1–65535, используется порт по умолчанию").arg(text);
    return std::nullopt;
}

LaunchPlan refusal(const QString& reason) {
    LaunchPlan plan;
    plan.refusal = reason;
    return plan;
}

QString quotedForTrace(const QString& argument) {
    if (!argument.isEmpty() && !hasControlOrSpace(argument) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString escaped = argument;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    escaped.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

Protocol effectiveProtocol(const LaunchRequest& request) {
    for (int choice : {request.userRdpOrSsh, request.defaultRdpOrSsh}) {
        switch (choice) {
        case 1:
            return Protocol::Rdp;
        case 2:
            return Protocol::Ssh;
        case 3:
            return Protocol::Browser;
        default:
            break;
        }
    }
    return Protocol::None;
}

QString effectiveTarget(const LaunchRequest& request) {
    for (int choice : {request.userDnsOrIp, request.defaultDnsOrIp}) {
        if (choice == 1)
            return request.domainName;
        if (choice == 2)
            return request.ipAddress;
    }
    return {};
}

LaunchPlan planRdp(const QString& login, const QString& password, const QString& target, const QString& port,
                   bool portIsForRdp) {
    QString reason = targetRefusal(target);
    if (reason.isEmpty())
        reason = credentialsRefusal(login, password);
    if (!reason.isEmpty())
        return refusal(reason);

    LaunchPlan plan;
    plan.program = QStringLiteral("xfreerdp");
    plan.package = QStringLiteral("freerdp2-x11");
    plan.sessionName = plan.program;
    plan.arguments << QStringLiteral("/v:") + target;
    if (portIsForRdp) {
        if (const auto n = validPort(port, plan.traceNotes))
            plan.arguments << QStringLiteral("/port:%1").arg(*n);
    }
    if (!login.isEmpty())
        plan.arguments << QStringLiteral("/u:") + login;
    if (!password.isEmpty()) {
        plan.arguments << QStringLiteral("/from-stdin:force");
        plan.stdinData = password.toUtf8() + '\n';
    }
    // A certificate question could not be answered: standard input is closed.
    plan.arguments << QStringLiteral("/cert:tofu");
    return plan;
}

LaunchPlan planSsh(const QString& login, const QString& password, const QString& target,
                   const QString& port) {
    QString reason = targetRefusal(target);
    if (reason.isEmpty())
        reason = credentialsRefusal(login, password);
    if (!reason.isEmpty())
        return refusal(reason);

    LaunchPlan plan;
    plan.program = QStringLiteral("putty");
    plan.package = QStringLiteral("putty");
    plan.besideUsFirst = true;
    plan.sessionName = plan.program;
    plan.arguments << QStringLiteral("-ssh");
    if (!login.isEmpty())
        plan.arguments << QStringLiteral("-l") << login;
    if (const auto n = validPort(port, plan.traceNotes))
        plan.arguments << QStringLiteral("-P") << QString::number(*n);
    // Never -pw: the command line of every process is readable by every user.
    if (!password.isEmpty()) {
        plan.arguments << QStringLiteral("-pwfile") << QStringLiteral("/dev/stdin");
        plan.stdinData = password.toUtf8() + '\n';
    }
    plan.arguments << target;
    return plan;
}

LaunchPlan planWeb(const QString& target, const LaunchSettings& settings) {
    if (target.isEmpty())
        return refusal(targetRefusal(target));
    if (hasControlOrSpace(target))
        return refusal(stopped(
            QStringLiteral("Адрес сайта «%1» содержит пробелы или управляющие символы.").arg(target)));
    const QString text = target.contains(QLatin1String("://")) ? target : QStringLiteral("http://") + target;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return refusal(stopped(
            QStringLiteral("Адрес сайта «%1» не подходит: открываются только адреса http:// и https://.")
                .arg(target)));

    LaunchPlan plan;
    if (settings.browserByDefaultBool) {
        if (settings.browserByDefaultPath.trimmed().isEmpty())
            return refusal(
                stopped(QStringLiteral("В настройках включён свой браузер, но путь к нему не указан.")));
        plan.program = settings.browserByDefaultPath;
    } else {
        plan.program = QStringLiteral("xdg-open");
        plan.package = QStringLiteral("xdg-utils");
    }
    plan.arguments << text;
    return plan;
}

QString codePageRefusal(const QString& codePage) {
    bool printable = true;
    for (QChar c : codePage)
        printable = printable && c.isPrint();
    if (codePage.size() > kMaxCodePageLength || !printable)
        return stopped(QStringLiteral("Кодировка «%1» не подходит для PuTTY: нужна одна строка печатных "
                                      "символов не длиннее %2.")
                           .arg(codePage.left(kMaxCodePageLength))
                           .arg(kMaxCodePageLength));
    return {};
}

QString programNotFoundMessage(const LaunchPlan& plan) {
    if (plan.package.isEmpty())
        return QStringLiteral("Не найден браузер «%1». Проверьте путь в настройках.").arg(plan.program);
    return QStringLiteral("Не найдена программа %1. Установите пакет %2.").arg(plan.program, plan.package);
}

QString traceLine(const QString& programPath, const QStringList& arguments) {
    QStringList parts{quotedForTrace(programPath)};
    for (const QString& argument : arguments)
        parts << quotedForTrace(argument);
    return parts.join(QLatin1Char(' '));
}
