#include "platform/printing/PaperTables.h"
#include "platform/printing/Spooler.h"

#include <gtest/gtest.h>

namespace qorprt {
namespace {

TEST(PaperTables, KeywordsOfPpdsAndIppMapToWindowsPaperCodes) {
    const std::pair<const char*, int> rows[] = {
        {"Letter", 1},
        {"na_letter_8.5x11in", 1},
        {"Tabloid", 3},
        {"Legal", 5},
        {"na_legal_8.5x14in", 5},
        {"Executive", 7},
        {"A3", 8},
        {"iso_a3_297x420mm", 8},
        {"A4", 9},
        {"a4", 9},
        {"iso_a4_210x297mm", 9},
        {"A5", 11},
        {"iso_a5_148x210mm", 11},
        {"B5", 13},
        {"Env10", 20},
        {"na_number-10_4.125x9.5in", 20},
        {"EnvDL", 27},
        {"iso_dl_110x220mm", 27},
        {"EnvC5", 28},
        {"EnvISOB5", 34},
        {"EnvMonarch", 37},
        {"A6", 70},
    };
    for (const auto& [keyword, code] : rows)
        EXPECT_EQ(PaperCodeForKeyword(keyword), code) << keyword;
    EXPECT_EQ(PaperCodeForKeyword("Custom.100x100mm"), std::nullopt);
    EXPECT_EQ(PaperCodeForKeyword(""), std::nullopt);
}

TEST(PaperTables, SizesWithinAMillimetreFindTheirPaper) {
    EXPECT_EQ(PaperCodeForSize(2099, 2970), 9);
    EXPECT_EQ(PaperCodeForSize(2110, 2960), 9);
    EXPECT_EQ(PaperCodeForSize(2111, 2970), std::nullopt);
    EXPECT_EQ(PaperCodeForSize(1480, 2100), 11);
    EXPECT_EQ(PaperCodeForSize(2159, 2794), 1);
    EXPECT_EQ(PaperCodeForSize(1000, 1000), std::nullopt);
}

TEST(PaperTables, SourceKeywordsMapToWindowsBinCodes) {
    const std::pair<const char*, int> rows[] = {
        {"Default", 7},     {"auto", 7},         {"Upper", 1},
        {"Tray1", 1},       {"tray-1", 1},       {"Lower", 2},
        {"Tray2", 2},       {"tray-2", 2},       {"Middle", 3},
        {"Tray3", 3},       {"Manual", 4},       {"manual", 4},
        {"Envelope", 5},    {"EnvManual", 6},    {"Tractor", 8},
        {"SmallFormat", 9}, {"LargeFormat", 10}, {"large-capacity", 11},
        {"Cassette", 14},   {"FormSource", 15},
    };
    for (const auto& [keyword, code] : rows)
        EXPECT_EQ(BinCodeForKeyword(keyword), code) << keyword;
    EXPECT_EQ(BinCodeForKeyword("Tray4"), std::nullopt);
}

TEST(PaperTables, UnknownAndRepeatedMediaGetCodesFrom256InListOrder) {
    const std::vector<MediaEntry> media = {
        {"A4", "A4", 2099, 2970},
        {"Odd", "Odd Size", 1000, 1000},
        {"iso_a4_210x297mm", "A4 again", 2100, 2970},
        {"w288h432", "4x6", 1016, 1524},
        {"Whatever", "Looks like A5", 1480, 2100},
    };
    const std::vector<PaperInfo> expected = {
        {9, "A4", 2100, 2970}, // standard size reported, not the rounded points
        {256, "Odd Size", 1000, 1000}, {257, "A4 again", 2100, 2970},
        {258, "4x6", 1016, 1524},      {11, "Looks like A5", 1480, 2100},
    };
    EXPECT_EQ(AssignPaperCodes(media), expected);
    EXPECT_EQ(AssignPaperCodes(media), expected) << "the same list gets the same codes";
}

TEST(PaperTables, UnknownAndRepeatedSourcesGetCodesFrom256) {
    const std::vector<MediaEntry> sources = {
        {"Default", "Printer Default"},
        {"Tray1", "Tray 1"},
        {"Upper", "Upper"},
        {"Tray4", "Tray 4"},
        {"Manual", "Manual Feed"},
    };
    const std::vector<BinInfo> expected = {
        {7, "Printer Default"}, {1, "Tray 1"}, {256, "Upper"}, {257, "Tray 4"}, {4, "Manual Feed"},
    };
    EXPECT_EQ(AssignBinCodes(sources), expected);
}

TEST(PaperTables, PointsBecomeTenthsOfAMillimetre) {
    EXPECT_EQ(PointsToTenthMm(595), 2099);
    EXPECT_EQ(PointsToTenthMm(842), 2970);
    EXPECT_EQ(PointsToTenthMm(612), 2159);
    EXPECT_EQ(PointsToTenthMm(0), 0);
}

TEST(PaperTables, KnownPapersHaveTheWindowsSizes) {
    ASSERT_NE(FindKnownPaper(9), nullptr);
    EXPECT_EQ(FindKnownPaper(9)->width, 2100);
    EXPECT_EQ(FindKnownPaper(9)->height, 2970);
    EXPECT_STREQ(FindKnownPaper(20)->name, "Envelope #10");
    EXPECT_EQ(FindKnownPaper(37)->width, 984);
    EXPECT_EQ(FindKnownPaper(256), nullptr);
}

struct MergeCase {
    const char* what;
    uint32_t fields;
    int16_t paper, source, duplex, orientation;
    PrintSettings expected;
};

TEST(MergeDevMode, TakesOnlyFlaggedFieldsThePrinterOffers) {
    const std::vector<PaperInfo> papers = {{9, "A4", 2100, 2970}, {11, "A5", 1480, 2100}};
    const std::vector<BinInfo> bins = {{7, "Auto"}, {4, "Manual"}};
    const PrintSettings base{9, 7, 1, 1, 1};
    const MergeCase cases[] = {
        {"nothing flagged", 0, 11, 4, 2, 2, base},
        {"all flagged",
         DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX | DM_ORIENTATION,
         11,
         4,
         3,
         2,
         {11, 4, 3, 2, 1}},
        {"unknown paper", DM_PAPERSIZE, 8, 4, 2, 2, base},
        {"unknown bin", DM_DEFAULTSOURCE, 11, 2, 2, 2, base},
        {"bad duplex", DM_DUPLEX, 11, 4, 4, 2, base},
        {"zero duplex", DM_DUPLEX, 11, 4, 0, 2, base},
        {"bad orientation", DM_ORIENTATION, 11, 4, 2, 3, base},
        {"paper only", DM_PAPERSIZE, 11, 4, 2, 2, {11, 7, 1, 1, 1}},
    };
    for (const MergeCase& c : cases) {
        DevMode dm;
        dm.dmFields = c.fields;
        dm.dmPaperSize = c.paper;
        dm.dmDefaultSource = c.source;
        dm.dmDuplex = c.duplex;
        dm.dmOrientation = c.orientation;
        EXPECT_EQ(MergeDevMode(base, dm, papers, bins), c.expected) << c.what;
    }
}

TEST(MergeDevMode, CustomSizeNeedsBothFlagsAndPositiveValues) {
    DevMode dm;
    dm.dmPaperLength = 1500;
    dm.dmPaperWidth = 1000;
    EXPECT_EQ(CustomPaperSize(dm), std::nullopt);
    dm.dmFields = DM_PAPERLENGTH;
    EXPECT_EQ(CustomPaperSize(dm), std::nullopt);
    dm.dmFields = DM_PAPERLENGTH | DM_PAPERWIDTH;
    EXPECT_EQ(CustomPaperSize(dm), (std::pair<int32_t, int32_t>{1000, 1500}));
    dm.dmPaperWidth = -1;
    EXPECT_EQ(CustomPaperSize(dm), std::nullopt);
}

} // namespace
} // namespace qorprt
