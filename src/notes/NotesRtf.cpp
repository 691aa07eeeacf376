#include "notes/NotesRtf.h"

#include "fb/Cp1251.h"

#include <QHash>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// --- code pages -------------------------------------------------------------------

using HighHalf = std::array<char16_t, 128>;

const HighHalf& cp1251High() {
    static const HighHalf table = [] {
        HighHalf t{};
        for (int b = 0x80; b <= 0xFF; ++b)
            t[b - 0x80] = fb::fromCp1251(QByteArray(1, static_cast<char>(b))).at(0).unicode();
        return t;
    }();
    return table;
}

const HighHalf& cp1252High() {
    static const HighHalf table = [] {
        // 0x80..0x9F differ from Latin-1; the five bytes Windows leaves undefined
        // keep their C1 code points, as its converter does.
        const char16_t c1[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        HighHalf t{};
        for (int i = 0; i < 32; ++i)
            t[i] = c1[i];
        for (int b = 0xA0; b <= 0xFF; ++b)
            t[b - 0x80] = static_cast<char16_t>(b);
        return t;
    }();
    return table;
}

// Unicode -> code page 1251 byte, 0 where the code page has none.
const std::vector<unsigned char>& cp1251Bytes() {
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> t(0x10000, 0);
        for (int b = 0; b < 0x80; ++b)
            t[b] = static_cast<unsigned char>(b);
        const HighHalf& high = cp1251High();
        for (int b = 0x80; b <= 0xFF; ++b)
            t[high[b - 0x80]] = static_cast<unsigned char>(b);
        return t;
    }();
    return table;
}

char16_t decodeByte(unsigned char byte, int codePage) {
    if (byte < 0x80)
        return byte;
    if (codePage == 1251)
        return cp1251High()[byte - 0x80];
    if (codePage == 1252)
        return cp1252High()[byte - 0x80];
    return byte; // a code page we do not carry: Latin-1 keeps the byte visible
}

int codePageOfCharset(int charset, int documentCodePage) {
    switch (charset) {
    case 204:
        return 1251;
    case 0:
        return 1252;
    default:
        return documentCodePage;
    }
}

bool isDroppedControl(char16_t c) {
    return c < 0x20 && c != u'\t';
}

// --- writer -----------------------------------------------------------------------

const char* alignWord(NotesAlign align) {
    switch (align) {
    case NotesAlign::Center:
        return "\\qc";
    case NotesAlign::Right:
        return "\\qr";
    case NotesAlign::Justify:
        return "\\qj";
    case NotesAlign::Left:
        break;
    }
    return "\\ql";
}

int clampedHalfPoints(int halfPoints) {
    if (halfPoints <= 0)
        return kNotesDefaultHalfPoints;
    return std::clamp(halfPoints, kNotesMinPoints * 2, kNotesMaxPoints * 2);
}

class Writer {
public:
    explicit Writer(const NotesModel& model) : m_model(model) {}

    QByteArray write() {
        collectColors();
        m_out.reserve(1024 + totalText() * 2);
        m_out += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
                 "{\\fonttbl{\\f0\\fnil\\fcharset204 MS Sans Serif;}}\r\n{\\colortbl ;";
        for (QRgb c : m_colors) {
            m_out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) +
                     "\\blue" + QByteArray::number(qBlue(c)) + ';';
        }
        m_out += "}\r\n\\viewkind4\\uc1";
        bool first = true;
        for (const NotesParagraph& p : m_model) {
            m_out += "\\pard";
            m_out += alignWord(p.align);
            if (first)
                m_out += "\\f0";
            first = false;
            m_delimit = true;
            for (const NotesRun& run : p.runs)
                writeRun(run);
            m_out += "\\par\r\n";
        }
        m_out += "}\r\n";
        return m_out;
    }

