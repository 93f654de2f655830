#include "platform_widgets/rtf_reader.h"

#include "platform/cp1252.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLength>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableFormat>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype kMaxWordLength = 32;
// Digits beyond this many saturate the parameter, so that any number fits.
constexpr int kMaxParamDigits = 9;
constexpr int kSaturatedParam = 999999999;
constexpr int kMaxTwips = 31680; // 22 inches
constexpr int kMaxFonts = 1024;
constexpr qsizetype kMaxFontNameLength = 128;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxUnicodeSkip = 16;
constexpr int kMaxBorderTwips = 300;
constexpr int kDefaultTabTwips = 720;
// 1440 twips an inch at 96 pixels an inch.
constexpr double kTwipsPerPixel = 15.0;

double Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

int Clamp(int value, int low, int high) {
    return std::clamp(value, low, high);
}

enum class Destination { Text, FontTable, Skip };
enum class Vertical { Normal, Super, Sub };
enum class BorderTarget { None, Cell, Row, Other };

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    Vertical vertical = Vertical::Normal;
    int halfPoints = kDefaultHalfPoints;
    int font = -1; // -1: the document's default font
};

struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int spaceBefore = 0; // twips, as every length below
    int spaceAfter = 0;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    bool inTable = false;
};

struct GroupState {
    CharState chars;
    ParaState para;
    Destination dest = Destination::Text;
    int unicodeSkip = 1;
};

struct CellDef {
    int right = 0; // twips from the left margin
    bool bordered = false;
};

struct RowDef {
    QList<CellDef> cells;
    int gap = 0;
    int left = 0;
    int borderWidth = 0;
    bool bordered = false;
};

enum class Word {
    Par,
    Pard,
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Down,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
    SpaceBefore,
    SpaceAfter,
    LeftIndent,
    RightIndent,
    FirstIndent,
    Tab,
    TabStop,
    TabRight,
    TabCenter,
    TabDecimal,
    FontSize,
    Font,
    DefaultFont,
    DefaultTab,
    Line,
    Unicode,
    UnicodeSkip,
    Bin,
    RowDefaults,
    RowGap,
    RowLeft,
    CellRight,
    InTable,
    Cell,
    Row,
    CellBorder,
    RowBorder,
    ParaBorder,
    BorderStyle,
    BorderNone,
    BorderWidth,
    FontTable,
    SkipDestination,
    Character,
};

struct WordInfo {
    Word word;
    char16_t ch = 0; // the character of Word::Character
};

