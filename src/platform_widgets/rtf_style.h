#pragma once

// Private to the Rich Text reader: the character and paragraph properties in
// force in a group, and the words that set them.

#include "platform_widgets/rtf_words.h"

#include <QList>
#include <QTextOption>

// Lengths of the format are in twips; none is taken beyond 22 inches.
inline constexpr int kRtfMaxTwips = 31680;

// A length in twips as pixels of the document (1440 twips an inch at 96
// pixels an inch).
double RtfPixels(int twips);

enum class RtfVertical { Normal, Super, Sub };

struct RtfCharState {
    static constexpr int kDefaultHalfPoints = 24;

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    RtfVertical vertical = RtfVertical::Normal;
    int halfPoints = kDefaultHalfPoints;
    int font = -1; // -1: the document's default font
};

struct RtfParaState {
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

struct RtfStyle {
    RtfCharState chars;
    RtfParaState para;
};

// Applies `word`, with its parameter, to `style` when it is a word of a
// character or paragraph property (lengths and sizes clamped, tab stops
// capped); false, with `style` unchanged, for any other word.
bool ApplyStyleWord(RtfStyle &style, RtfWord word, bool hasParam, int param);