private:
    qsizetype totalText() const {
        qsizetype n = 0;
        for (const NotesParagraph& p : m_model)
            for (const NotesRun& r : p.runs)
                n += r.text.size();
        return n;
    }

    void collectColors() {
        for (const NotesParagraph& p : m_model) {
            for (const NotesRun& r : p.runs) {
                if (r.color && !m_colorIndex.contains(*r.color & 0xFFFFFF)) {
                    m_colors.append(*r.color & 0xFFFFFF);
                    m_colorIndex.insert(*r.color & 0xFFFFFF, static_cast<int>(m_colors.size()));
                }
            }
        }
    }

    void word(const char* w) {
        m_out += w;
        m_delimit = true;
    }
    void word(const char* w, int n) {
        m_out += w;
        m_out += QByteArray::number(n);
        m_delimit = true;
    }

    void writeRun(const NotesRun& run) {
        if (run.bold != m_bold)
            word((m_bold = run.bold) ? "\\b" : "\\b0");
        if (run.italic != m_italic)
            word((m_italic = run.italic) ? "\\i" : "\\i0");
        if (run.underline != m_underline)
            word((m_underline = run.underline) ? "\\ul" : "\\ulnone");
        if (run.strike != m_strike)
            word((m_strike = run.strike) ? "\\strike" : "\\strike0");
        const int cf = run.color ? m_colorIndex.value(*run.color & 0xFFFFFF) : 0;
        if (cf != m_cf)
            word("\\cf", m_cf = cf);
        const int fs = clampedHalfPoints(run.halfPoints);
        if (fs != m_fs)
            word("\\fs", m_fs = fs);
        writeText(run.text);
    }

    void plain(char c) {
        if (m_delimit) {
            m_out += ' ';
            m_delimit = false;
        }
        m_out += c;
    }

    void writeText(const QString& text) {
        static const char hex[] = "0123456789abcdef";
        const std::vector<unsigned char>& bytes = cp1251Bytes();
        for (const QChar qc : text) {
            const char16_t c = qc.unicode();
            if (c == u'\\' || c == u'{' || c == u'}') {
                m_out += '\\';
                m_out += static_cast<char>(c);
                m_delimit = false;
            } else if (c == u'\t') {
                word("\\tab");
            } else if (c == QChar::LineSeparator) {
                word("\\line");
            } else if (isDroppedControl(c)) {
                continue;
            } else if (c < 0x80) {
                plain(static_cast<char>(c));
            } else if (const unsigned char b = bytes[c]; b != 0) {
                m_out += "\\'";
                m_out += hex[b >> 4];
                m_out += hex[b & 0xF];
                m_delimit = false;
            } else {
                m_out += "\\u" + QByteArray::number(static_cast<int>(static_cast<int16_t>(c))) + '?';
                m_delimit = false;
            }
        }
    }

    const NotesModel& m_model;
    QByteArray m_out;
    QVector<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    bool m_bold = false, m_italic = false, m_underline = false, m_strike = false;
    int m_cf = 0;
    int m_fs = -1;
    bool m_delimit = false;
};

// --- control words ----------------------------------------------------------------

enum class Word {
    Unknown,
    Bin,
    // paragraphs
    Par,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    // characters
    Plain,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Cf,
    Fs,
    F,
    U,
    Uc,
    Tab,
    Line,
    Emdash,
    Endash,
    Bullet,
    Lquote,
    Rquote,
    Ldblquote,
    Rdblquote,
    // document
    Deff,
    Ansicpg,
    Fonttbl,
    Colortbl,
    Fcharset,
    Red,
    Green,
    Blue,
    FontSubgroup,
    // groups whose text is not notes text
    Skipped,
    Beyond,
    // what we drop: formatting beyond the subset
    Cell,
    Row,
    TableWord,
    Highlight,
    SuperSub,
    UpDown,
    Indent,
    List,
};