const std::unordered_map<std::string_view, WordInfo> &Words() {
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> map;
        const auto add = [&map](std::initializer_list<std::string_view> names, Word word) {
            for (const std::string_view name : names)
                map.emplace(name, WordInfo{word});
        };
        add({"par", "sect", "page"}, Word::Par);
        add({"pard"}, Word::Pard);
        add({"plain"}, Word::Plain);
        add({"b"}, Word::Bold);
        add({"i"}, Word::Italic);
        add({"ul", "uld", "uldb", "uldash", "ulth", "ulw"}, Word::Underline);
        add({"ulnone"}, Word::UnderlineNone);
        add({"strike"}, Word::Strike);
        add({"v"}, Word::Hidden);
        add({"super"}, Word::Super);
        add({"sub"}, Word::Sub);
        add({"nosupersub"}, Word::NoSuperSub);
        add({"up"}, Word::Up);
        add({"dn"}, Word::Down);
        add({"ql"}, Word::AlignLeft);
        add({"qr"}, Word::AlignRight);
        add({"qc"}, Word::AlignCenter);
        add({"qj"}, Word::AlignJustify);
        add({"sb"}, Word::SpaceBefore);
        add({"sa"}, Word::SpaceAfter);
        add({"li"}, Word::LeftIndent);
        add({"ri"}, Word::RightIndent);
        add({"fi"}, Word::FirstIndent);
        add({"tab"}, Word::Tab);
        add({"tx"}, Word::TabStop);
        add({"tqr"}, Word::TabRight);
        add({"tqc"}, Word::TabCenter);
        add({"tqdec"}, Word::TabDecimal);
        add({"fs"}, Word::FontSize);
        add({"f"}, Word::Font);
        add({"deff"}, Word::DefaultFont);
        add({"deftab"}, Word::DefaultTab);
        add({"line"}, Word::Line);
        add({"u"}, Word::Unicode);
        add({"uc"}, Word::UnicodeSkip);
        add({"bin"}, Word::Bin);
        add({"trowd"}, Word::RowDefaults);
        add({"trgaph"}, Word::RowGap);
        add({"trleft"}, Word::RowLeft);
        add({"cellx"}, Word::CellRight);
        add({"intbl"}, Word::InTable);
        add({"cell"}, Word::Cell);
        add({"row"}, Word::Row);
        add({"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"}, Word::CellBorder);
        add({"trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv"}, Word::RowBorder);
        add({"brdrt", "brdrl", "brdrb", "brdrr", "box"}, Word::ParaBorder);
        add({"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
             "brdrtriple"},
            Word::BorderStyle);
        add({"brdrnone"}, Word::BorderNone);
        add({"brdrw"}, Word::BorderWidth);
        add({"fonttbl"}, Word::FontTable);
        add({"colortbl",
             "stylesheet",
             "info",
             "pict",
             "object",
             "header",
             "headerl",
             "headerr",
             "headerf",
             "footer",
             "footerl",
             "footerr",
             "footerf",
             "footnote",
             "fldinst",
             "listtable",
             "listoverridetable",
             "revtbl",
             "rsidtbl",
             "xmlnstbl",
             "generator",
             "themedata",
             "colorschememapping",
             "latentstyles",
             "datastore",
             "annotation",
             "bkmkstart",
             "bkmkend"},
            Word::SkipDestination);
        const std::pair<std::string_view, char16_t> characters[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005}};
        for (const auto &[name, ch] : characters)
            map.emplace(name, WordInfo{Word::Character, ch});
        return map;
    }();
    return words;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Characters a document may hold as text: controls, the characters the text
// document reserves for its own structure (paragraph and frame markers, the
// object placeholder) and non-characters are dropped.
bool IsTextCharacter(char16_t ch) {
    if (ch == u'\t' || ch == QChar::LineSeparator)
        return true;
    if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F))
        return false;
    return ch != QChar::ParagraphSeparator && ch != 0xFDD0 && ch != 0xFDD1 && ch != 0xFFFC &&
           ch < 0xFFFE;
}

