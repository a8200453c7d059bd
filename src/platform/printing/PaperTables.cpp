#include "platform/printing/PaperTables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace qorprt {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct Alias {
    const char* keyword;
    int16_t code;
};

// PPD PageSize names (Adobe's standard names) and PWG media names.
constexpr Alias kPaperAliases[] = {
    {"Letter", 1},
    {"na_letter_8.5x11in", 1},
    {"LetterSmall", 2},
    {"Tabloid", 3},
    {"na_ledger_11x17in", 3},
    {"Ledger", 4},
    {"Legal", 5},
    {"na_legal_8.5x14in", 5},
    {"Statement", 6},
    {"na_invoice_5.5x8.5in", 6},
    {"Executive", 7},
    {"na_executive_7.25x10.5in", 7},
    {"A3", 8},
    {"iso_a3_297x420mm", 8},
    {"A4", 9},
    {"iso_a4_210x297mm", 9},
    {"A4Small", 10},
    {"A5", 11},
    {"iso_a5_148x210mm", 11},
    {"B4", 12},
    {"jis_b4_257x364mm", 12},
    {"B5", 13},
    {"jis_b5_182x257mm", 13},
    {"Folio", 14},
    {"om_folio_210x330mm", 14},
    {"Quarto", 15},
    {"na_quarto_8.5x10.83in", 15},
    {"10x14", 16},
    {"na_10x14_10x14in", 16},
    {"11x17", 17},
    {"Note", 18},
    {"Env9", 19},
    {"na_number-9_3.875x8.875in", 19},
    {"Env10", 20},
    {"na_number-10_4.125x9.5in", 20},
    {"Env11", 21},
    {"na_number-11_4.5x10.375in", 21},
    {"Env12", 22},
    {"na_number-12_4.75x11in", 22},
    {"Env14", 23},
    {"na_number-14_5x11.5in", 23},
    {"EnvDL", 27},
    {"iso_dl_110x220mm", 27},
    {"EnvC5", 28},
    {"iso_c5_162x229mm", 28},
    {"EnvC3", 29},
    {"iso_c3_324x458mm", 29},
    {"EnvC4", 30},
    {"iso_c4_229x324mm", 30},
    {"EnvC6", 31},
    {"iso_c6_114x162mm", 31},
    {"EnvC65", 32},
    {"iso_c6c5_114x229mm", 32},
    {"EnvISOB4", 33},
    {"EnvISOB5", 34},
    {"iso_b5_176x250mm", 34},
    {"EnvISOB6", 35},
    {"iso_b6_125x176mm", 35},
    {"EnvItalian", 36},
    {"om_italian_110x230mm", 36},
    {"EnvMonarch", 37},
    {"na_monarch_3.875x7.5in", 37},
    {"EnvPersonal", 38},
    {"na_personal_3.625x6.5in", 38},
    {"FanFoldUS", 39},
    {"na_fanfold-us_11x14.875in", 39},
    {"FanFoldGerman", 40},
    {"na_fanfold-eur_8.5x12in", 40},
    {"FanFoldGermanLegal", 41},
    {"na_foolscap_8.5x13in", 41},
    {"ISOB4", 42},
    {"iso_b4_250x353mm", 42},
    {"Postcard", 43},
    {"jpn_hagaki_100x148mm", 43},
    {"A2", 66},
    {"iso_a2_420x594mm", 66},
    {"A6", 70},
    {"iso_a6_105x148mm", 70},
};

// PPD InputSlot names and IPP media-source keywords.
constexpr Alias kBinAliases[] = {
    {"Default", 7},        {"Auto", 7},
    {"AutoSelect", 7},     {"auto", 7},
    {"Upper", 1},          {"Top", 1},
    {"Tray1", 1},          {"top", 1},
    {"tray-1", 1},         {"main", 1},
    {"OnlyOne", 1},        {"Lower", 2},
    {"Bottom", 2},         {"Tray2", 2},
    {"bottom", 2},         {"tray-2", 2},
    {"Middle", 3},         {"Tray3", 3},
    {"middle", 3},         {"tray-3", 3},
    {"Manual", 4},         {"ManualFeed", 4},
    {"manual", 4},         {"by-pass-tray", 4},
    {"Envelope", 5},       {"EnvelopeFeed", 5},
    {"envelope", 5},       {"EnvManual", 6},
    {"ManualEnvelope", 6}, {"envelope-manual", 6},
    {"Tractor", 8},        {"SmallFormat", 9},
    {"LargeFormat", 10},   {"large-capacity", 11},
    {"LargeCapacity", 11}, {"Cassette", 14},
    {"FormSource", 15},
};

std::optional<int16_t> Lookup(const auto& table, std::string_view keyword) {
    for (const Alias& a : table)
        if (EqualNoCase(a.keyword, keyword)) return a.code;
    return std::nullopt;
}

} // namespace

