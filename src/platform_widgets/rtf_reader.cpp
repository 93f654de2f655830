#include "platform_widgets/rtf_reader.h"

#include "platform/cp1252.h"
#include "platform_widgets/rtf_document_builder.h"
#include "platform_widgets/rtf_style.h"
#include "platform_widgets/rtf_tokenizer.h"
#include "platform_widgets/rtf_words.h"

#include <QString>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype kMaxFontNameLength = 128;
constexpr int kMaxUnicodeSkip = 16;
constexpr int kDefaultTabTwips = 720;

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

// The character of \uN: negative values stand for the upper half of the
// 16-bit range.
char16_t UnicodeCharacter(int param) {
    return static_cast<char16_t>(std::clamp(param, -32768, 65535) & 0xFFFF);
}

enum class Destination { Text, FontTable, Skip };

struct GroupState {
    RtfStyle style;
    Destination dest = Destination::Text;
    int unicodeSkip = 1; // characters standing in for each \u
};

// Interprets the tokens: keeps the state of each group, routes text to its
// destination and hands paragraphs, cells and formatting to the builder.
class Reader {
public:
    Reader(QTextDocument &doc, QByteArrayView in)
        : m_in(in)
        , m_builder(doc)
        , m_states(1) {}

    bool Run();

private:
    GroupState &State() { return m_states.back(); }
    RtfStyle &Style() { return State().style; }

    qsizetype SkipFallback(qsizetype characters);
    void OpenGroup();
    void CloseGroup();
    void ControlSymbol(char symbol);
    void ControlWord(const RtfToken &token);
    void FontTableWord(const RtfWordInfo &info, const RtfToken &token);
    void FormattingWord(const RtfWordInfo &info, bool hasParam, int param);
    void TableWord(RtfWord word, bool hasParam, int param);
    void TextBytes(std::string_view bytes);
    void Text(char16_t ch);
    void CommitFontName();
    void Flush();

    QByteArrayView m_in;
    RtfDocumentBuilder m_builder;

    std::vector<GroupState> m_states;
    int m_overflowDepth = 0; // groups opened beyond the depth cap
    int m_skipCount = 0;     // characters still to skip after a \u
    bool m_header = false;
    bool m_closed = false;
    QString m_pending; // text not yet inserted, all in the current style

    int m_fontNumber = 0;
    QString m_fontName;
};

bool Reader::Run() {
    qsizetype start = 0;
    while (start < m_in.size() && (m_in[start] == ' ' || m_in[start] == '\t' ||
                                   m_in[start] == '\r' || m_in[start] == '\n'))
        ++start;
    m_header = m_in.sliced(start).startsWith(QByteArrayView("{\\rtf"));
    RtfTokenizer tokens(m_header ? m_in.sliced(start) : m_in);

    while (!m_closed) {
        const RtfToken token = tokens.Next();
        if (token.kind == RtfToken::Kind::End)
            break;
        if (token.kind == RtfToken::Kind::GroupOpen) {
            OpenGroup();
            continue;
        }
        if (token.kind == RtfToken::Kind::GroupClose) {
            CloseGroup();
            continue;
        }
        const qsizetype characters =
            token.kind == RtfToken::Kind::Text ? static_cast<qsizetype>(token.text.size()) : 1;
        const qsizetype skipped = SkipFallback(characters);
        if (skipped == characters)
            continue;
        switch (token.kind) {
        case RtfToken::Kind::Text:
            TextBytes(token.text.substr(static_cast<size_t>(skipped)));
            break;
        case RtfToken::Kind::Symbol:
            ControlSymbol(token.symbol);
            break;
        case RtfToken::Kind::Word:
            ControlWord(token);
            break;
        default:
            break;
        }
    }
    Flush();
    if (!m_closed)
        m_builder.FinishLastParagraph(Style());
    return m_header && m_closed;
}

// The characters that stand in for a \u are dropped: each byte of text and
// each other token but a brace counts as one. Returns how many of
// `characters` are dropped.
qsizetype Reader::SkipFallback(qsizetype characters) {
    const qsizetype skipped = std::min(static_cast<qsizetype>(m_skipCount), characters);
    m_skipCount -= static_cast<int>(skipped);
    return skipped;
}

void Reader::OpenGroup() {
    Flush();
    m_skipCount = 0;
    if (static_cast<int>(m_states.size()) <= kRtfMaxGroupDepth)
        m_states.push_back(m_states.back());
    else
        ++m_overflowDepth;
}

void Reader::CloseGroup() {
    Flush();
    m_skipCount = 0;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_states.size() <= 1)
        return; // unbalanced: nothing to close
    if (State().dest == Destination::FontTable)
        CommitFontName();
    // The last paragraph, left without a paragraph mark, takes the properties
    // of the end of the document.
    if (m_states.size() == 2 && m_header)
        m_builder.FinishLastParagraph(Style());
    m_states.pop_back();
    // The document ends with its outer group; what follows is not read.
    if (m_states.size() == 1 && m_header)
        m_closed = true;
}

