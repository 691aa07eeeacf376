#include "IniFormat.h"

#include "fb/Cp1251.h"

#include <QList>
#include <limits>

namespace ini {
namespace {

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;  // before the line break
    qsizetype next = 0; // where the following line starts
    bool hasBreak() const { return next > end; }
};

enum class LineKind { Blank, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QByteArray name;
    qsizetype valueBegin = 0;
    qsizetype valueEnd = 0;
};

bool isBlankChar(char c) {
    return c == ' ' || c == '\t';
}

// Accepts CR LF and bare LF alike.
QList<Line> splitLines(const QByteArray& content) {
    QList<Line> lines;
    qsizetype begin = 0;
    while (begin < content.size()) {
        const qsizetype lf = content.indexOf('\n', begin);
        Line line{begin, lf < 0 ? content.size() : lf, lf < 0 ? content.size() : lf + 1};
        if (lf >= 0 && line.end > begin && content[line.end - 1] == '\r')
            --line.end;
        lines.append(line);
        begin = line.next;
    }
    return lines;
}

void trimBlanks(const QByteArray& content, qsizetype& begin, qsizetype& end) {
    while (begin < end && isBlankChar(content[begin]))
        ++begin;
    while (end > begin && isBlankChar(content[end - 1]))
        --end;
}

QByteArray trimmedSlice(const QByteArray& content, qsizetype begin, qsizetype end) {
    trimBlanks(content, begin, end);
    return content.mid(begin, end - begin);
}

ParsedLine parseLine(const QByteArray& content, const Line& line) {
    qsizetype begin = line.begin;
    qsizetype end = line.end;
    trimBlanks(content, begin, end);
    ParsedLine parsed;
    if (begin == end) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (content[begin] == '[') {
        const qsizetype close = content.indexOf(']', begin + 1);
        parsed.kind = LineKind::Section;
        parsed.name = trimmedSlice(content, begin + 1, close < 0 || close > end ? end : close);
        return parsed;
    }
    const qsizetype equals = content.indexOf('=', begin);
    if (content[begin] == ';' || equals < 0 || equals >= end)
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = trimmedSlice(content, begin, equals);
    parsed.valueBegin = equals + 1;
    while (parsed.valueBegin < end && isBlankChar(content[parsed.valueBegin]))
        ++parsed.valueBegin;
    parsed.valueEnd = end;
    return parsed;
}

bool sameName(const QByteArray& stored, const QString& wanted) {
    return fb::fromCp1251(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

struct SectionSpan {
    qsizetype header = -1; // index of the "[name]" line, -1 when absent
    qsizetype end = 0;     // index of the next section's line, or the line count
};

// The first section of that name wins, as later duplicates are never reached.
SectionSpan findSection(const QByteArray& content, const QList<Line>& lines, const QString& section) {
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(content, lines[i]);
        if (parsed.kind != LineKind::Section)
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(parsed.name, section))
            span.header = i;
    }
    span.end = lines.size();
    return span;
}

std::optional<ParsedLine> findKey(const QByteArray& content, const QList<Line>& lines,
                                  const SectionSpan& span, const QString& key) {
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        ParsedLine parsed = parseLine(content, lines[i]);
        if (parsed.kind == LineKind::Key && sameName(parsed.name, key))
            return parsed;
    }
    return std::nullopt;
}

// New lines follow the file's own convention so that a hand-made LF file stays
// consistent; a new file gets CR LF.
QByteArray lineBreakOf(const QByteArray& content) {
    const qsizetype lf = content.indexOf('\n');
    if (lf == 0 || (lf > 0 && content[lf - 1] != '\r'))
        return QByteArrayLiteral("\n");
    return QByteArrayLiteral("\r\n");
}

QByteArray keyLine(const QString& key, const QByteArray& value) {
    return fb::toCp1251(key) + '=' + value;
}