const std::vector<KnownPaper>& KnownPapers() {
    static const std::vector<KnownPaper> papers = {
        {1, "Letter", 2159, 2794},
        {2, "Letter Small", 2159, 2794},
        {3, "Tabloid", 2794, 4318},
        {4, "Ledger", 4318, 2794},
        {5, "Legal", 2159, 3556},
        {6, "Statement", 1397, 2159},
        {7, "Executive", 1842, 2667},
        {8, "A3", 2970, 4200},
        {9, "A4", 2100, 2970},
        {10, "A4 Small", 2100, 2970},
        {11, "A5", 1480, 2100},
        {12, "B4 (JIS)", 2570, 3640},
        {13, "B5 (JIS)", 1820, 2570},
        {14, "Folio", 2159, 3302},
        {15, "Quarto", 2150, 2750},
        {16, "10x14", 2540, 3556},
        {17, "11x17", 2794, 4318},
        {18, "Note", 2159, 2794},
        {19, "Envelope #9", 984, 2254},
        {20, "Envelope #10", 1048, 2413},
        {21, "Envelope #11", 1143, 2635},
        {22, "Envelope #12", 1206, 2794},
        {23, "Envelope #14", 1270, 2921},
        {24, "C size sheet", 4318, 5588},
        {25, "D size sheet", 5588, 8636},
        {26, "E size sheet", 8636, 11176},
        {27, "Envelope DL", 1100, 2200},
        {28, "Envelope C5", 1620, 2290},
        {29, "Envelope C3", 3240, 4580},
        {30, "Envelope C4", 2290, 3240},
        {31, "Envelope C6", 1140, 1620},
        {32, "Envelope C65", 1140, 2290},
        {33, "Envelope B4", 2500, 3530},
        {34, "Envelope B5", 1760, 2500},
        {35, "Envelope B6", 1760, 1250},
        {36, "Envelope", 1100, 2300},
        {37, "Envelope Monarch", 984, 1905},
        {38, "6 3/4 Envelope", 921, 1651},
        {39, "US Std Fanfold", 3778, 2794},
        {40, "German Std Fanfold", 2159, 3048},
        {41, "German Legal Fanfold", 2159, 3302},
        {42, "B4 (ISO)", 2500, 3530},
        {43, "Japanese Postcard", 1000, 1480},
        {66, "A2", 4200, 5940},
        {70, "A6", 1050, 1480},
    };
    return papers;
}

const KnownPaper* FindKnownPaper(int16_t code) {
    for (const KnownPaper& p : KnownPapers())
        if (p.code == code) return &p;
    return nullptr;
}

std::optional<int16_t> PaperCodeForKeyword(std::string_view keyword) {
    return Lookup(kPaperAliases, keyword);
}

std::optional<int16_t> PaperCodeForSize(int32_t width, int32_t height) {
    for (const KnownPaper& p : KnownPapers())
        if (std::abs(p.width - width) <= 10 && std::abs(p.height - height) <= 10) return p.code;
    return std::nullopt;
}

std::optional<int16_t> BinCodeForKeyword(std::string_view keyword) {
    return Lookup(kBinAliases, keyword);
}

std::vector<PaperInfo> AssignPaperCodes(const std::vector<MediaEntry>& media) {
    std::vector<PaperInfo> result;
    std::set<int16_t> used;
    int16_t next = 256;
    for (const MediaEntry& m : media) {
        std::optional<int16_t> code = PaperCodeForKeyword(m.keyword);
        if (!code) code = PaperCodeForSize(m.width, m.height);
        PaperInfo info{0, m.name, m.width, m.height};
        if (code && !used.contains(*code)) {
            info.code = *code;
            if (const KnownPaper* known = FindKnownPaper(*code);
                known && std::abs(known->width - m.width) <= 10 &&
                std::abs(known->height - m.height) <= 10) {
                info.width = known->width;
                info.height = known->height;
            }
        } else {
            info.code = next++;
        }
        used.insert(info.code);
        result.push_back(std::move(info));
    }
    return result;
}

std::vector<BinInfo> AssignBinCodes(const std::vector<MediaEntry>& sources) {
    std::vector<BinInfo> result;
    std::set<int16_t> used;
    int16_t next = 256;
    for (const MediaEntry& s : sources) {
        std::optional<int16_t> code = BinCodeForKeyword(s.keyword);
        BinInfo info{0, s.name};
        info.code = code && !used.contains(*code) ? *code : next++;
        used.insert(info.code);
        result.push_back(std::move(info));
    }
    return result;
}

int32_t PointsToTenthMm(double points) {
    return static_cast<int32_t>(std::lround(points * 254.0 / 72.0));
}

} // namespace qorprt
