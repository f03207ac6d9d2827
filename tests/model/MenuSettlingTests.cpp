#include "model/MenuSettling.h"
#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class MenuSettling : public ::testing::Test {
protected:
    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model = kit.makeModel();
    int openings = 0;

    void openNow()
    {
        openAfterMenuSettles(*model, kit.scheduler, [this] { ++openings; });
    }
};

TEST_F(MenuSettling, WithTheMenuClosedOpensAtOnceAndKeepsTheFace)
{
    model->expression = CompanionExpression::listening;
    openNow();
    EXPECT_EQ(openings, 1);
    EXPECT_EQ(model->expression, CompanionExpression::listening);
    EXPECT_EQ(kit.scheduler.queuedCount(), 0u);
}

TEST_F(MenuSettling, WithTheMenuOpenLooksExcitedAndOpensAfterTheMenuHasBegunToClose)
{
    model->menuOpen = true;
    openNow();
    EXPECT_EQ(openings, 0);
    EXPECT_EQ(model->expression, CompanionExpression::excited);

    // The tile closes the menu right after the hook returns; the opening still follows.
    model->menuOpen = false;
    kit.scheduler.advance(179ms);
    EXPECT_EQ(openings, 0);
    kit.scheduler.advance(1ms);
    EXPECT_EQ(openings, 1);

    kit.scheduler.advance(919ms);
    EXPECT_EQ(model->expression, CompanionExpression::excited);
    kit.scheduler.advance(1ms);
    EXPECT_EQ(model->expression, CompanionExpression::idle);
}

} // namespace