// Replaces each surrogate that is not part of a pair with U+FFFD.
void MendSurrogates(QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (ch.isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

class Reader {
public:
    Reader(QTextDocument &doc, QByteArrayView in)
        : doc_(doc)
        , in_(in)
        , cursor_(&doc)
        , states_(1) {}

    bool Run();

private:
    GroupState &State() { return states_.back(); }
    const GroupState &State() const { return states_.back(); }
    ParaState &Para() { return State().para; }
    CharState &Chars() { return State().chars; }

    void OpenGroup();
    void CloseGroup();
    void ControlSequence();
    void ControlSymbol(char symbol);
    void ControlWord(std::string_view name, bool hasParam, int param);
    void FormattingWord(const WordInfo &info, bool hasParam, int param);
    void TableWord(Word word, bool hasParam, int param);
    void TextByte(unsigned char byte);
    void Text(char16_t ch);
    void CommitFontName();

    void Flush();
    void PlaceCursor();
    void EndParagraph();
    void BreakIfPending();
    bool EnterCell(bool forContent = true);
    void MoveToCell(int column);
    void LeaveTable();
    void ApplyBlockFormat();
    QTextCharFormat CharFormat() const;
    QTextBlockFormat BlockFormat() const;
    QTextTableFormat TableFormat(int columns) const;

    QTextDocument &doc_;
    QByteArrayView in_;
    qsizetype pos_ = 0;
    QTextCursor cursor_;

    std::vector<GroupState> states_;
    int overflowDepth_ = 0; // groups opened beyond the depth cap
    int skipCount_ = 0;     // characters still to skip after a \u
    bool header_ = false;
    bool closed_ = false;
    QString pending_; // text not yet inserted, all in the current character format
    // A paragraph has ended but its successor is only created when content
    // follows, so that a table or the end of the document comes right after it.
    bool pendingBreak_ = false;

    std::map<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontNumber_ = 0;
    QString fontName_;

    RowDef rowDef_;
    bool rowDefChanged_ = false;
    bool pendingCellBorder_ = false;
    BorderTarget borderTarget_ = BorderTarget::None;
    QTextTable *table_ = nullptr;
    int row_ = 0;
    int column_ = 0;
    bool rowOpen_ = false;
    bool tableBordered_ = false;
    int tableCells_ = 0; // cells created in the whole document
};

bool Reader::Run() {
    qsizetype start = 0;
    while (start < in_.size() &&
           (in_[start] == ' ' || in_[start] == '\t' || in_[start] == '\r' || in_[start] == '\n'))
        ++start;
    header_ = in_.sliced(start).startsWith(QByteArrayView("{\\rtf"));
    if (header_)
        pos_ = start;

    while (pos_ < in_.size() && !closed_) {
        const char c = in_[pos_++];
        switch (c) {
        case '{':
            OpenGroup();
            break;
        case '}':
            CloseGroup();
            break;
        case '\\':
            ControlSequence();
            break;
        case '\r':
        case '\n':
            break;
        default:
            TextByte(static_cast<unsigned char>(c));
            break;
        }
    }
    Flush();
    if (!closed_ && !table_ && !pendingBreak_)
        ApplyBlockFormat();
    return header_ && closed_;
}

void Reader::OpenGroup() {
    Flush();
    skipCount_ = 0;
    if (static_cast<int>(states_.size()) <= kRtfMaxGroupDepth)
        states_.push_back(states_.back());
    else
        ++overflowDepth_;
}

void Reader::CloseGroup() {
    Flush();
    skipCount_ = 0;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (states_.size() <= 1)
        return; // unbalanced: nothing to close
    if (State().dest == Destination::FontTable)
        CommitFontName();
    // The last paragraph, left without a paragraph mark, takes the properties
    // of the end of the document.
    if (states_.size() == 2 && header_ && !table_ && !pendingBreak_)
        ApplyBlockFormat();
    states_.pop_back();
    // The document ends with its outer group; what follows is not read.
    if (states_.size() == 1 && header_)
        closed_ = true;
}

void Reader::ControlSequence() {
    if (pos_ >= in_.size())
        return;
    if (!IsLetter(in_[pos_])) {
        ControlSymbol(in_[pos_++]);
        return;
    }
    const qsizetype start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]))
        ++pos_;
    const qsizetype length = pos_ - start;

    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    bool hasParam = false;
    int value = 0;
    int digits = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        hasParam = true;
        if (digits < kMaxParamDigits)
            value = value * 10 + (in_[pos_] - '0');
        else
            value = kSaturatedParam;
        ++digits;
        ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ')
        ++pos_;

    if (length > kMaxWordLength) {
        // Not a word of the format: ignored, counted as one skipped character.
        if (skipCount_ > 0)
            --skipCount_;
        return;
    }
    ControlWord(std::string_view(in_.data() + start, static_cast<size_t>(length)), hasParam,
                negative ? -value : value);
}

