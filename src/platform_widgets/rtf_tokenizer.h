#pragma once

// Private to the Rich Text reader: cuts its input into tokens.

#include <QByteArrayView>

#include <optional>
#include <string_view>

struct RtfToken {
    enum class Kind {
        End,        // no more input
        GroupOpen,  // {
        GroupClose, // }
        Text,       // code-page bytes of text, as they are or one written \'hh
        Symbol,     // a backslash and one character that is not a letter
        Word,       // a control word with its optional parameter
        Ignored,    // a malformed \'hh or an overlong word: no meaning, but one character
    };

    Kind kind = Kind::End;
    // The bytes of Text, the letters of Word; valid until the next token.
    std::string_view text;
    char symbol = 0;       // the character of Symbol
    bool hasParam = false; // Word: digits follow the letters
    int param = 0;         // Word: the parameter, 0 without one
};

// Reads Rich Text bytes into tokens. Line breaks between tokens are not
// tokens; \bin and the binary data it announces are passed over whole.
// Numbers of more digits than an int can hold saturate. Each token takes
// work in proportion to its bytes.
class RtfTokenizer {
public:
    // Longest control word of the format; longer runs of letters are Ignored.
    static constexpr qsizetype kMaxWordLength = 32;
    // Digits beyond this many saturate the parameter, so that any number fits.
    static constexpr int kMaxParamDigits = 9;
    static constexpr int kSaturatedParam = 999999999;

    explicit RtfTokenizer(QByteArrayView in)
        : m_in(in) {}

    RtfToken Next();

private:
    // The token after a backslash; none for \bin and a backslash at the end.
    std::optional<RtfToken> ControlSequence();
    RtfToken HexEscape();

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    char m_escaped = 0; // the byte of the last \'hh
};