Word wordOf(std::string_view name) {
    static const std::unordered_map<std::string_view, Word> words = [] {
        std::unordered_map<std::string_view, Word> w = {
            {"bin", Word::Bin},
            {"par", Word::Par},
            {"sect", Word::Par},
            {"page", Word::Par},
            {"pard", Word::Pard},
            {"ql", Word::Ql},
            {"qc", Word::Qc},
            {"qr", Word::Qr},
            {"qj", Word::Qj},
            {"qd", Word::Qj},
            {"plain", Word::Plain},
            {"b", Word::B},
            {"i", Word::I},
            {"ul", Word::Ul},
            {"uld", Word::Ul},
            {"uldash", Word::Ul},
            {"uldashd", Word::Ul},
            {"uldashdd", Word::Ul},
            {"uldb", Word::Ul},
            {"ulth", Word::Ul},
            {"ulw", Word::Ul},
            {"ulwave", Word::Ul},
            {"ulnone", Word::UlNone},
            {"strike", Word::Strike},
            {"striked", Word::Strike},
            {"cf", Word::Cf},
            {"fs", Word::Fs},
            {"f", Word::F},
            {"u", Word::U},
            {"uc", Word::Uc},
            {"tab", Word::Tab},
            {"line", Word::Line},
            {"emdash", Word::Emdash},
            {"endash", Word::Endash},
            {"bullet", Word::Bullet},
            {"lquote", Word::Lquote},
            {"rquote", Word::Rquote},
            {"ldblquote", Word::Ldblquote},
            {"rdblquote", Word::Rdblquote},
            {"deff", Word::Deff},
            {"ansicpg", Word::Ansicpg},
            {"fonttbl", Word::Fonttbl},
            {"colortbl", Word::Colortbl},
            {"fcharset", Word::Fcharset},
            {"red", Word::Red},
            {"green", Word::Green},
            {"blue", Word::Blue},
            {"panose", Word::FontSubgroup},
            {"falt", Word::FontSubgroup},
            {"fname", Word::FontSubgroup},
            {"cell", Word::Cell},
            {"row", Word::Row},
            {"trowd", Word::TableWord},
            {"intbl", Word::TableWord},
            {"highlight", Word::Highlight},
            {"cb", Word::Highlight},
            {"chcbpat", Word::Highlight},
            {"super", Word::SuperSub},
            {"sub", Word::SuperSub},
            {"up", Word::UpDown},
            {"dn", Word::UpDown},
            {"li", Word::Indent},
            {"ri", Word::Indent},
            {"fi", Word::Indent},
            {"ls", Word::List},
            {"ilvl", Word::List},
            {"pnlvlblt", Word::List},
            {"pnlvlbody", Word::List},
            {"field", Word::List},
            {"pict", Word::Beyond},
            {"object", Word::Beyond},
            {"shppict", Word::Beyond},
            {"nonshppict", Word::Beyond},
            {"shp", Word::Beyond},
            {"objdata", Word::Beyond},
            {"result", Word::Beyond},
        };
        for (const char* skipped : {"stylesheet",
                                    "info",
                                    "header",
                                    "headerl",
                                    "headerr",
                                    "headerf",
                                    "footer",
                                    "footerl",
                                    "footerr",
                                    "footerf",
                                    "footnote",
                                    "annotation",
                                    "xmlnstbl",
                                    "listtable",
                                    "listoverridetable",
                                    "rsidtbl",
                                    "generator",
                                    "themedata",
                                    "colorschememapping",
                                    "latentstyles",
                                    "datastore",
                                    "filetbl",
                                    "revtbl",
                                    "pgdsctbl",
                                    "fldinst",
                                    "atnid",
                                    "atnauthor",
                                    "bkmkstart",
                                    "bkmkend",
                                    "pntxta",
                                    "pntxtb",
                                    "private",
                                    "userprops",
                                    "docvar",
                                    "mmathPr",
                                    "wgrffmtfilter",
                                    "pnseclvl",
                                    "listtext",
                                    "pntext"})
            w.emplace(skipped, Word::Skipped);
        return w;
    }();
    const auto found = words.find(name);
    return found == words.end() ? Word::Unknown : found->second;
}

