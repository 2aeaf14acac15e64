// The nearest Windows-1252 text to a UTF-8 text: the code page's own characters, accents
// joined to their letters, accents the page lacks dropped, and look-alike punctuation.
#include "exchange/closest_ansi.h"

#include <cstdint>

#include "rtl/ansi.h"

namespace exchange {
namespace {

// The letter each code point of the Latin extensions is written with once its accents or
// strokes are dropped; "." where the code page holds the character itself, "?" where no
// plain letter comes near.
constexpr char32_t kLatinExtendedFirst = 0x0100;
constexpr std::string_view kLatinExtended =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlL"
    "lLlNnNnNn?NnOoOoOo..RrRrRrSsSsSs..TtTtTtUuUuUuUuUuUuWwYy.ZzZz..s"
    "bB?????CcDDDd????F.G???IKkl??Nn?Oo??Pp?????tTtTUu?VYyZz?????????"
    "?????????????AaIiOoUuUuUuUuUu?AaAa??GgGgKkOoOo??j???Gg??NnAa????"
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt??Hh??????AaEeOoOoOoOoYy??????ACcLT?"
    "???B??EeJj??RrYy";
constexpr char32_t kLatinAdditionalFirst = 0x1E00;
constexpr std::string_view kLatinAdditional =
    "AaBbBbBbCcDdDdDdDdDdEeEeEeEeEeFfGgHhHhHhHhHhIiIiKkKkKkLlLlLlLlMm"
    "MmMmNnNnNnNnOoOoOoOoPpPpRrRrRrRrSsSsSsSsSsTtTtTtTtUuUuUuUuUuVvVv"
    "WwWwWwWwWwXxXxYyZzZzZzhtwy????S?AaAaAaAaAaAaAaAaAaAaAaAaEeEeEeEe"
    "EeEeEeEeIiIiOoOoOoOoOoOoOoOoOoOoOoOoUuUuUuUuUuUuUuYyYyYyYy??????";

// Punctuation and spaces the code page lacks, by the ASCII they are read as.
struct Lookalike {
    char32_t cp;
    const char* ascii;
};
constexpr Lookalike kLookalikes[] = {
    {0x2010, "-"},  {0x2011, "-"},  {0x2012, "-"},  {0x2015, "-"},  {0x2212, "-"},  {0x2043, "-"},
    {0x201B, "'"},  {0x2032, "'"},  {0x2035, "'"},  {0x201F, "\""}, {0x2033, "\""}, {0x2036, "\""},
    {0x2024, "."},  {0x2025, ".."}, {0x2044, "/"},  {0x2215, "/"},  {0x2190, "<-"}, {0x2192, "->"},
    {0x21D2, "=>"}, {0x2000, " "},  {0x2001, " "},  {0x2002, " "},  {0x2003, " "},  {0x2004, " "},
    {0x2005, " "},  {0x2006, " "},  {0x2007, " "},  {0x2008, " "},  {0x2009, " "},  {0x200A, " "},
    {0x202F, " "},  {0x205F, " "},  {0x3000, " "},  {0x200B, ""},   {0x200C, ""},   {0x200D, ""},
    {0x2060, ""},   {0xFEFF, ""},   {0x2116, "No"}, {0x0132, "IJ"}, {0x0133, "ij"}, {0x0149, "'n"},
    {0x01C4, "DZ"}, {0x01C5, "Dz"}, {0x01C6, "dz"}, {0x01C7, "LJ"}, {0x01C8, "Lj"}, {0x01C9, "lj"},
    {0x01CA, "NJ"}, {0x01CB, "Nj"}, {0x01CC, "nj"}, {0x1E9E, "SS"},
};

// The code page's accented letters as a base letter and a combining accent: `letters[i]`
// with the accent is `results[i]`.
struct Accent {
    char32_t mark;
    std::string_view letters;
    std::string_view results;
};
constexpr Accent kAccents[] = {
    {0x0300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
    {0x0301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
    {0x0302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
    {0x0303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
    {0x0308, "AEIOUaeiouyY", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF\x9F"},
    {0x030A, "Aa", "\xC5\xE5"},
    {0x0327, "Cc", "\xC7\xE7"},
    {0x030C, "SsZz", "\x8A\x9A\x8E\x9E"},
};

bool IsCombiningMark(char32_t cp) {
    return (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x1AB0 && cp <= 0x1AFF) ||
           (cp >= 0x1DC0 && cp <= 0x1DFF) || (cp >= 0x20D0 && cp <= 0x20FF) ||
           (cp >= 0xFE20 && cp <= 0xFE2F);
}

// The letter `last` joined with the accent `mark`, when the code page has it.
bool JoinAccent(char last, char32_t mark, char& joined) {
    for (const Accent& accent : kAccents) {
        if (accent.mark != mark) {
            continue;
        }
        const std::size_t at = accent.letters.find(last);
        if (at == std::string_view::npos) {
            return false;
        }
        joined = accent.results[at];
        return true;
    }
    return false;
}

// The plain letters a character the code page lacks is written with; "?" for none.
std::string_view Nearest(char32_t cp) {
    for (const Lookalike& look : kLookalikes) {
        if (look.cp == cp) {
            return look.ascii;
        }
    }
    auto from = [cp](char32_t first, std::string_view table) -> std::string_view {
        const char32_t at = cp - first;
        return cp >= first && at < table.size() ? table.substr(at, 1) : std::string_view("?");
    };
    if (cp >= kLatinAdditionalFirst) {
        return from(kLatinAdditionalFirst, kLatinAdditional);
    }
    return from(kLatinExtendedFirst, kLatinExtended);
}

}  // namespace

AnsiText ClosestAnsi(std::string_view utf8) {
    AnsiText out;
    out.text.reserve(utf8.size());
    // Whether the last byte written came from a character of the text itself, so that an
    // accent after it may join it.
    bool joinable = false;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        if (!rtl::NextCodePoint(utf8, pos, cp)) {
            out.text += '?';
            out.changed = true;
            joinable = false;
            continue;
        }
        if ((cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || cp == 0x7F) {
            out.changed = true;  // control characters have no place in a task's texts
            joinable = false;
            continue;
        }
        char byte = 0;
        if (rtl::CodePointToAnsi(cp, byte)) {
            out.text += byte;
            joinable = true;
            continue;
        }
        if (IsCombiningMark(cp)) {
            char joined = 0;
            if (joinable && JoinAccent(out.text.back(), cp, joined)) {
                out.text.back() = joined;
            } else {
                out.changed = true;  // the accent is dropped, its letter stays
            }
            joinable = false;
            continue;
        }
        // "." in the tables marks characters the code page holds, which never get here.
        out.text += Nearest(cp);
        out.changed = true;
        joinable = false;
    }
    return out;
}

}  // namespace exchange
