#include "ViewTestKit.h"

#include "model/CompanionFeeds.h"
#include "model/OutsideText.h"
#include "panel/CompanionAlertBubbleView.h"
#include "ui/GlowCache.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using Layout = CompanionAlertBubbleView::Layout;

const QString longDetail =
    QStringLiteral("Your accountant shared the signed quarterly statements and asks you to confirm the transfer to the "
                   "supplier before the bank closes this afternoon, otherwise the payment slips to Monday");

TEST(AlertBubbleLayout, AnEmptyDetailShowsTheTitleAloneWithoutASecondLine)
{
    const Layout layout = CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::call, QString()));
    EXPECT_EQ(layout.titleLines, QStringList{QStringLiteral("ZQ — you got a call")});
    EXPECT_TRUE(layout.detailLines.isEmpty());
    EXPECT_TRUE(layout.detail.isEmpty());
    const Layout withDetail =
        CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::call, QStringLiteral("Mum")));
    EXPECT_EQ(withDetail.detailLines, QStringList{QStringLiteral("Mum")});
    EXPECT_LT(layout.title.top() - withDetail.title.top(), 0.1 + withDetail.detail.bottom() - withDetail.title.bottom())
        << "the title alone is centred, not placed as if a detail followed";
    EXPECT_GT(layout.title.top(), withDetail.title.top());
}

TEST(AlertBubbleLayout, EverySourceKeepsTheSameFrameAndCutsLongTextsAtTheirLimits)
{
    for (CompanionAlertSource source : CompanionAlertSource::allCases) {
        for (const QString& detail : {QString(), QStringLiteral("Lunch moved"), longDetail}) {
            const Layout layout = CompanionAlertBubbleView::layoutFor(CompanionAlert(source, detail));
            const QRectF panel(QPointF(0, 0), QSizeF(CompanionAlertBubbleView::panelSize));
            EXPECT_EQ(layout.bubble.width(), 214);
            EXPECT_GE(layout.bubble.height(), 45);
            EXPECT_TRUE(panel.contains(layout.bubble));
            EXPECT_EQ(layout.bubble.center(), panel.center());
            EXPECT_LE(layout.titleLines.size(), 2);
            EXPECT_LE(layout.detailLines.size(), 3);
            EXPECT_TRUE(layout.bubble.contains(layout.mainButton));
            EXPECT_TRUE(layout.bubble.contains(layout.reply));
            EXPECT_TRUE(layout.bubble.contains(layout.dismiss));
            EXPECT_LE(layout.mainButton.right() + 5, layout.reply.left() + 1e-9);
            EXPECT_EQ(layout.reply.size(), QSizeF(20, 18));
            EXPECT_EQ(layout.dismiss.size(), QSizeF(20, 16));
        }
        const Layout cut = CompanionAlertBubbleView::layoutFor(CompanionAlert(source, longDetail));
        EXPECT_EQ(cut.detailLines.size(), 3);
        EXPECT_TRUE(cut.detailLines.last().endsWith(QChar(0x2026)));
    }
    // The setup alert is laid out like any other.
    EXPECT_EQ(CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::setup, longDetail)).bubble,
              CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::email, longDetail)).bubble);
}

// The feed keeps more of a detail than the bubble's three lines can show,
// even of the narrowest letters.
TEST(AlertBubbleLayout, TheDetailTheFeedKeepsShowsAsTheWholeWould)
{
    for (const char* piece : {"i", "'", "l. ", "W", "\u05E9"}) {
        const QString whole = QString::fromUtf8(piece).repeated(2000);
        const QString kept = OutsideText::boundedForDisplay(whole, CompanionRemoteAlert::longestDetail);
        ASSERT_LT(kept.size(), whole.size());
        EXPECT_EQ(CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::call, kept)).detailLines,
                  CompanionAlertBubbleView::layoutFor(CompanionAlert(CompanionAlertSource::call, whole)).detailLines)
            << piece;
    }
}

class AlertBubbleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model->openAlert = [this](const CompanionAlert& alert) { opened.push_back(alert.source()); };
        bubble.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bubble));
        model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("Invoice 1042"));
        kit.settle();
        ASSERT_TRUE(bubble.shownAlert());
    }

    void clickAt(QPointF point)
    {
        QTest::mouseClick(&bubble, Qt::LeftButton, Qt::NoModifier, point.toPoint());
        kit.settle();
    }

    ViewTestKit kit;
    std::unique_ptr<CompanionModel> model = kit.makeModel();
    CompanionAlertBubbleView bubble{*model, kit.environment};
    std::vector<CompanionAlertSource> opened;
};

