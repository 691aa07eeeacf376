#include "NamedParams.h"

namespace fb {
namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QChar closingOfQLiteral(QChar open) {
    switch (open.unicode()) {
    case u'(':
        return u')';
    case u'[':
        return u']';
    case u'{':
        return u'}';
    case u'<':
        return u'>';
    default:
        return open;
    }
}

// Index just past the quoted run that starts at i (the quote character itself).
qsizetype skipQuoted(const QString& s, qsizetype i, QChar quote) {
    for (++i; i < s.size(); ++i) {
        if (s[i] != quote)
            continue;
        if (i + 1 < s.size() && s[i + 1] == quote) {
            ++i; // doubled quote stands for one
            continue;
        }
        return i + 1;
    }
    return s.size();
}

} // namespace

PositionalSql toPositional(const QString& s) {
    PositionalSql out;
    out.sql.reserve(s.size());
    qsizetype i = 0;
    const auto copyUpTo = [&](qsizetype end) {
        out.sql += QStringView(s).mid(i, end - i);
        i = end;
    };
    while (i < s.size()) {
        const QChar c = s[i];
        const QChar next = i + 1 < s.size() ? s[i + 1] : QChar();
        if ((c == u'q' || c == u'Q') && next == u'\'' && i + 2 < s.size() &&
            (i == 0 || !isNameChar(s[i - 1]))) {
            const QChar close = closingOfQLiteral(s[i + 2]);
            qsizetype end = i + 3;
            while (end + 1 < s.size() && !(s[end] == close && s[end + 1] == u'\''))
                ++end;
            copyUpTo(qMin(end + 2, s.size()));
        } else if (c == u'\'' || c == u'"') {
            copyUpTo(skipQuoted(s, i, c));
        } else if (c == u'-' && next == u'-') {
            const qsizetype eol = s.indexOf(u'\n', i);
            copyUpTo(eol < 0 ? s.size() : eol);
        } else if (c == u'/' && next == u'*') {
            const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
            copyUpTo(end < 0 ? s.size() : end + 2);
        } else if (c == u':' && i + 1 < s.size() && isNameChar(next)) {
            qsizetype end = i + 1;
            while (end < s.size() && isNameChar(s[end]))
                ++end;
            out.names.append(s.mid(i + 1, end - i - 1));
            out.sql += u'?';
            i = end;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

} // namespace fb
