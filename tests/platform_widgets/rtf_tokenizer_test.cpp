#include "platform_widgets/rtf_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The tokens of `rtf`, one a word: "{", "}", "T:text", "S:symbol", "W:name"
// or "W:name=param", "I" for Ignored.
std::string Tokens(std::string_view rtf) {
    RtfTokenizer tokenizer(QByteArrayView(rtf.data(), static_cast<qsizetype>(rtf.size())));
    std::string out;
    for (RtfToken token = tokenizer.Next(); token.kind != RtfToken::Kind::End;
         token = tokenizer.Next()) {
        if (!out.empty())
            out += ' ';
        switch (token.kind) {
        case RtfToken::Kind::GroupOpen:
            out += '{';
            break;
        case RtfToken::Kind::GroupClose:
            out += '}';
            break;
        case RtfToken::Kind::Text:
            out += "T:" + std::string(token.text);
            break;
        case RtfToken::Kind::Symbol:
            out += std::string("S:") + token.symbol;
            break;
        case RtfToken::Kind::Word:
            out += "W:" + std::string(token.text);
            if (token.hasParam)
                out += '=' + std::to_string(token.param);
            break;
        default:
            out += 'I';
            break;
        }
    }
    return out;
}

TEST(RtfTokenizerTest, CutsBytesIntoTokens) {
    const std::string longest(RtfTokenizer::kMaxWordLength, 'a');
    const struct {
        const char *name;
        std::string rtf;
        std::string tokens;
    } cases[] = {
        {"groups around text", "a{bc}d", "T:a { T:bc } T:d"},
        {"line breaks end a run and are dropped", "ab\r\ncd\n", "T:ab T:cd"},
        {"escaped line break is a symbol", "\\\nx", "S:\n T:x"},
        {"word with parameter takes its space", "\\fs-12  x", "W:fs=-12 T: x"},
        {"minus before a letter is text", "\\li-x", "W:li T:-x"},
        {"words back to back", "\\b0\\i\\par", "W:b=0 W:i W:par"},
        {"parameter saturates", "\\fs12345678901 ", "W:fs=999999999"},
        {"hex escapes, malformed ones ignored", "\\'e9\\'4\\'zz", "T:\xe9 I T:4 I T:zz"},
        {"truncated hex escape", "\\'e", "I T:e"},
        {"binary data passed over", "\\bin3 {}\\x", "T:x"},
        {"binary count beyond the end", "\\bin99 ab", ""},
        {"negative binary count", "\\bin-4 ab", "T:ab"},
        {"symbols", "\\\\\\{\\~\\*\\'", "S:\\ S:{ S:~ S:* I"},
        {"longest word", "\\" + longest + "1", "W:" + longest + "=1"},
        {"overlong word ignored with its parameter", "\\a" + longest + "1 x", "I T:x"},
        {"lone backslash at the end", "a\\", "T:a"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Tokens(c.rtf), c.tokens) << c.name;
}

} // namespace
