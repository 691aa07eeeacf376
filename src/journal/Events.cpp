#include "journal/Events.h"

#include <QSet>
#include <QStringList>

int CntChRepet(const QString& InputStr, const QString& InputSubStr) {
    if (InputSubStr.size() != 1)
        return 0;
    return static_cast<int>(InputStr.count(InputSubStr.at(0)));
}

QString objectTypeName(int typeNode) {
    switch (typeNode) {
    case 0:
        return QStringLiteral("Сервер");
    case 1:
        return QStringLiteral("Папка");
    case 2:
        return QStringLiteral("Сайт");
    default:
        return {};
    }
}

QString protocolName(int rdpOrSsh) {
    switch (rdpOrSsh) {
    case 1:
        return QStringLiteral("RDP");
    case 2:
        return QStringLiteral("SSH");
    case 3:
        return QStringLiteral("Browser");
    default:
        return {};
    }
}

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QChar kQuote = QLatin1Char('"');

// The letter before the quote in these texts is the Latin c of older copies.
QString updateLines(const type_ParametersOfEvents& e) {
    QString text;
    if (e.TYPE_NODE_before != e.TYPE_NODE_after)
        text += QStringLiteral("Обновил тип существующего объекта c \"") +
                objectTypeName(e.TYPE_NODE_before) + QStringLiteral("\" на \"") +
                objectTypeName(e.TYPE_NODE_after) + QStringLiteral("\":") + kLineEnd;
    if (e.Text_ != e.TEXT_TREETABLE_after)
        text += QStringLiteral("Обновил название существующего объекта c \"") + e.Text_ +
                QStringLiteral("\" на \"") + e.TEXT_TREETABLE_after + QStringLiteral("\":") + kLineEnd;
    if (e.ID_ICO_TREETABLE_before != e.ID_ICO_TREETABLE_after)
        text += QStringLiteral("Обновил иконку существующего объекта :") + kLineEnd;
    if (e.DOMAIN_NAME_SERVERS_before != e.DOMAIN_NAME_SERVERS_after)
        text += QStringLiteral("Обновил DN/URL подключение объекта c \"") + e.DOMAIN_NAME_SERVERS_before +
                QStringLiteral("\" на \"") + e.DOMAIN_NAME_SERVERS_after + QStringLiteral("\":") + kLineEnd;
    if (e.IP_ADDRES_SERVERS_before != e.IP_ADDRES_SERVERS_after)
        text += QStringLiteral("Обновил IP адрес подключение объекта c \"") + e.IP_ADDRES_SERVERS_before +
                QStringLiteral("\" на \"") + e.IP_ADDRES_SERVERS_after + QStringLiteral("\":") + kLineEnd;
    if (e.ID_LOGIN_PASS_before != e.ID_LOGIN_PASS_after) {
        text += QStringLiteral("Изменил набор ключей c \"") + e.NAME_LOGIN_PASS_before +
                QStringLiteral("\" на \"") + e.NAME_LOGIN_PASS_after + kQuote + kLineEnd;
    } else {
        if (e.LOGIN_LOGIN_PASS_before != e.LOGIN_LOGIN_PASS_after)
            text += QStringLiteral("Обновил набор ключей \"") + e.NAME_LOGIN_PASS_before +
                    QStringLiteral("\". Логин с \"") + e.LOGIN_LOGIN_PASS_before +
                    QStringLiteral("\" на \"") + e.LOGIN_LOGIN_PASS_after + QStringLiteral("\":") + kLineEnd;
        if (e.PASS_LOGIN_PASS_before != e.PASS_LOGIN_PASS_after)
            text += QStringLiteral("Обновил набор ключей \"") + e.NAME_LOGIN_PASS_before +
                    QStringLiteral("\". Пароль\"") + kLineEnd;
    }
    if (e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before != e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after)
        text += QStringLiteral("Обновил тип подключения к серверу с \"") +
                protocolName(e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before) + QStringLiteral("\" на \"") +
                protocolName(e.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after) + kQuote + kLineEnd;
    if (e.PORT_SERVERS_before != e.PORT_SERVERS_after)
        text += QStringLiteral("Изменил порт подключения с \"") + e.PORT_SERVERS_before +
                QStringLiteral("\" на \"") + e.PORT_SERVERS_after + kQuote + kLineEnd;
    return text;
}

QString alertMessage(const type_ParametersOfEvents& e) {
    switch (e.Type_) {
    case 1:
        return QStringLiteral("Добавил новый объект:") + kLineEnd + e.Path_before;
    case 2:
        return updateLines(e) + e.Path_before;
    case 3:
        if (e.Path_before == e.Path_after)
            return {};
        return QStringLiteral("Сменил путь расположения объекта с ") + kLineEnd + e.Path_before + kLineEnd +
               QStringLiteral("на") + kLineEnd + e.Path_after;
    case 4:
        return QStringLiteral("Удалил объект ") + kLineEnd + e.Path_before;
    default:
        return {};
    }
}

} // namespace

std::optional<AlertText> alertTextFor(const type_ParametersOfEvents& entry, const QString& authorName) {
    if (entry.Type_ < 1 || entry.Type_ > 4)
        return std::nullopt;
    return AlertText{authorName, alertMessage(entry)};
}

QString changesWord(int count) {
    const int lastTwo = qAbs(count) % 100;
    const int last = lastTwo % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("изменение");
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("изменения");
    return QStringLiteral("изменений");
}

QString moreChangesText(int count) {
    return QStringLiteral("И ещё %1 ").arg(count) + changesWord(count);
}

QVector<AlertText> alertsToShow(const QVector<AlertText>& raised, bool showEvents) {
    if (!showEvents)
        return {};
    if (raised.size() <= kAlertsPerCatchUp)
        return raised;
    QVector<AlertText> shown = raised.mid(0, kAlertsPerCatchUp);
    QStringList authors;
    QSet<QString> seen;
    for (qsizetype i = kAlertsPerCatchUp; i < raised.size(); ++i) {
        const QString author = raised[i].header.trimmed();
        if (!author.isEmpty() && !seen.contains(author)) {
            seen.insert(author);
            authors << author;
        }
    }
    shown.append({authors.join(QStringLiteral(", ")),
                  moreChangesText(static_cast<int>(raised.size()) - kAlertsPerCatchUp)});
    return shown;
}

QString alertPlainText(const QString& text) {
    QString breaks = text;
    breaks.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    breaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    breaks.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString plain;
    plain.reserve(breaks.size());
    for (const QChar c : breaks) {
        const auto category = c.category();
        if (c == QLatin1Char('\n') || (category != QChar::Other_Control && category != QChar::Other_Format))
            plain += c;
    }
    return plain;
}