void Reader::ControlSymbol(char symbol) {
    if (symbol == '\'') {
        // \'hh: one byte of the code page; a malformed escape is dropped.
        if (pos_ + 1 < in_.size()) {
            const int high = HexValue(in_[pos_]);
            const int low = HexValue(in_[pos_ + 1]);
            if (high >= 0 && low >= 0) {
                pos_ += 2;
                TextByte(static_cast<unsigned char>(high * 16 + low));
                return;
            }
        }
        if (skipCount_ > 0)
            --skipCount_;
        return;
    }
    if (skipCount_ > 0) {
        --skipCount_;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        Text(static_cast<char16_t>(symbol));
        break;
    case '~':
        Text(0x00A0);
        break;
    case '-':
        Text(0x00AD);
        break;
    case '_':
        Text(0x2011);
        break;
    case '*':
        Flush();
        State().dest = Destination::Skip;
        break;
    case '\r':
    case '\n':
        if (State().dest == Destination::Text) {
            Flush();
            EndParagraph();
        }
        break;
    default:
        break;
    }
}

void Reader::ControlWord(std::string_view name, bool hasParam, int param) {
    const auto found = Words().find(name);
    if (found != Words().end() && found->second.word == Word::Bin) {
        // Binary data follows: skipped whatever the destination.
        const qsizetype count = hasParam ? std::max(param, 0) : 0;
        pos_ += std::min(count, in_.size() - pos_);
        return;
    }
    if (skipCount_ > 0) {
        --skipCount_;
        return;
    }
    if (found == Words().end())
        return;
    const WordInfo &info = found->second;
    switch (State().dest) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (info.word == Word::Font) {
            CommitFontName();
            fontNumber_ = param;
        } else if (info.word == Word::SkipDestination) {
            State().dest = Destination::Skip;
        } else if (info.word == Word::Unicode && hasParam) {
            Text(static_cast<char16_t>(Clamp(param, -32768, 65535) & 0xFFFF));
            skipCount_ = State().unicodeSkip;
        }
        return;
    case Destination::Text:
        break;
    }
    switch (info.word) {
    case Word::Character:
        Text(info.ch);
        return;
    case Word::Tab:
        Text(u'\t');
        return;
    case Word::Line:
        Text(QChar::LineSeparator);
        return;
    case Word::Unicode:
        if (hasParam) {
            // Negative values stand for the upper half of the 16-bit range.
            Text(static_cast<char16_t>(Clamp(param, -32768, 65535) & 0xFFFF));
            skipCount_ = State().unicodeSkip;
        }
        return;
    default:
        break;
    }
    Flush();
    FormattingWord(info, hasParam, param);
}

