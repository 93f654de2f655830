#include "platform_widgets/rtf_style.h"

#include "platform_widgets/rtf_reader.h"

#include <algorithm>

namespace {

constexpr int kMaxHalfPoints = 3276;
constexpr double kTwipsPerPixel = 15.0;

} // namespace

double RtfPixels(int twips) {
    return twips / kTwipsPerPixel;
}

bool ApplyStyleWord(RtfStyle &style, RtfWord word, bool hasParam, int param) {
    const bool on = !hasParam || param != 0;
    RtfCharState &chars = style.chars;
    RtfParaState &para = style.para;
    switch (word) {
    case RtfWord::Pard:
        para = RtfParaState();
        return true;
    case RtfWord::Plain:
        chars = RtfCharState();
        return true;
    case RtfWord::Bold:
        chars.bold = on;
        return true;
    case RtfWord::Italic:
        chars.italic = on;
        return true;
    case RtfWord::Underline:
        chars.underline = on;
        return true;
    case RtfWord::UnderlineNone:
        chars.underline = false;
        return true;
    case RtfWord::Strike:
        chars.strike = on;
        return true;
    case RtfWord::Hidden:
        chars.hidden = on;
        return true;
    case RtfWord::Super:
        chars.vertical = RtfVertical::Super;
        return true;
    case RtfWord::Sub:
        chars.vertical = RtfVertical::Sub;
        return true;
    case RtfWord::NoSuperSub:
        chars.vertical = RtfVertical::Normal;
        return true;
    case RtfWord::Up:
        chars.vertical = on ? RtfVertical::Super : RtfVertical::Normal;
        return true;
    case RtfWord::Down:
        chars.vertical = on ? RtfVertical::Sub : RtfVertical::Normal;
        return true;
    case RtfWord::AlignLeft:
        para.alignment = Qt::AlignLeft;
        return true;
    case RtfWord::AlignRight:
        para.alignment = Qt::AlignRight;
        return true;
    case RtfWord::AlignCenter:
        para.alignment = Qt::AlignHCenter;
        return true;
    case RtfWord::AlignJustify:
        para.alignment = Qt::AlignJustify;
        return true;
    case RtfWord::SpaceBefore:
        para.spaceBefore = std::clamp(param, 0, kRtfMaxTwips);
        return true;
    case RtfWord::SpaceAfter:
        para.spaceAfter = std::clamp(param, 0, kRtfMaxTwips);
        return true;
    case RtfWord::LeftIndent:
        para.leftIndent = std::clamp(param, 0, kRtfMaxTwips);
        return true;
    case RtfWord::RightIndent:
        para.rightIndent = std::clamp(param, 0, kRtfMaxTwips);
        return true;
    case RtfWord::FirstIndent:
        para.firstIndent = std::clamp(param, -kRtfMaxTwips, kRtfMaxTwips);
        return true;
    case RtfWord::TabStop:
        if (para.tabs.size() < kRtfMaxTabStops) {
            QTextOption::Tab tab(RtfPixels(std::clamp(param, 0, kRtfMaxTwips)), para.nextTabType);
            if (para.nextTabType == QTextOption::DelimiterTab)
                tab.delimiter = u',';
            para.tabs.append(tab);
        }
        para.nextTabType = QTextOption::LeftTab;
        return true;
    case RtfWord::TabRight:
        para.nextTabType = QTextOption::RightTab;
        return true;
    case RtfWord::TabCenter:
        para.nextTabType = QTextOption::CenterTab;
        return true;
    case RtfWord::TabDecimal:
        para.nextTabType = QTextOption::DelimiterTab;
        return true;
    case RtfWord::FontSize:
        chars.halfPoints = hasParam && param > 0 ? std::clamp(param, 2, kMaxHalfPoints)
                                                 : RtfCharState::kDefaultHalfPoints;
        return true;
    case RtfWord::Font:
        chars.font = param;
        return true;
    case RtfWord::InTable:
        para.inTable = true;
        return true;
    default:
        return false;
    }
}
