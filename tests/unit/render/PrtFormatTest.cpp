#include "render/PrtFormat.h"

#include <gtest/gtest.h>

namespace qorprt {
namespace {

TEST(GetField, SplitsAtTabsAndKeepsFurtherTabsInTheText) {
    struct {
        const char* line;
        int n;
        const char* expected;
    } cases[] = {
        {"10\t20\t12\tFe\tText", 1, "10"},
        {"10\t20\t12\tFe\tText", 2, "20"},
        {"10\t20\t12\tFe\tText", 4, "Fe"},
        {"10\t20\t12\tFe\tText", 5, "Text"},
        {"1\t2\t3\t4\ta\tb\tc", 5, "a\tb\tc"},
        {"nur", 1, "nur"},
        {"nur", 2, ""},
        {"nur", 5, ""},
        {"\t\t\t\tWort", 1, ""},
        {"\t\t\t\tWort", 5, "Wort"},
        {"\t\t\t\t", 5, ""},
        {"1\t2", 3, ""},
        {"", 1, ""},
        {"", 5, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.line, '\t', c.n), c.expected) << c.line << " field " << c.n;
}

TEST(FindTag, RecognisesTagsByTheCharactersAtFixedDistances) {
    struct {
        const char* text;
        size_t expected;
    } cases[] = {
        {"ab<+FE>cd", 3}, {"<-UL>", 1},    {"<-l12>", 1},    {"<-l1>", 1},       {"<-l>x", 0},
        {"<179>", 1},     {"<2ab>", 1},    {"<17>x", 0},     {"<=R21>", 1},      {"<=R0>", 0},
        {"<=R1>", 1},     {"<=L05>", 0},   {"<=L10>", 1},    {"<L05>", 1},       {"<l05>", 1},
        {"<L0>x", 0},     {"<l1234>", 1},  {"<l12345>", 0},  {"<TAB>x", 0},      {"<TABR>", 1},
        {"<TAB1>", 1},    {"<TAB123>", 1}, {"<TABR123>", 0}, {"<IMG=", 1},       {"<IMG", 0},
        {"<PDF=a>", 1},   {"<pdf=a>", 1},  {"<Pdf=a>", 0},   {"<PDF-Seite>", 0}, {"a<b<+FE>", 4},
        {"<<+FE>", 2},    {"<+F>", 0},     {"x<+FE", 0},     {"<=", 0},          {"", 0},
        {"<l$F>", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindTag(c.text), c.expected) << c.text;
}

TEST(ClassifyTag, GivesKindLengthAndNumbers) {
    struct {
        const char* tag;
        TagKind kind;
        size_t length;
        const char* number;
    } cases[] = {
        {"<+FE>", TagKind::Mode, 5, ""},
        {"<-QW>", TagKind::Font, 5, ""},
        {"<TABR20>", TagKind::RightTab, 8, "20"},
        {"<TABR>", TagKind::RightTab, 6, ""},
        {"<TAB7>", TagKind::Tab, 6, "7"},
        {"<TAB123>", TagKind::Tab, 8, "123"},
        {"<=R21>", TagKind::Box, 6, ""},
        {"<=R2>x", TagKind::Box, 6, ""},
        {"<-l12>", TagKind::Rule, 6, "12"},
        {"<-l0>", TagKind::Rule, 5, "0"},
        {"<=L123>", TagKind::Rule, 7, "123"},
        {"<L05>", TagKind::Rule, 5, "5"},
        {"<l05>", TagKind::Rule, 5, "05"},
        {"<L5>", TagKind::Rule, 4, "5"},
        {"<l1234>", TagKind::Rule, 2, ""},
        {"<179>", TagKind::BoxChar, 5, ""},
        {"<IMG=a/b.png>", TagKind::Picture, 13, ""},
        {"<IMG=abc", TagKind::Picture, 5, ""},
        {"<PDF=x.pdf>", TagKind::PdfSwitch, 11, ""},
        {"<Txyz>", TagKind::Unknown, 5, ""},
        {"<1FE>", TagKind::Mode, 5, ""},
    };
    for (const auto& c : cases) {
        const Tag tag = ClassifyTag(c.tag);
        EXPECT_EQ(tag.kind, c.kind) << c.tag;
        EXPECT_EQ(tag.length, c.length) << c.tag;
        if (c.kind == TagKind::RightTab || c.kind == TagKind::Tab || c.kind == TagKind::Rule) {
            EXPECT_EQ(tag.number, c.number) << c.tag;
        }
    }
}

TEST(ClassifyTag, ReadsTheDetailsOfEachKind) {
    EXPECT_TRUE(ClassifyTag("<+FE>").on);
    EXPECT_FALSE(ClassifyTag("<1FE>").on);
    const Tag box = ClassifyTag("<=r35>");
    EXPECT_FALSE(box.on);
    EXPECT_EQ(box.width, 3);
    EXPECT_EQ(box.height, 5);
    EXPECT_EQ(ClassifyTag("<=R2>").height, 1);
    EXPECT_EQ(ClassifyTag("<-l3>").rule, RuleForm::TickDown);
    EXPECT_EQ(ClassifyTag("<=L3>").rule, RuleForm::Double);
    EXPECT_EQ(ClassifyTag("<L03>").rule, RuleForm::Plain);
    EXPECT_EQ(ClassifyTag("<L3>").rule, RuleForm::TickUp);
    EXPECT_EQ(ClassifyTag("<218>").code, 218);
    EXPECT_EQ(ClassifyTag("<IMG=a/b.png>x").path, "a/b.png");
    EXPECT_EQ(ClassifyTag("<IMG=abc").path, "");
    const Tag pdf = ClassifyTag("<pdf=out.pdf>");
    EXPECT_FALSE(pdf.on);
    EXPECT_EQ(pdf.path, "out.pdf");
    EXPECT_TRUE(ClassifyTag("<PDF=out.pdf>").on);
}

} // namespace
} // namespace qorprt