void Reader::FormattingWord(const WordInfo &info, bool hasParam, int param) {
    const bool on = !hasParam || param != 0;
    CharState &chars = Chars();
    ParaState &para = Para();
    switch (info.word) {
    case Word::Par:
        EndParagraph();
        break;
    case Word::Pard:
        para = ParaState();
        break;
    case Word::Plain:
        chars = CharState();
        break;
    case Word::Bold:
        chars.bold = on;
        break;
    case Word::Italic:
        chars.italic = on;
        break;
    case Word::Underline:
        chars.underline = on;
        break;
    case Word::UnderlineNone:
        chars.underline = false;
        break;
    case Word::Strike:
        chars.strike = on;
        break;
    case Word::Hidden:
        chars.hidden = on;
        break;
    case Word::Super:
        chars.vertical = Vertical::Super;
        break;
    case Word::Sub:
        chars.vertical = Vertical::Sub;
        break;
    case Word::NoSuperSub:
        chars.vertical = Vertical::Normal;
        break;
    case Word::Up:
        chars.vertical = on ? Vertical::Super : Vertical::Normal;
        break;
    case Word::Down:
        chars.vertical = on ? Vertical::Sub : Vertical::Normal;
        break;
    case Word::AlignLeft:
        para.alignment = Qt::AlignLeft;
        break;
    case Word::AlignRight:
        para.alignment = Qt::AlignRight;
        break;
    case Word::AlignCenter:
        para.alignment = Qt::AlignHCenter;
        break;
    case Word::AlignJustify:
        para.alignment = Qt::AlignJustify;
        break;
    case Word::SpaceBefore:
        para.spaceBefore = Clamp(param, 0, kMaxTwips);
        break;
    case Word::SpaceAfter:
        para.spaceAfter = Clamp(param, 0, kMaxTwips);
        break;
    case Word::LeftIndent:
        para.leftIndent = Clamp(param, 0, kMaxTwips);
        break;
    case Word::RightIndent:
        para.rightIndent = Clamp(param, 0, kMaxTwips);
        break;
    case Word::FirstIndent:
        para.firstIndent = Clamp(param, -kMaxTwips, kMaxTwips);
        break;
    case Word::TabStop:
        if (para.tabs.size() < kRtfMaxTabStops) {
            QTextOption::Tab tab(Pixels(Clamp(param, 0, kMaxTwips)), para.nextTabType);
            if (para.nextTabType == QTextOption::DelimiterTab)
                tab.delimiter = u',';
            para.tabs.append(tab);
        }
        para.nextTabType = QTextOption::LeftTab;
        break;
    case Word::TabRight:
        para.nextTabType = QTextOption::RightTab;
        break;
    case Word::TabCenter:
        para.nextTabType = QTextOption::CenterTab;
        break;
    case Word::TabDecimal:
        para.nextTabType = QTextOption::DelimiterTab;
        break;
    case Word::FontSize:
        chars.halfPoints =
            hasParam && param > 0 ? Clamp(param, 2, kMaxHalfPoints) : kDefaultHalfPoints;
        break;
    case Word::Font:
        chars.font = param;
        break;
    case Word::DefaultFont:
        defaultFont_ = param;
        break;
    case Word::DefaultTab:
        if (param > 0) {
            QTextOption option = doc_.defaultTextOption();
            option.setTabStopDistance(Pixels(Clamp(param, 1, kMaxTwips)));
            doc_.setDefaultTextOption(option);
        }
        break;
    case Word::UnicodeSkip:
        State().unicodeSkip = Clamp(param, 0, kMaxUnicodeSkip);
        break;
    case Word::FontTable:
        State().dest = Destination::FontTable;
        fontName_.clear();
        break;
    case Word::SkipDestination:
        State().dest = Destination::Skip;
        break;
    default:
        TableWord(info.word, hasParam, param);
        break;
    }
}

void Reader::TableWord(Word word, bool hasParam, int param) {
    switch (word) {
    case Word::RowDefaults:
        rowDef_ = RowDef();
        rowDefChanged_ = true;
        pendingCellBorder_ = false;
        borderTarget_ = BorderTarget::None;
        break;
    case Word::RowGap:
        rowDef_.gap = Clamp(param, 0, 1440);
        rowDefChanged_ = true;
        break;
    case Word::RowLeft:
        rowDef_.left = Clamp(param, -kMaxTwips, kMaxTwips);
        rowDefChanged_ = true;
        break;
    case Word::CellRight:
        if (rowDef_.cells.size() < kRtfMaxTableColumns)
            rowDef_.cells.append(CellDef{Clamp(param, -kMaxTwips, kMaxTwips), pendingCellBorder_});
        pendingCellBorder_ = false;
        borderTarget_ = BorderTarget::None;
        rowDefChanged_ = true;
        break;
    case Word::CellBorder:
        borderTarget_ = BorderTarget::Cell;
        break;
    case Word::RowBorder:
        borderTarget_ = BorderTarget::Row;
        break;
    case Word::ParaBorder:
        borderTarget_ = BorderTarget::Other;
        break;
    case Word::BorderStyle:
        if (borderTarget_ == BorderTarget::Cell)
            pendingCellBorder_ = true;
        else if (borderTarget_ == BorderTarget::Row)
            rowDef_.bordered = true;
        rowDefChanged_ = true;
        break;
    case Word::BorderNone:
        break;
    case Word::BorderWidth:
        if (hasParam && (borderTarget_ == BorderTarget::Cell || borderTarget_ == BorderTarget::Row))
            rowDef_.borderWidth = std::max(rowDef_.borderWidth, Clamp(param, 0, kMaxBorderTwips));
        break;
    case Word::InTable:
        Para().inTable = true;
        break;
    case Word::Cell:
        if (EnterCell()) {
            ApplyBlockFormat();
            MoveToCell(column_ + 1);
        } else {
            Text(u'\t');
        }
        break;
    case Word::Row:
        if (EnterCell(false))
            rowOpen_ = false;
        else
            EndParagraph();
        break;
    default:
        break;
    }
}