// --- reader -----------------------------------------------------------------------

enum class Destination { Text, FontTable, ColorTable, Skip };

struct State {
    Destination destination = Destination::Text;
    NotesRun format; // the character format, without text
    NotesAlign align = NotesAlign::Left;
    int font = 0;
    int uc = 1;
};

struct Font {
    int charset = -1;
    QString name;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : m_p(reinterpret_cast<const unsigned char*>(bytes.constData())), m_end(m_p + bytes.size()) {}

    NotesReadResult read() {
        m_result.wasRtf = true;
        m_state.format.halfPoints = 24; // RTF's own default size: 12 pt
        m_paragraphs.append(NotesParagraph());
        while (m_p < m_end) {
            const unsigned char c = *m_p++;
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                byteOfText(c);
                break;
            }
        }
        flush();
        if (!m_pendingParagraph)
            m_paragraphs.last().align = m_state.align;
        m_result.model = std::move(m_paragraphs);
        return std::move(m_result);
    }

private:
    static constexpr int kMaxDepth = 512;

    void openGroup() {
        endSkipFallback();
        if (m_stack.size() >= kMaxDepth) {
            ++m_overflow; // deeper groups share the deepest state
            return;
        }
        m_stack.push_back(m_state);
        m_groupStart = true;
    }

    void closeGroup() {
        endSkipFallback();
        m_groupStart = false;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.empty())
            return; // unbalanced: ignore the extra brace
        finishDestination();
        const State restored = m_stack.back();
        m_stack.pop_back();
        if (!restored.format.sameFormat(m_state.format))
            flush();
        m_state = restored;
    }

    void finishDestination() {
        if (m_state.destination == Destination::FontTable && !m_fontName.isEmpty())
            endFontName();
    }

    // --- control words and symbols

    void controlSequence() {
        if (m_p >= m_end)
            return;
        const unsigned char c = *m_p;
        if (!isLetter(c)) {
            ++m_p;
            controlSymbol(c);
            return;
        }
        const unsigned char* start = m_p;
        while (m_p < m_end && isLetter(*m_p) && m_p - start < 32)
            ++m_p;
        const std::string_view name(reinterpret_cast<const char*>(start), static_cast<size_t>(m_p - start));
        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && isDigit(*m_p)) {
            hasParam = true;
            if (param < 1'000'000'000'000LL)
                param = param * 10 + (*m_p - '0');
            ++m_p;
        }
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        const qint64 value = negative ? -param : param;
        const bool groupStart = std::exchange(m_groupStart, false);
        controlWord(wordOf(name), hasParam, clampToInt(value), value, groupStart);
    }

    static int clampToInt(qint64 v) {
        return static_cast<int>(
            std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    static bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    static int hexValue(unsigned char c) {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void controlSymbol(unsigned char c) {
        const bool groupStart = std::exchange(m_groupStart, false);
        switch (c) {
        case '\'': {
            int value = -1;
            if (m_end - m_p >= 2) {
                const int hi = hexValue(m_p[0]);
                const int lo = hexValue(m_p[1]);
                if (hi >= 0 && lo >= 0) {
                    value = hi * 16 + lo;
                    m_p += 2;
                }
            }
            if (value >= 0 && !skipFallback())
                encodedByte(static_cast<unsigned char>(value));
            break;
        }
        case '*':
            if (groupStart || m_state.destination != Destination::Text)
                m_state.destination = Destination::Skip;
            break;
        case '\\':
        case '{':
        case '}':
            if (!skipFallback())
                character(c);
            break;
        case '~':
            if (!skipFallback())
                character(0x00A0);
            break;
        case '_':
            if (!skipFallback())
                character(0x2011);
            break;
        case '-': // an optional hyphen shows nothing
            skipFallback();
            break;
        case '\r':
        case '\n':
            paragraphEnd();
            break;
        case '\t':
            character(u'\t');
            break;
        default:
            skipFallback();
            break;
        }
    }

    void controlWord(Word w, bool hasParam, int n, qint64 rawValue, bool groupStart) {
        if (w == Word::Bin) {
            skipBinary(hasParam ? rawValue : 0);
            return;
        }
        if (m_state.destination == Destination::Skip)
            return;
        if (m_skipFallback > 0) {
            --m_skipFallback;
            return;
        }
        if (m_state.destination == Destination::FontTable) {
            fontTableWord(w, hasParam, n, groupStart);
            return;
        }
        if (m_state.destination == Destination::ColorTable) {
            colorTableWord(w, n);
            return;
        }
        if (w == Word::Skipped || (groupStart && w == Word::Beyond)) {
            if (w == Word::Beyond)
                m_result.beyondSubset = true;
            m_state.destination = Destination::Skip;
            return;
        }
        textWord(w, hasParam, n);
    }

    void fontTableWord(Word w, bool hasParam, int n, bool groupStart) {
        if (w == Word::F && hasParam) {
            if (!m_fontName.isEmpty())
                endFontName();
            m_fontInTable = n;
        } else if (w == Word::Fcharset) {
            m_fonts[m_fontInTable].charset = n;
            m_fontsChanged = true;
            ++m_fontGeneration;
        } else if (groupStart && (w == Word::FontSubgroup || w == Word::Skipped)) {
            m_state.destination = Destination::Skip;
        }
    }

    void endFontName() {
        QString name = m_fontName.trimmed();
        if (name.endsWith(u';'))
            name.chop(1);
        m_fonts[m_fontInTable].name = name.trimmed();
        m_fontName.clear();
        m_fontsChanged = true;
        ++m_fontGeneration;
    }

    void colorTableWord(Word w, int n) {
        const int component = std::clamp(n, 0, 255);
        if (w == Word::Red)
            m_color.red = component;
        else if (w == Word::Green)
            m_color.green = component;
        else if (w == Word::Blue)
            m_color.blue = component;
        else
            return;
        m_color.set = true;
    }

    void textWord(Word w, bool hasParam, int n) {
        const bool on = !hasParam || n != 0;
        switch (w) {
        case Word::Par:
            paragraphEnd();
            break;
        case Word::Row:
            m_result.beyondSubset = true;
            paragraphEnd();
            break;
        case Word::Pard:
        case Word::Ql:
            m_state.align = NotesAlign::Left;
            break;
        case Word::Qc:
            m_state.align = NotesAlign::Center;
            break;
        case Word::Qr:
            m_state.align = NotesAlign::Right;
            break;
        case Word::Qj:
            m_state.align = NotesAlign::Justify;
            break;
        case Word::Plain:
            setFormat([&](NotesRun& r) {
                r.bold = r.italic = r.underline = r.strike = false;
                r.color.reset();
                r.halfPoints = 24;
            });
            m_state.font = m_defaultFont;
            break;
        case Word::B:
            setFormat([&](NotesRun& r) { r.bold = on; });
            break;
        case Word::I:
            setFormat([&](NotesRun& r) { r.italic = on; });
            break;
        case Word::Ul:
            setFormat([&](NotesRun& r) { r.underline = on; });
            break;
        case Word::UlNone:
            setFormat([&](NotesRun& r) { r.underline = false; });
            break;
        case Word::Strike:
            setFormat([&](NotesRun& r) { r.strike = on; });
            break;
        case Word::Cf:
            setFormat([&](NotesRun& r) { r.color = colorAt(n); });
            break;
        case Word::Fs:
            setFormat([&](NotesRun& r) { r.halfPoints = hasParam && n > 0 ? clampedHalfPoints(n) : 24; });
            break;
        case Word::F:
            if (hasParam)
                m_state.font = n;
            break;
        case Word::Deff:
            if (hasParam) {
                m_defaultFont = n;
                m_state.font = n;
            }
            break;
        case Word::Ansicpg:
            if (hasParam) {
                m_codePage = n;
                m_fontsChanged = true;
                ++m_fontGeneration;
            }
            break;
        case Word::Uc:
            m_state.uc = std::clamp(n, 0, 16);
            break;
        case Word::U:
            if (hasParam)
                unicode(n);
            break;
        case Word::Fonttbl:
            m_state.destination = Destination::FontTable;
            break;
        case Word::Colortbl:
            m_state.destination = Destination::ColorTable;
            m_colors.clear();
            m_color = {};
            break;
        case Word::Cell:
            m_result.beyondSubset = true;
            character(u'\t');
            break;
        case Word::Tab:
            character(u'\t');
            break;
        case Word::Line:
            character(QChar::LineSeparator);
            break;
        case Word::Emdash:
            character(0x2014);
            break;
        case Word::Endash:
            character(0x2013);
            break;
        case Word::Bullet:
            character(0x2022);
            break;
        case Word::Lquote:
            character(0x2018);
            break;
        case Word::Rquote:
            character(0x2019);
            break;
        case Word::Ldblquote:
            character(0x201C);
            break;
        case Word::Rdblquote:
            character(0x201D);
            break;
        case Word::TableWord:
        case Word::List:
            m_result.beyondSubset = true;
            break;
        case Word::Highlight:
        case Word::Indent:
            m_result.beyondSubset |= hasParam && n != 0;
            break;
        case Word::SuperSub:
            m_result.beyondSubset = true;
            break;
        case Word::UpDown:
            m_result.beyondSubset |= n != 0;
            break;
        default:
            break; // \lang, \viewkind and the like change nothing we keep
        }
    }

    std::optional<QRgb> colorAt(int index) const {
        if (index <= 0 || index >= m_colors.size())
            return std::nullopt;
        return m_colors.at(index);
    }

    template <typename F> void setFormat(F change) {
        NotesRun next = m_state.format;
        change(next);
        if (!next.sameFormat(m_state.format)) {
            flush();
            m_state.format = next;
        }
    }

    void unicode(int n) {
        int code = n < 0 ? n + 65536 : n;
        m_skipFallback = m_state.uc;
        if (code < 0 || code > 0xFFFF)
            return;
        character(static_cast<char16_t>(code));
    }

    void skipBinary(qint64 count) {
        const qint64 left = m_end - m_p;
        m_p += std::clamp<qint64>(count, 0, left);
        if (m_state.destination == Destination::Text)
            m_result.beyondSubset = true;
    }

    // --- text

    bool skipFallback() {
        if (m_skipFallback <= 0)
            return false;
        --m_skipFallback;
        return true;
    }
    void endSkipFallback() { m_skipFallback = 0; }

    void byteOfText(unsigned char c) {
        m_groupStart = false;
        if (skipFallback())
            return;
        if (m_state.destination == Destination::FontTable) {
            m_fontName += QChar(decodeByte(c, m_codePage));
            if (c == ';')
                endFontName();
            return;
        }
        if (m_state.destination == Destination::ColorTable) {
            if (c == ';') {
                m_colors.append(m_color.set
                                    ? std::optional<QRgb>(qRgb(m_color.red, m_color.green, m_color.blue))
                                    : std::nullopt);
                m_color = {};
            }
            return;
        }
        encodedByte(c);
    }

    void encodedByte(unsigned char c) {
        if (m_state.destination == Destination::FontTable) {
            m_fontName += QChar(decodeByte(c, m_codePage));
            return;
        }
        if (m_state.destination != Destination::Text)
            return;
        character(decodeByte(c, currentFont().codePage));
    }

    // The current font's code page and name, looked up again only when the font
    // or the font table changes.
    struct FontInUse {
        int index = std::numeric_limits<int>::min();
        int codePage = 1252;
        QString name;
    };
    const FontInUse& currentFont() {
        if (m_fontInUse.index != m_state.font || m_fontsChanged) {
            const auto font = m_fonts.constFind(m_state.font);
            m_fontInUse.index = m_state.font;
            m_fontInUse.codePage = codePageOfCharset(font == m_fonts.cend() ? -1 : font->charset, m_codePage);
            m_fontInUse.name = font == m_fonts.cend() ? QString() : font->name;
            m_fontsChanged = false;
        }
        return m_fontInUse;
    }

    void character(char16_t c) {
        if (m_state.destination != Destination::Text || isDroppedControl(c))
            return;
        if (m_pendingParagraph) {
            m_paragraphs.append(NotesParagraph());
            m_pendingParagraph = false;
        }
        noteFontOfText();
        m_text += QChar(c);
    }

    void noteFontOfText() {
        if (m_textFontSeen && m_textFontChecked == m_state.font && m_textFontGeneration == m_fontGeneration)
            return;
        m_textFontChecked = m_state.font;
        m_textFontGeneration = m_fontGeneration;
        const QString name = currentFont().name;
        if (!m_textFontSeen) {
            m_textFontSeen = true;
            m_textFontName = name;
        } else if (name.compare(m_textFontName, Qt::CaseInsensitive) != 0) {
            m_result.beyondSubset = true;
        }
    }

    void paragraphEnd() {
        if (m_state.destination != Destination::Text)
            return;
        if (m_pendingParagraph)
            m_paragraphs.append(NotesParagraph());
        flush();
        m_paragraphs.last().align = m_state.align;
        m_pendingParagraph = true;
    }

    void flush() {
        if (m_text.isEmpty())
            return;
        NotesRun run = m_state.format;
        run.text = std::move(m_text);
        m_text.clear();
        appendRun(m_paragraphs.last(), run);
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
    NotesReadResult m_result;
    State m_state;
    std::vector<State> m_stack;
    int m_overflow = 0;
    bool m_groupStart = false;
    int m_skipFallback = 0;
    int m_codePage = 1252; // \ansi without \ansicpg
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    FontInUse m_fontInUse;
    bool m_fontsChanged = true;
    int m_fontGeneration = 0;
    int m_textFontChecked = 0;
    int m_textFontGeneration = -1;
    int m_fontInTable = 0;
    QString m_fontName;
    bool m_textFontSeen = false;
    QString m_textFontName;
    QVector<std::optional<QRgb>> m_colors;
    struct {
        int red = 0, green = 0, blue = 0;
        bool set = false;
    } m_color;
    NotesModel m_paragraphs;
    QString m_text;
    bool m_pendingParagraph = false;
};

bool looksLikeRtf(const QByteArray& bytes) {
    qsizetype i = 0;
    while (i < bytes.size() &&
           (bytes.at(i) == ' ' || bytes.at(i) == '\r' || bytes.at(i) == '\n' || bytes.at(i) == '\t'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

NotesModel plainTextModel(const QByteArray& bytes) {
    QString text = fb::fromCp1251(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    NotesModel model;
    for (const QString& line : text.split(u'\n')) {
        NotesParagraph p;
        NotesRun run;
        for (const QChar c : line) {
            if (!isDroppedControl(c.unicode()))
                run.text += c;
        }
        appendRun(p, run);
        model.append(p);
    }
    return model;
}

} // namespace

QByteArray writeNotesRtf(const NotesModel& model) {
    return Writer(model).write();
}

QByteArray writeNotesRtf(const QTextDocument& document) {
    return writeNotesRtf(notesModelOf(document));
}

NotesReadResult readNotesRtf(const QByteArray& bytes) {
    if (!looksLikeRtf(bytes)) {
        NotesReadResult result;
        result.model = plainTextModel(bytes);
        return result;
    }
    return Reader(bytes).read();
}

NotesReadResult loadNotesRtf(const QByteArray& bytes, QTextDocument& document) {
    NotesReadResult result = readNotesRtf(bytes);
    setNotesModel(document, result.model);
    result.model.clear();
    return result;
}