void Reader::ControlSymbol(char symbol) {
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
            m_builder.EndParagraph(Style());
        }
        break;
    default:
        break;
    }
}

void Reader::ControlWord(const RtfToken &token) {
    const RtfWordInfo *info = FindRtfWord(token.text);
    if (!info)
        return;
    switch (State().dest) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        FontTableWord(*info, token);
        return;
    case Destination::Text:
        break;
    }
    switch (info->word) {
    case RtfWord::Character:
        Text(info->ch);
        return;
    case RtfWord::Tab:
        Text(u'\t');
        return;
    case RtfWord::Line:
        Text(QChar::LineSeparator);
        return;
    case RtfWord::Unicode:
        if (token.hasParam) {
            Text(UnicodeCharacter(token.param));
            m_skipCount = State().unicodeSkip;
        }
        return;
    default:
        break;
    }
    Flush();
    FormattingWord(*info, token.hasParam, token.param);
}

// In the font table only font numbers, names and nested ignorable groups
// count.
void Reader::FontTableWord(const RtfWordInfo &info, const RtfToken &token) {
    if (info.word == RtfWord::Font) {
        CommitFontName();
        m_fontNumber = token.param;
    } else if (info.word == RtfWord::SkipDestination) {
        State().dest = Destination::Skip;
    } else if (info.word == RtfWord::Unicode && token.hasParam) {
        Text(UnicodeCharacter(token.param));
        m_skipCount = State().unicodeSkip;
    }
}

void Reader::FormattingWord(const RtfWordInfo &info, bool hasParam, int param) {
    if (ApplyStyleWord(Style(), info.word, hasParam, param))
        return;
    switch (info.word) {
    case RtfWord::Par:
        m_builder.EndParagraph(Style());
        break;
    case RtfWord::DefaultFont:
        m_builder.SetDefaultFont(param);
        break;
    case RtfWord::DefaultTab:
        m_builder.SetDefaultTab(param);
        break;
    case RtfWord::UnicodeSkip:
        State().unicodeSkip = std::clamp(param, 0, kMaxUnicodeSkip);
        break;
    case RtfWord::FontTable:
        State().dest = Destination::FontTable;
        m_fontName.clear();
        break;
    case RtfWord::SkipDestination:
        State().dest = Destination::Skip;
        break;
    default:
        TableWord(info.word, hasParam, param);
        break;
    }
}

void Reader::TableWord(RtfWord word, bool hasParam, int param) {
    switch (word) {
    case RtfWord::RowDefaults:
        m_builder.ResetRowDefinition();
        break;
    case RtfWord::RowGap:
        m_builder.SetRowGap(param);
        break;
    case RtfWord::RowLeft:
        m_builder.SetRowLeft(param);
        break;
    case RtfWord::CellRight:
        m_builder.AddCellBoundary(param);
        break;
    case RtfWord::CellBorder:
        m_builder.SetBorderTarget(RtfBorderTarget::Cell);
        break;
    case RtfWord::RowBorder:
        m_builder.SetBorderTarget(RtfBorderTarget::Row);
        break;
    case RtfWord::ParaBorder:
        m_builder.SetBorderTarget(RtfBorderTarget::Other);
        break;
    case RtfWord::BorderStyle:
        m_builder.SetBorderStyle();
        break;
    case RtfWord::BorderWidth:
        if (hasParam)
            m_builder.SetBorderWidth(param);
        break;
    case RtfWord::Cell:
        if (!m_builder.EndCell(Style()))
            Text(u'\t'); // beyond the table limits a cell ends with a tab
        break;
    case RtfWord::Row:
        m_builder.EndRow(Style());
        break;
    default:
        break;
    }
}

void Reader::TextBytes(std::string_view bytes) {
    if (State().dest == Destination::Skip)
        return;
    for (const char byte : bytes)
        Text(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
}

void Reader::Text(char16_t ch) {
    switch (State().dest) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (ch == u';')
            CommitFontName();
        else if (m_fontName.size() < kMaxFontNameLength && IsTextCharacter(ch))
            m_fontName.append(QChar(ch));
        return;
    case Destination::Text:
        break;
    }
    if (Style().chars.hidden || !IsTextCharacter(ch))
        return;
    m_pending.append(QChar(ch));
}

void Reader::CommitFontName() {
    const QString name = m_fontName.trimmed();
    m_fontName.clear();
    if (!name.isEmpty())
        m_builder.AddFont(m_fontNumber, name);
}

void Reader::Flush() {
    if (m_pending.isEmpty())
        return;
    m_builder.InsertText(std::move(m_pending), Style());
    m_pending.clear();
}

} // namespace

bool ReadRtfInto(QTextDocument &doc, QByteArrayView rtf) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextOption option = doc.defaultTextOption();
    option.setTabStopDistance(RtfPixels(kDefaultTabTwips));
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