void Reader::TextByte(unsigned char byte) {
    if (skipCount_ > 0) {
        --skipCount_;
        return;
    }
    Text(Cp1252ToUnicode(byte));
}

void Reader::Text(char16_t ch) {
    switch (State().dest) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (ch == u';')
            CommitFontName();
        else if (fontName_.size() < kMaxFontNameLength && IsTextCharacter(ch))
            fontName_.append(QChar(ch));
        return;
    case Destination::Text:
        break;
    }
    if (Chars().hidden || !IsTextCharacter(ch))
        return;
    pending_.append(QChar(ch));
}

void Reader::CommitFontName() {
    const QString name = fontName_.trimmed();
    fontName_.clear();
    if (name.isEmpty())
        return;
    if (fonts_.size() < static_cast<size_t>(kMaxFonts) || fonts_.count(fontNumber_) != 0)
        fonts_[fontNumber_] = name;
}

void Reader::Flush() {
    if (pending_.isEmpty())
        return;
    PlaceCursor();
    BreakIfPending();
    MendSurrogates(pending_);
    cursor_.insertText(pending_, CharFormat());
    pending_.clear();
}

// Puts the cursor in the current table cell for a paragraph marked as part of
// a table, or after the table for any other.
void Reader::PlaceCursor() {
    if (Para().inTable && EnterCell())
        return;
    if (table_)
        LeaveTable();
}

void Reader::EndParagraph() {
    PlaceCursor();
    BreakIfPending();
    ApplyBlockFormat();
    pendingBreak_ = true;
}

void Reader::BreakIfPending() {
    if (pendingBreak_) {
        pendingBreak_ = false;
        cursor_.insertBlock(BlockFormat(), CharFormat());
    }
}

// Makes sure the current row exists, creating the table or its next row, and,
// for content, that the cursor is in the current cell, adding a column when a
// row has more cells than defined. False when the table limits are
// reached: the content then goes on as plain paragraphs.
bool Reader::EnterCell(bool forContent) {
    const int wanted = std::max(1, static_cast<int>(rowDef_.cells.size()));
    if (table_ && !rowOpen_) {
        const int columns = std::max(table_->columns(), wanted);
        if ((table_->rows() + 1) * columns > kRtfMaxCellsPerTable)
            LeaveTable(); // a very long table goes on in a new one
    }
    if (!table_) {
        if (tableCells_ + wanted > kRtfMaxTableCells)
            return false;
        pendingBreak_ = false;
        table_ = cursor_.insertTable(1, wanted, TableFormat(wanted));
        tableBordered_ = table_->format().border() > 0;
        rowDefChanged_ = false;
        tableCells_ += wanted;
        row_ = 0;
        rowOpen_ = true;
        MoveToCell(0);
        return true;
    }
    if (!rowOpen_) {
        const int columns = table_->columns();
        if (tableCells_ + columns > kRtfMaxTableCells)
            return false;
        table_->appendRows(1);
        tableCells_ += columns;
        ++row_;
        rowOpen_ = true;
        if (wanted > columns &&
            tableCells_ + (wanted - columns) * (row_ + 1) <= kRtfMaxTableCells) {
            table_->appendColumns(wanted - columns);
            tableCells_ += (wanted - columns) * (row_ + 1);
        }
        if (rowDefChanged_) {
            table_->setFormat(TableFormat(table_->columns()));
            tableBordered_ = table_->format().border() > 0;
            rowDefChanged_ = false;
        }
        MoveToCell(0);
        return true;
    }
    if (forContent && column_ >= table_->columns()) {
        // More cells in the row than defined: add a column while allowed,
        // else the surplus goes into the last cell.
        const int rows = table_->rows();
        if (column_ < kRtfMaxTableColumns &&
            (table_->columns() + 1) * rows <= kRtfMaxCellsPerTable &&
            tableCells_ + rows <= kRtfMaxTableCells) {
            table_->appendColumns(1);
            tableCells_ += rows;
        }
        MoveToCell(std::min(column_, table_->columns() - 1));
    }
    return true;
}