QByteArray withKeyAdded(const QByteArray& content, const QList<Line>& lines, const SectionSpan& span,
                        const QByteArray& entry, const QByteArray& lineBreak) {
    qsizetype last = span.header;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (parseLine(content, lines[i]).kind != LineKind::Blank)
            last = i;
    }
    const Line& after = lines[last];
    QByteArray result = content;
    result.insert(after.next, after.hasBreak() ? entry + lineBreak : lineBreak + entry);
    return result;
}

QByteArray withSectionAdded(const QByteArray& content, const QList<Line>& lines, const QString& section,
                            const QByteArray& entry, const QByteArray& lineBreak) {
    QByteArray result = content;
    if (!lines.isEmpty()) {
        if (!lines.last().hasBreak())
            result += lineBreak;
        if (parseLine(content, lines.last()).kind != LineKind::Blank)
            result += lineBreak;
    }
    result += '[' + fb::toCp1251(section) + ']' + lineBreak + entry + lineBreak;
    return result;
}

std::optional<qint32> digitsToInteger(const QByteArray& text, qsizetype from, int base, bool negative) {
    if (from >= text.size())
        return std::nullopt;
    constexpr qint64 kLimit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    for (qsizetype i = from; i < text.size(); ++i) {
        const char c = text[i];
        int value = -1;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        if (value < 0)
            return std::nullopt;
        magnitude = magnitude * base + value;
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!negative && magnitude == kLimit)
        return std::nullopt;
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

bool hasHexPrefixAt(const QByteArray& text, qsizetype at) {
    return at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X');
}

} // namespace

std::optional<QByteArray> findValue(const QByteArray& content, const QString& section, const QString& key) {
    const QList<Line> lines = splitLines(content);
    const SectionSpan span = findSection(content, lines, section);
    if (span.header < 0)
        return std::nullopt;
    const auto parsed = findKey(content, lines, span, key);
    if (!parsed)
        return std::nullopt;
    return content.mid(parsed->valueBegin, parsed->valueEnd - parsed->valueBegin);
}

QByteArray withValue(const QByteArray& content, const QString& section, const QString& key,
                     const QByteArray& value) {
    const QByteArray lineBreak = lineBreakOf(content);
    const QList<Line> lines = splitLines(content);
    const SectionSpan span = findSection(content, lines, section);
    if (span.header < 0)
        return withSectionAdded(content, lines, section, keyLine(key, value), lineBreak);
    const auto parsed = findKey(content, lines, span, key);
    if (!parsed)
        return withKeyAdded(content, lines, span, keyLine(key, value), lineBreak);
    QByteArray result = content;
    result.replace(parsed->valueBegin, parsed->valueEnd - parsed->valueBegin, value);
    return result;
}

QString unstorableReason(const QString& section, const QString& key, const QByteArray& value) {
    const auto hasLineBreak = [](const QString& text) {
        return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    };
    if (value.contains('\r') || value.contains('\n'))
        return QStringLiteral("the value of key %1 in section %2 holds a line break").arg(key, section);
    if (hasLineBreak(section) || section.contains(QLatin1Char(']')) || !fb::fitsCp1251(section))
        return QStringLiteral("%1 cannot be a section name").arg(section);
    const QString trimmedKey = key.trimmed();
    if (trimmedKey.isEmpty() || hasLineBreak(key) || key.contains(QLatin1Char('=')) ||
        trimmedKey.startsWith(QLatin1Char('[')) || trimmedKey.startsWith(QLatin1Char(';')) ||
        !fb::fitsCp1251(key))
        return QStringLiteral("%1 cannot be a key name").arg(key);
    return {};
}

std::optional<qint32> parseInteger(const QByteArray& text) {
    if (text.size() > 2 && hasHexPrefixAt(text, 0))
        return digitsToInteger(text, 2, 16, false);
    qsizetype i = 0;
    while (i < text.size() && isBlankChar(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))
        return digitsToInteger(text, i + 1, 16, negative);
    if (hasHexPrefixAt(text, i))
        return digitsToInteger(text, i + 2, 16, negative);
    return digitsToInteger(text, i, 10, negative);
}

} // namespace ini
