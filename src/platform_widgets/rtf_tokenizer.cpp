#include "platform_widgets/rtf_tokenizer.h"

#include <algorithm>
#include <optional>

namespace {

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

// The bytes that end a run of text.
bool EndsTextRun(char c) {
    return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n';
}

RtfToken Bytes(const char *bytes, qsizetype count) {
    RtfToken token;
    token.kind = RtfToken::Kind::Text;
    token.text = std::string_view(bytes, static_cast<size_t>(count));
    return token;
}

RtfToken Simple(RtfToken::Kind kind, char symbol = 0) {
    RtfToken token;
    token.kind = kind;
    token.symbol = symbol;
    return token;
}

} // namespace

RtfToken RtfTokenizer::Next() {
    while (m_pos < m_in.size()) {
        const qsizetype start = m_pos++;
        switch (m_in[start]) {
        case '{':
            return Simple(RtfToken::Kind::GroupOpen);
        case '}':
            return Simple(RtfToken::Kind::GroupClose);
        case '\\':
            if (std::optional<RtfToken> token = ControlSequence())
                return *token;
            break;
        case '\r':
        case '\n':
            break;
        default:
            while (m_pos < m_in.size() && !EndsTextRun(m_in[m_pos]))
                ++m_pos;
            return Bytes(m_in.data() + start, m_pos - start);
        }
    }
    return Simple(RtfToken::Kind::End);
}

std::optional<RtfToken> RtfTokenizer::ControlSequence() {
    if (m_pos >= m_in.size())
        return std::nullopt; // a lone backslash at the end
    if (!IsLetter(m_in[m_pos])) {
        const char symbol = m_in[m_pos++];
        return symbol == '\'' ? HexEscape() : Simple(RtfToken::Kind::Symbol, symbol);
    }
    const qsizetype start = m_pos;
    while (m_pos < m_in.size() && IsLetter(m_in[m_pos]))
        ++m_pos;
    const qsizetype length = m_pos - start;

    bool negative = false;
    if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    RtfToken token;
    int value = 0;
    int digits = 0;
    while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
        token.hasParam = true;
        if (digits < kMaxParamDigits)
            value = value * 10 + (m_in[m_pos] - '0');
        else
            value = kSaturatedParam;
        ++digits;
        ++m_pos;
    }
    if (m_pos < m_in.size() && m_in[m_pos] == ' ')
        ++m_pos; // the space that ends a word belongs to it

    if (length > kMaxWordLength) {
        token.kind = RtfToken::Kind::Ignored; // not a word of the format
        token.hasParam = false;
        return token;
    }
    token.text = std::string_view(m_in.data() + start, static_cast<size_t>(length));
    token.param = negative ? -value : value;
    if (token.text == "bin") {
        // Binary data follows; it is never text, whatever the destination.
        const qsizetype count = token.hasParam ? std::max(token.param, 0) : 0;
        m_pos += std::min(count, m_in.size() - m_pos);
        return std::nullopt;
    }
    token.kind = RtfToken::Kind::Word;
    return token;
}

// \'hh: one byte of the code page. A malformed escape stands for nothing; the
// characters after the quote are read as they are.
RtfToken RtfTokenizer::HexEscape() {
    if (m_pos + 1 < m_in.size()) {
        const int high = HexValue(m_in[m_pos]);
        const int low = HexValue(m_in[m_pos + 1]);
        if (high >= 0 && low >= 0) {
            m_pos += 2;
            m_escaped = static_cast<char>(high * 16 + low);
            return Bytes(&m_escaped, 1);
        }
    }
    return Simple(RtfToken::Kind::Ignored);
}