void Reader::MoveToCell(int column) {
    column_ = column;
    pendingBreak_ = false;
    if (column < table_->columns())
        cursor_ = table_->cellAt(row_, column).lastCursorPosition();
}

void Reader::LeaveTable() {
    table_ = nullptr;
    tableBordered_ = false;
    rowOpen_ = false;
    pendingBreak_ = false;
    cursor_ = QTextCursor(&doc_);
    cursor_.movePosition(QTextCursor::End);
}

void Reader::ApplyBlockFormat() {
    cursor_.setBlockFormat(BlockFormat());
}

QTextCharFormat Reader::CharFormat() const {
    const CharState &chars = State().chars;
    QTextCharFormat format;
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strike);
    format.setFontPointSize(chars.halfPoints / 2.0);
    switch (chars.vertical) {
    case Vertical::Normal:
        format.setVerticalAlignment(QTextCharFormat::AlignNormal);
        break;
    case Vertical::Super:
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        break;
    case Vertical::Sub:
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        break;
    }
    const auto font = fonts_.find(chars.font >= 0 ? chars.font : defaultFont_);
    if (font != fonts_.end())
        format.setFontFamilies(QStringList{font->second});
    return format;
}

QTextBlockFormat Reader::BlockFormat() const {
    const ParaState &para = State().para;
    QTextBlockFormat format;
    format.setAlignment(para.alignment);
    format.setTopMargin(Pixels(para.spaceBefore));
    format.setBottomMargin(Pixels(para.spaceAfter));
    format.setLeftMargin(Pixels(para.leftIndent));
    format.setRightMargin(Pixels(para.rightIndent));
    format.setTextIndent(Pixels(para.firstIndent));
    if (!para.tabs.isEmpty())
        format.setTabPositions(para.tabs);
    return format;
}

QTextTableFormat Reader::TableFormat(int columns) const {
    bool bordered = tableBordered_ || rowDef_.bordered;
    for (const CellDef &cell : rowDef_.cells)
        bordered = bordered || cell.bordered;

    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setCellPadding(Pixels(rowDef_.gap));
    format.setBorderCollapse(true);
    format.setAlignment(Qt::AlignLeft);
    format.setLeftMargin(Pixels(std::max(rowDef_.left, 0)));
    if (bordered) {
        format.setBorder(std::max(1.0, Pixels(rowDef_.borderWidth)));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    } else {
        format.setBorder(0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    }
    // Cell boundaries are given from the left margin; each width is the step
    // from the previous boundary (the first from the row's left edge).
    QList<QTextLength> widths;
    int previous = rowDef_.left;
    for (const CellDef &cell : rowDef_.cells) {
        const int width = cell.right - previous;
        widths.append(width > 0 ? QTextLength(QTextLength::FixedLength, Pixels(width))
                                : QTextLength());
        previous = std::max(previous, cell.right);
    }
    while (widths.size() < columns)
        widths.append(QTextLength());
    widths.resize(columns);
    format.setColumnWidthConstraints(widths);
    return format;
}

} // namespace

bool ReadRtfInto(QTextDocument &doc, QByteArrayView rtf) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextOption option = doc.defaultTextOption();
    option.setTabStopDistance(Pixels(kDefaultTabTwips));
    doc.setDefaultTextOption(option);

    // One edit block: the layout of a shown document is redone once at the end.
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    Reader reader(doc, rtf);
    const bool complete = reader.Run();
    batch.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    return complete;
}
