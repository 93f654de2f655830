#include "platform_widgets/rtf_words.h"

#include <initializer_list>
#include <unordered_map>
#include <utility>

namespace {

const std::unordered_map<std::string_view, RtfWordInfo> &Words() {
    static const std::unordered_map<std::string_view, RtfWordInfo> words = [] {
        std::unordered_map<std::string_view, RtfWordInfo> map;
        const auto add = [&map](std::initializer_list<std::string_view> names, RtfWord word) {
            for (const std::string_view name : names)
                map.emplace(name, RtfWordInfo{word});
        };
        add({"par", "sect", "page"}, RtfWord::Par);
        add({"pard"}, RtfWord::Pard);
        add({"plain"}, RtfWord::Plain);
        add({"b"}, RtfWord::Bold);
        add({"i"}, RtfWord::Italic);
        add({"ul", "uld", "uldb", "uldash", "ulth", "ulw"}, RtfWord::Underline);
        add({"ulnone"}, RtfWord::UnderlineNone);
        add({"strike"}, RtfWord::Strike);
        add({"v"}, RtfWord::Hidden);
        add({"super"}, RtfWord::Super);
        add({"sub"}, RtfWord::Sub);
        add({"nosupersub"}, RtfWord::NoSuperSub);
        add({"up"}, RtfWord::Up);
        add({"dn"}, RtfWord::Down);
        add({"ql"}, RtfWord::AlignLeft);
        add({"qr"}, RtfWord::AlignRight);
        add({"qc"}, RtfWord::AlignCenter);
        add({"qj"}, RtfWord::AlignJustify);
        add({"sb"}, RtfWord::SpaceBefore);
        add({"sa"}, RtfWord::SpaceAfter);
        add({"li"}, RtfWord::LeftIndent);
        add({"ri"}, RtfWord::RightIndent);
        add({"fi"}, RtfWord::FirstIndent);
        add({"tab"}, RtfWord::Tab);
        add({"tx"}, RtfWord::TabStop);
        add({"tqr"}, RtfWord::TabRight);
        add({"tqc"}, RtfWord::TabCenter);
        add({"tqdec"}, RtfWord::TabDecimal);
        add({"fs"}, RtfWord::FontSize);
        add({"f"}, RtfWord::Font);
        add({"deff"}, RtfWord::DefaultFont);
        add({"deftab"}, RtfWord::DefaultTab);
        add({"line"}, RtfWord::Line);
        add({"u"}, RtfWord::Unicode);
        add({"uc"}, RtfWord::UnicodeSkip);
        add({"trowd"}, RtfWord::RowDefaults);
        add({"trgaph"}, RtfWord::RowGap);
        add({"trleft"}, RtfWord::RowLeft);
        add({"cellx"}, RtfWord::CellRight);
        add({"intbl"}, RtfWord::InTable);
        add({"cell"}, RtfWord::Cell);
        add({"row"}, RtfWord::Row);
        add({"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"}, RtfWord::CellBorder);
        add({"trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv"}, RtfWord::RowBorder);
        add({"brdrt", "brdrl", "brdrb", "brdrr", "box"}, RtfWord::ParaBorder);
        add({"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
             "brdrtriple"},
            RtfWord::BorderStyle);
        add({"brdrnone"}, RtfWord::BorderNone);
        add({"brdrw"}, RtfWord::BorderWidth);
        add({"fonttbl"}, RtfWord::FontTable);
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
            RtfWord::SkipDestination);
        const std::pair<std::string_view, char16_t> characters[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005}};
        for (const auto &[name, ch] : characters)
            map.emplace(name, RtfWordInfo{RtfWord::Character, ch});
        return map;
    }();
    return words;
}

} // namespace

const RtfWordInfo *FindRtfWord(std::string_view name) {
    const auto found = Words().find(name);
    return found != Words().end() ? &found->second : nullptr;
}