TEST_F(AlertBubbleTest, ArrivesWithTheAlertsSpringAndLeavesWithItsEaseOut)
{
    EXPECT_EQ(bubble.size(), QSize(226, 96));
    EXPECT_EQ(bubble.presence().target(), 1);
    ASSERT_TRUE(bubble.presence().motion());
    EXPECT_EQ(bubble.presence().motion()->kind, Motion::Kind::spring);
    model->dismissAlert(false);
    kit.settle();
    EXPECT_EQ(bubble.presence().target(), 0);
    ASSERT_TRUE(bubble.presence().motion());
    EXPECT_EQ(bubble.presence().motion()->curve, TimingCurve::easeOut);
    EXPECT_DOUBLE_EQ(bubble.presence().motion()->duration, 0.18);
    EXPECT_TRUE(bubble.shownAlert()) << "the leaving bubble keeps its alert while it fades";
}

TEST_F(AlertBubbleTest, ATapOnTheEmptyStretchRepliesLikeTheReplyButton)
{
    const Layout& layout = bubble.currentLayout();
    clickAt(QPointF(layout.mainButton.right() - 2, layout.mainButton.center().y()));
    EXPECT_EQ(opened, std::vector<CompanionAlertSource>{CompanionAlertSource::email});
    EXPECT_FALSE(model->activeAlert->has_value());
}

TEST_F(AlertBubbleTest, ReplyOpensTheSourceAndDismissOnlyDismisses)
{
    clickAt(bubble.currentLayout().reply.center());
    EXPECT_EQ(opened, std::vector<CompanionAlertSource>{CompanionAlertSource::email});

    kit.advance(0.3);
    model->enqueueAlert(CompanionAlertSource::slack, QStringLiteral("Standup in 5"));
    kit.settle();
    ASSERT_TRUE(model->activeAlert->has_value());
    clickAt(bubble.currentLayout().dismiss.center());
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(model->activeAlert->has_value());
}

TEST_F(AlertBubbleTest, ClicksOutsideTheBubbleOrOnAFadingOneDoNothing)
{
    clickAt(QPointF(2, 2));
    EXPECT_TRUE(model->activeAlert->has_value());
    model->dismissAlert(false);
    kit.settle();
    clickAt(bubble.currentLayout().reply.center());
    EXPECT_TRUE(opened.empty());
}

TEST_F(AlertBubbleTest, AlertAfterAlertReusesTheGlowsOfTheSameShapes)
{
    const QStringList details{QStringLiteral("Short"),
                              QStringLiteral("A detail long enough to take a second line here"), longDetail};
    const int before = GlowCache::shared().count();
    for (int index = 0; index < 30; ++index) {
        model->dismissAlert(false);
        kit.advance(0.5);
        model->enqueueAlert(CompanionAlertSource::email, details[index % 3] + QString::number(index));
        kit.settle();
        kit.advance(1);
        // Under the pointer "Reply" glows too.
        QTest::mouseMove(&bubble, bubble.currentLayout().reply.center().toPoint());
        kit.advance(0.5);
        bubble.grab();
        QTest::mouseMove(&bubble, QPoint(1, 1));
    }
    // One shadow per bubble height and the two glows of "Reply"; nothing per alert.
    EXPECT_LE(GlowCache::shared().count() - before, 5);
}

TEST(AlertBubbleStart, ABubbleMadeWhileAnAlertIsOnShowShowsIt)
{
    ViewTestKit kit;
    auto model = kit.makeModel();
    model->enqueueAlert(CompanionAlertSource::calendar, QStringLiteral("Board meeting moved to 3 pm"));
    CompanionAlertBubbleView bubble(*model, kit.environment);
    ASSERT_TRUE(bubble.shownAlert());
    EXPECT_EQ(bubble.presence().value(), 1);
    EXPECT_EQ(bubble.currentLayout().detailLines, QStringList{QStringLiteral("Board meeting moved to 3 pm")});
    EXPECT_EQ(bubble.currentLayout().bubble.width(), 214);
}

} // namespace
