#pragma once

// Private to the Rich Text reader: the control words it acts on.

#include <string_view>

enum class RtfWord {
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

struct RtfWordInfo {
    RtfWord word;
    char16_t ch = 0; // the character of RtfWord::Character
};

// The meaning of the control word `name`, or null for a word the reader
// ignores.
const RtfWordInfo *FindRtfWord(std::string_view name);
