// The tray message of failed jobs: one message per burst, the same job once, and an ending
// program that shows what it gathered and waits until it was shown.

#include "app/FailureMessages.h"

#include <QTest>

#include <gtest/gtest.h>

namespace qorprt {
namespace {

using namespace std::chrono_literals;

TEST(FailureMessages, AnEndingProgramShowsWhatItGatheredAndWaitsUntilItWasShown) {
    std::vector<TrayMessage> shown;
    bool tray = true;
    FailureMessages messages([&](const TrayMessage& m) { shown.push_back(m); },
                             [&] { return tray; }, 10s, 10s, 200ms);
    messages.Notice("a.PRT", "nicht gedruckt, x");
    messages.Notice("a.PRT", "PDF nicht geschrieben");
    messages.Notice("a.PRT", "nicht gedruckt, x");
    bool done = false;
    messages.WhenRead([&] { done = true; });
    ASSERT_EQ(shown.size(), 1u); // at once, not after the ten seconds of gathering
    EXPECT_EQ(shown[0].title.toStdString(), "QorPrt: Auftrag fehlgeschlagen");
    EXPECT_EQ(shown[0].text.toStdString(), "a.PRT: nicht gedruckt, x; PDF nicht geschrieben");
    EXPECT_FALSE(done);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));

    tray = false; // no notification area: nothing to show, nothing to wait for
    messages.Notice("b.PRT", "nicht gedruckt, y");
    done = false;
    messages.WhenRead([&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(shown.size(), 1u);
}

TEST(FailureMessages, ALongBurstShowsItsFirstLinesAndHowManyMore) {
    std::vector<FailureNote> failures;
    for (int i = 1; i <= 6; ++i)
        failures.push_back({"R" + std::to_string(i) + ".PRT", "nicht gedruckt, z"});
    const TrayMessage message = FailureMessage(failures);
    EXPECT_EQ(message.title.toStdString(), "QorPrt: 6 Aufträge fehlgeschlagen");
    EXPECT_EQ(message.text.toStdString(), "R1.PRT: nicht gedruckt, z\nR2.PRT: nicht gedruckt, z\n"
                                          "R3.PRT: nicht gedruckt, z\nR4.PRT: nicht gedruckt, z\n"
                                          "… und 2 weitere");
}

} // namespace
} // namespace qorprt
