// The opened menu hosted by the panel view, against a model whose hooks
// record their calls: what each control does, which body shows, the
// edition's rows, the personal apps and the Go Mobile panel, and the
// standard sections scrolling while that panel makes them too tall.
#include "MenuTestKit.h"

#include "menu/MediaUtilityBar.h"
#include "menu/MenuControls.h"
#include "menu/MenuMetrics.h"
#include "menu/StandardSections.h"
#include "panel/WindowDragSurface.h"
#include "support/HeardMessages.h"

#include <QTest>
#include <QWheelEvent>

#include <map>

using namespace Qt::StringLiterals;

namespace {

using Calls = std::vector<std::string>;

TEST(OpenedMenu, EveryControlRunsItsHookThenClosesTheMenuUnlessItKeepsItOpen)
{
    MenuTestKit kit;
    kit.open();
    const std::vector<std::pair<QString, Calls>> table{
        {u"Expand"_s, {"openDashboard"}},
        {u"CPU"_s, {"openActivityMonitor", "setMenuOpen(false)"}},
        {u"Bank"_s, {"openMercury", "setMenuOpen(false)"}},
        {u"Go Mobile"_s, {"copyMobileLink"}},
        {u"Message My Vora"_s, {"openChat", "setMenuOpen(false)"}},
        {u"Talk"_s, {"openTalk", "setMenuOpen(false)"}},
        {u"Write w/ AI"_s, {"openSuperhumanGo", "setMenuOpen(false)"}},
        {u"Screen"_s, {"openHalfScreen"}},
        {u"ChatGPT"_s, {"openChatGPT", "setMenuOpen(false)"}},
        {u"The Dadi"_s, {"openApprovals", "setMenuOpen(false)"}},
        {u"Claude"_s, {"openClaude", "setMenuOpen(false)"}},
        {u"My Agenda"_s, {"openSchedule", "setMenuOpen(false)"}},
        {u"Meet"_s, {"openGoToMeeting", "setMenuOpen(false)"}},
        {u"Email"_s, {"openSuperhuman", "setMenuOpen(false)"}},
        {u"Slack"_s, {"openSlack", "setMenuOpen(false)"}},
        {u"Phone"_s, {"openPhone", "setMenuOpen(false)"}},
        {u"Messages"_s, {"openMessages", "setMenuOpen(false)"}},
        {u"Agreement"_s, {"openGoogleLink(agreements)", "setMenuOpen(false)"}},
        {u"CCA"_s, {"openGoogleLink(cca)", "setMenuOpen(false)"}},
        {u"Varadi Pay"_s, {"openLumivoPay", "setMenuOpen(false)"}},
        {u"My Vora Audit"_s, {"openZorivirReport", "setMenuOpen(false)"}},
        {u"My Vora Plan"_s, {"openZorivirPlan", "setMenuOpen(false)"}},
        {u"Weather"_s, {"openGoogleLink(weather)", "setMenuOpen(false)"}},
        {u"Clock"_s, {"openGoogleLink(clock)", "setMenuOpen(false)"}},
        {u"Music"_s, {"openGoogleLink(appleMusic)", "setMenuOpen(false)"}},
        {u"YouTube"_s, {"openGoogleLink(youtube)", "setMenuOpen(false)"}},
        {u"Hulu"_s, {"openGoogleLink(hulu)", "setMenuOpen(false)"}},
        {u"Netflix"_s, {"openGoogleLink(netflix)", "setMenuOpen(false)"}},
        {u"Focus"_s, {"openGoogleLink(focusSettings)", "setMenuOpen(false)"}},
        {u"Add a personal app"_s, {}},
    };
    for (const auto& [name, expected] : table) {
        kit.press(name);
        EXPECT_EQ(kit.takeCalls(), expected) << name.toStdString();
    }
    // The add circle only runs the model's application dialog.
    EXPECT_EQ(kit.picker.requests.size(), 1u);
    // Every control carries a tooltip or at least a name for assistive technology.
    for (MenuButton* control : kit.menu->controls())
        EXPECT_FALSE(control->accessibleName().isEmpty());
    EXPECT_EQ(kit.menu->control(u"Weather"_s)->toolTip(), QStringLiteral("Local weather \u2014 open the forecast"));
    EXPECT_EQ(kit.menu->control(u"Clock"_s)->toolTip(), QStringLiteral("The time \u2014 open Clock"));
    EXPECT_EQ(kit.menu->control(u"Add a personal app"_s)->toolTip(), QStringLiteral("Add your own apps to this row"));
}

TEST(OpenedMenu, CloseShowsTheHiddenMascotAgainAndClosesTheMenu)
{
    MenuTestKit kit;
    kit.open();
    kit.model->companionHidden = true;
    kit.settle();
    kit.press(u"Close Vora controls"_s);
    EXPECT_FALSE(kit.model->companionHidden);
    EXPECT_EQ(kit.takeCalls(), Calls({"setMenuOpen(false)"}));
}

TEST(OpenedMenu, HeroButtonsAndReportingTilesPutOnTheirFacesBeforeTheyAct)
{
    MenuTestKit kit;
    CompanionModel& model = *kit.model;
    std::vector<CompanionExpression> facesAtAction;
    model.openTalk = [&] { facesAtAction.push_back(model.expression); };
    model.openChat = [&] { facesAtAction.push_back(model.expression); };
    kit.open();
    kit.press(u"Talk"_s);
    kit.press(u"Message My Vora"_s);
    EXPECT_EQ(facesAtAction, std::vector({CompanionExpression::listening, CompanionExpression::thinking}));
    kit.advance(2.39);
    EXPECT_EQ(model.expression, CompanionExpression::thinking);
    kit.advance(0.02);
    EXPECT_EQ(model.expression, CompanionExpression::idle);

    kit.press(u"My Vora Plan"_s);
    EXPECT_EQ(model.expression, CompanionExpression::excited);
    kit.advance(3.39);
    EXPECT_EQ(model.expression, CompanionExpression::excited);
    kit.advance(0.02);
    EXPECT_EQ(model.expression, CompanionExpression::idle);
}

TEST(OpenedMenu, PanelTogglesFlipTheirFlagInTheirAnimationAndCloseTheirRivals)
{
    MenuTestKit kit;
    kit.open();
    CompanionModel& model = *kit.model;
    std::vector<std::optional<Animation>> transactions;
    QObject::connect(&model, &ObservableObject::willChange,
                     [&] { transactions.push_back(model.currentTransaction()); });
    auto flags = [&] { return PanelFlags::of(model); };

    model.googlePanelOpen = true;
    model.usagePanelOpen = true;
    model.fleetPanelOpen = true;
    kit.settle();
    transactions.clear();
    kit.press(u"Task Manager"_s);
    EXPECT_EQ(flags(), PanelFlags({.task = true}));
    EXPECT_EQ(kit.takeCalls(), Calls({"refreshRunningApps"})) << "the list is asked for before the panel opens";
    ASSERT_FALSE(transactions.empty());
    for (const std::optional<Animation>& transaction : transactions)
        EXPECT_EQ(transaction, Animation::easeInOut(0.16));
    EXPECT_EQ(kit.menu->body(), MenuBody::task);

    // With the task manager open its controls are gone; the fleet toggle is a tool-bar tile and stays.
    kit.press(u"Fleet"_s);
    EXPECT_EQ(flags(), PanelFlags({.fleet = true}));
    kit.press(u"Fleet"_s);
    EXPECT_EQ(flags(), PanelFlags());

    // "Search" closes only the usage panel; the layout panel keeps its place.
    model.layoutPanelOpen = true;
    model.usagePanelOpen = true;
    model.taskPanelOpen = true;
    kit.settle();
    kit.press(u"Search"_s);
    EXPECT_EQ(flags(), PanelFlags({.layout = true, .google = true, .task = true}));
    EXPECT_EQ(kit.menu->body(), MenuBody::layout);
    kit.press(u"Search"_s);
    EXPECT_EQ(flags(), PanelFlags({.layout = true, .task = true}));
}

// A sub-panel as a test builds one: its back chip and nothing else.
class TestPanel final : public MenuSection {
public:
    TestPanel(MenuContext& context, Published<bool> CompanionModel::*flag, int& built)
        : MenuSection(context),
          m_back(panelBackButton(context, [&model = context.model, flag] { model.*flag = false; }))
    {
        ++built;
    }
    qreal layout(qreal top) override
    {
        m_back->setCardRect(QRectF(QPointF(MenuContext::columnLeft(), top), panelBackButtonSize()));
        return 60;
    }
    std::vector<MenuPiece*> pieces() override { return {m_back.get()}; }

private:
    std::unique_ptr<MenuButton> m_back;
};

TEST(OpenedMenu, SubPanelsPlugIntoTheBodySwitchAndTheirBackChipShowsTheNextOpenOne)
{
    int built = 0;
    MenuBodies bodies;
    bodies.taskSection = [&](MenuContext& context) {
        return std::make_unique<TestPanel>(context, &CompanionModel::taskPanelOpen, built);
    };
    bodies.fleetSection = [&](MenuContext& context) {
        return std::make_unique<TestPanel>(context, &CompanionModel::fleetPanelOpen, built);
    };
    MenuTestKit kit(CompanionEdition::commandCenter, bodies);
    OpenedMenu& menu = kit.open();
    const qreal standardHeight = menu.cardGeometry().height();
    EXPECT_NE(menu.standardSections(), nullptr);

    kit.model->taskPanelOpen = true;
    kit.model->fleetPanelOpen = true;
    kit.settle();
    EXPECT_EQ(menu.body(), MenuBody::task);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(menu.control(u"Email"_s), nullptr) << "the standard sections gave way";
    const qreal taskHeight = menu.cardGeometry().height();
    EXPECT_LT(taskHeight, standardHeight);

    kit.press(u"Close Varadi controls"_s);
    EXPECT_EQ(PanelFlags::of(*kit.model), PanelFlags({.fleet = true}));
    EXPECT_EQ(menu.body(), MenuBody::fleet);
    EXPECT_EQ(built, 2);
    EXPECT_TRUE(kit.takeCalls().empty()) << "a back chip neither closes the menu nor calls a hook";

    kit.press(u"Close Varadi controls"_s);
    EXPECT_EQ(menu.body(), MenuBody::standard);
    EXPECT_EQ(menu.cardGeometry().height(), standardHeight);

    // An open panel with no body plugged in leaves the body empty.
    kit.model->googlePanelOpen = true;
    kit.settle();
    EXPECT_EQ(menu.body(), MenuBody::google);
    EXPECT_EQ(menu.bodySection(), nullptr);
    // The panel's 60 points and the row spacing above them are gone.
    EXPECT_DOUBLE_EQ(menu.cardGeometry().height(), taskHeight - 60 - OpenedMenu::rowSpacing);
}

TEST(OpenedMenu, EachEditionsTilesFillTheirRows)
{
    for (CompanionEdition edition : CompanionEdition::allCases) {
        MenuTestKit kit(edition);
        OpenedMenu& menu = kit.open();
        const bool full = edition == CompanionEdition::commandCenter;
        SCOPED_TRACE(edition.rawValue().toStdString());
        EXPECT_DOUBLE_EQ(menu.control(u"Go Mobile"_s)->cardRect().width(), full ? 58.4 : 308);
        EXPECT_EQ(menu.control(u"Task Manager"_s) != nullptr, full);
        EXPECT_EQ(menu.control(u"Bank"_s) != nullptr, full);
        EXPECT_EQ(menu.control(u"The Dadi"_s) != nullptr, full);
        EXPECT_NEAR(menu.control(u"ChatGPT"_s)->cardRect().width(), full ? (308 - 16) / 3.0 : 150, 1e-9);
        EXPECT_DOUBLE_EQ(menu.control(u"Claude"_s)->cardRect().right(), 315);
        EXPECT_DOUBLE_EQ(menu.control(u"Message My Vora"_s)->cardRect().width(), 207);
        EXPECT_DOUBLE_EQ(menu.control(u"Talk"_s)->cardRect().width(), 96);
        EXPECT_DOUBLE_EQ(menu.control(u"Email"_s)->cardRect().width(), 48);
        EXPECT_DOUBLE_EQ(menu.control(u"CCA"_s)->cardRect().width(), 100);
        EXPECT_DOUBLE_EQ(menu.control(u"My Vora Plan"_s)->cardRect().left(), 7 + 151.5 + 5);
        // The card keeps its width, and the usage pill's place is only the command center's.
        EXPECT_EQ(menu.cardGeometry().width(), 322);
    }
}

TEST(OpenedMenu, PersonalAppsFollowTheFixedCirclesInOrderAndLeaveOnRemoval)
{
    MenuTestKit kit;
    const QString notes = QStringLiteral("/Applications/Notes.app");
    const QString code = QStringLiteral("/Applications/Visual Studio Code.app");
    kit.model->personalApps.modify([&](QStringList& apps) { apps = {notes, code}; });
    OpenedMenu& menu = kit.open();

    auto names = [&] {
        QStringList all;
        for (MenuButton* circle : menu.mediaBar()->circles())
            all.append(circle->accessibleName());
        return all;
    };
    EXPECT_EQ(names(),
              QStringList({u"Weather"_s, u"Clock"_s, u"Music"_s, u"YouTube"_s, u"Hulu"_s, u"Netflix"_s, u"Focus"_s,
                           u"Notes"_s, u"Visual Studio Code"_s, u"Add a personal app"_s}));
    MenuButton* codeCircle = menu.control(u"Visual Studio Code"_s);
    EXPECT_EQ(codeCircle->toolTip(), QStringLiteral("Visual Studio Code \u2014 right-click to remove"));
    EXPECT_EQ(codeCircle->contextActionTitle(), QStringLiteral("Remove Visual Studio Code"));

    // Ten circles are wider than the row: it scrolls, no further than its end.
    MediaUtilityBar& bar = *menu.mediaBar();
    bar.scrollBy(1000);
    EXPECT_DOUBLE_EQ(bar.scrollOffset(), 10 * 28 + 9 * 5 - 308);
    EXPECT_DOUBLE_EQ(menu.control(u"Add a personal app"_s)->cardRect().right(), 315);

    // A failed launch closes the menu at once and tries once more through the ordinary open route.
    kit.launchesSucceed = false;
    kit.press(u"Notes"_s);
    EXPECT_EQ(kit.takeCalls(), Calls({"setMenuOpen(false)"}));
    kit.settle();
    EXPECT_EQ(kit.desktopRequests,
              std::vector<std::string>({"open " + notes.toStdString(), "url file://" + notes.toStdString()}));
    kit.desktopRequests.clear();
    kit.launchesSucceed = true;
    kit.press(u"Notes"_s);
    kit.settle();
    EXPECT_EQ(kit.desktopRequests, std::vector<std::string>({"open " + notes.toStdString()}));

    codeCircle->runContextAction();
    kit.settle();
    EXPECT_EQ(kit.model->personalApps.get(), QStringList({notes}));
    EXPECT_EQ(menu.control(u"Visual Studio Code"_s), nullptr);
    EXPECT_EQ(names().size(), 9);
    EXPECT_TRUE(kit.storedSettings().value(CompanionModel::personalAppsKey).toVariant().toStringList()
                == QStringList({notes}));
}

TEST(OpenedMenu, ThousandsOfPersonalAppsShowTheFirstFewHundredAndSayHowManyAreLeftOut)
{
    MenuTestKit kit;
    kit.model->personalApps = QStringList(5000, u"/opt/app.desktop"_s);
    HeardMessages heard;
    EXPECT_EQ(kit.open().mediaBar()->circles().size(), 7 + MediaUtilityBar::mostPersonalCircles + 1);
    EXPECT_EQ(heard.messages().filter(u"4700 of the 5000 saved personal apps are not shown"_s).size(), 1);
}

// The colour in the middle of a control's label as the card paints it.
QRgb labelCentre(MenuButton& button, QPointF offsetFromCentre = {})
{
    const QRectF rect = button.cardRect();
    QImage image(rect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-rect.topLeft());
    button.paint(painter);
    painter.end();
    return image.pixel((QRectF(QPointF(0, 0), rect.size()).center() + offsetFromCentre).toPoint());
}

TEST(OpenedMenu, InstalledApplicationsShowTheirOwnIconsAndTheOthersTheirSymbols)
{
    MenuTestKit kit;
    kit.installed = {QStringLiteral("/System/Applications/Music.app")};
    OpenedMenu& menu = kit.open();
    EXPECT_EQ(labelCentre(*menu.control(u"Music"_s)), QColor(Qt::green).rgba());
    // Not installed: the gradient symbol, never the generic icon.
    EXPECT_NE(labelCentre(*menu.control(u"Netflix"_s)), QColor(Qt::gray).rgba());
    EXPECT_NE(labelCentre(*menu.control(u"Netflix"_s)), QColor(Qt::green).rgba());
    // The Hulu circle carries its own picture: black around a green letter.
    EXPECT_EQ(qGreen(labelCentre(*menu.control(u"Hulu"_s), QPointF(0, 9))), 0);
}

TEST(OpenedMenu, TheGoMobilePanelComesWithItsFieldsAndItsBackChipClearsThem)
{
    MenuTestKit kit;
    OpenedMenu& menu = kit.open();
    const qreal plain = menu.cardGeometry().height();
    EXPECT_EQ(menu.standardSections()->mobileInstructions(), nullptr);

    QImage code(21, 21, QImage::Format_RGB32);
    code.fill(Qt::black);
    kit.model->mobileQRImage = code;
    kit.model->mobileLinkCopied = true;
    kit.model->mobileInstructionsVisible = true;
    kit.settle();
    ASSERT_NE(menu.standardSections()->mobileInstructions(), nullptr);
    const qreal withCode = menu.cardGeometry().height();
    EXPECT_GT(withCode, plain);

    // Without a code the panel still shows its words, in less room.
    kit.model->mobileQRImage = std::nullopt;
    kit.settle();
    EXPECT_LT(menu.cardGeometry().height(), withCode);
    EXPECT_GT(menu.cardGeometry().height(), plain);

    kit.model->mobileQRImage = code;
    kit.settle();
    kit.press(u"Close Varadi controls"_s);
    EXPECT_FALSE(kit.model->mobileInstructionsVisible);
    EXPECT_FALSE(kit.model->mobileLinkCopied);
    EXPECT_FALSE(kit.model->mobileQRImage->has_value());
    EXPECT_TRUE(kit.takeCalls().empty()) << "the menu stays open";
    EXPECT_EQ(menu.cardGeometry().height(), plain);
}

TEST(OpenedMenu, TallerThanTheRoomWithTheGoMobileCodeTheSectionsScrollInAWindow)
{
    MenuTestKit kit;
    OpenedMenu& menu = kit.open();
    StandardSections& sections = *menu.standardSections();
    const PanelScroller& scroller = sections.scroller();
    const qreal room = kit.view.height() - CompanionView::contentPadding.top() - CompanionView::contentPadding.bottom();
    auto centreOf = [&](const QString& name) {
        return (menu.control(name)->cardRect().center() + menu.cardGeometry().topLeft()).toPoint();
    };
    auto pressReaches = [&](const QString& name) { return menu.childAt(centreOf(name)) == menu.control(name); };
    auto reachable = [&](const QString& name) {
        return scroller.window().contains(menu.control(name)->cardRect()) && pressReaches(name);
    };
    // Whether the sections paint anything above or below their window.
    auto paintsOutsideTheWindow = [&] {
        QImage image(QSize(int(MenuMetrics::menuWidth), 1200), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        sections.paint(painter, QRectF(image.rect()));
        painter.end();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width() && (y < scroller.window().top() - 1 || y > scroller.window().bottom());
                 ++x)
                if (qAlpha(image.pixel(x, y)) != 0)
                    return true;
        return false;
    };
    auto layout = [&] {
        std::map<QString, QRectF> places;
        for (MenuButton* control : menu.controls())
            places[control->accessibleName()] = control->cardRect();
        return places;
    };

    // They fit: laid out on the card as ever, unclipped and without a thumb;
    // the gaps between tiles still drag the panel.
    const qreal plain = menu.cardGeometry().height();
    const std::map<QString, QRectF> plainLayout = layout();
    EXPECT_LT(plain, room);
    EXPECT_TRUE(scroller.thumbRect().isEmpty());
    EXPECT_EQ(plainLayout.at(u"My Vora Plan"_s), QRectF(163.5, plainLayout.at(u"My Vora Audit"_s).top(), 151.5, 40));
    const QRectF email = plainLayout.at(u"Email"_s);
    EXPECT_EQ(menu.childAt((QPointF(email.right() + 2, email.center().y()) + menu.cardGeometry().topLeft()).toPoint()),
              menu.dragSurface());
    EXPECT_TRUE(paintsOutsideTheWindow()) << "the footer's glow reaches past the sections' end";

    QImage code(21, 21, QImage::Format_RGB32);
    code.fill(Qt::black);
    kit.model->mobileQRImage = code;
    kit.model->mobileInstructionsVisible = true;
    kit.settle();
    EXPECT_EQ(menu.cardGeometry().height(), room);
    EXPECT_EQ(scroller.thumbRect().top(), scroller.window().top());
    EXPECT_EQ(menu.control(u"Email"_s)->cardRect().width(), 47) << "the tiles leave the thumb its gutter";
    EXPECT_TRUE(reachable(u"Email"_s));
    EXPECT_FALSE(reachable(u"My Vora Plan"_s));
    EXPECT_FALSE(paintsOutsideTheWindow());

    // The wheel brings their end into the window.
    QWidget* viewport = scroller.viewport();
    QWheelEvent wheel(QPointF(10, 10), QPointF(viewport->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, -120 * 100),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    kit.settle();
    EXPECT_FALSE(pressReaches(u"Email"_s)) << "above the window, over the agents";
    EXPECT_TRUE(reachable(u"My Vora Audit"_s));
    EXPECT_TRUE(reachable(u"My Vora Plan"_s));
    EXPECT_EQ(scroller.thumbRect().bottom(), scroller.window().bottom());
    EXPECT_FALSE(paintsOutsideTheWindow());
    QWidget* pressed = menu.childAt(centreOf(u"My Vora Plan"_s));
    QTest::mouseClick(pressed, Qt::LeftButton, {}, pressed->mapFrom(&menu, centreOf(u"My Vora Plan"_s)));
    EXPECT_EQ(kit.takeCalls(), Calls({"openZorivirPlan", "setMenuOpen(false)"}));

    kit.model->mobileInstructionsVisible = false;
    kit.settle();
    EXPECT_EQ(menu.cardGeometry().height(), plain);
    EXPECT_EQ(layout(), plainLayout);
    EXPECT_EQ(menu.control(u"My Vora Plan"_s)->parentWidget(), &menu);
}

TEST(OpenedMenu, TheBareMarginDragsThePanelAndAClickThereDoesNothing)
{
    MenuTestKit kit;
    // A drag moves the window the surface is in, which must be on screen.
    kit.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.view));
    OpenedMenu& menu = kit.open();
    NativeWindowDragView& surface = *menu.dragSurface();
    EXPECT_EQ(surface.geometry(), menu.cardGeometry().toAlignedRect());
    // The controls lie over it: it takes only the margin and the gaps.
    EXPECT_EQ(menu.childAt(menu.cardGeometry().topLeft().toPoint() + QPoint(3, 100)), &surface);
    EXPECT_EQ(menu.childAt(menu.control(u"Email"_s)->geometry().center()), menu.control(u"Email"_s));

    auto send = [&](QEvent::Type type, QPoint local) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), QPointF(surface.mapToGlobal(local)), Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&surface, &event);
    };
    const QPoint margin(3, 100);
    send(QEvent::MouseButtonPress, margin);
    send(QEvent::MouseMove, margin + QPoint(2, 0));
    send(QEvent::MouseButtonRelease, margin + QPoint(2, 0));
    EXPECT_TRUE(kit.takeCalls().empty()) << "a click on the margin does nothing";
    send(QEvent::MouseButtonPress, margin);
    send(QEvent::MouseMove, margin + QPoint(6, 2));
    send(QEvent::MouseButtonRelease, margin + QPoint(6, 2));
    EXPECT_EQ(kit.takeCalls(), Calls({"beginDrag", "endDrag"}));
}

TEST(OpenedMenu, APressOutsideACapsulesShapeIsNoPress)
{
    MenuTestKit kit;
    OpenedMenu& menu = kit.open();
    MenuButton& talk = *menu.control(u"Talk"_s);
    QTest::mouseClick(&talk, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(kit.takeCalls().empty());
    QTest::mouseClick(&talk, Qt::LeftButton, {}, talk.rect().center());
    EXPECT_EQ(kit.takeCalls(), Calls({"openTalk", "setMenuOpen(false)"}));
}

TEST(OpenedMenu, EveryOpeningRestartsTheRingsAndAClosingCardKeepsWhatItShowed)
{
    MenuTestKit kit;
    OpenedMenu& menu = kit.open();
    EXPECT_TRUE(menu.isShowing());
    kit.advance(1.5);
    EXPECT_GT(kit.view.borderPhase().value(), 50);

    // Closing clears the panels in the same change; the fading card does not switch its body.
    kit.model->taskPanelOpen = true;
    kit.settle();
    kit.model->withAnimation(Animation::spring(0.36, 0.82), [&] {
        kit.model->menuOpen = false;
        kit.model->taskPanelOpen = false;
    });
    kit.settle();
    EXPECT_TRUE(menu.isShowing());
    EXPECT_EQ(menu.body(), MenuBody::task);
    EXPECT_TRUE(menu.testAttribute(Qt::WA_TransparentForMouseEvents)) << "a closing card takes no presses";

    // Opened again while it fades: the rings start over from 0.
    kit.advance(0.1);
    kit.model->menuOpen = true;
    kit.settle();
    EXPECT_NEAR(kit.view.borderPhase().value(), 0, 1e-9);
    EXPECT_EQ(menu.body(), MenuBody::standard);

    // Once faded out it lets go of its card; the pointer on the mascot
    // prepares the next one, kept a while after the pointer leaves, and
    // neither its title nor its clock asks for anything meanwhile.
    kit.close();
    kit.advance(0.01);
    EXPECT_FALSE(menu.isShowing());
    EXPECT_TRUE(menu.isHidden());
    EXPECT_EQ(menu.control(u"Email"_s), nullptr);
    EXPECT_EQ(kit.animations.listenerCount(), 0u);
    auto hover = [&](QEvent::Type type) {
        QEvent event(type);
        QCoreApplication::sendEvent(kit.view.dragSurface(), &event);
        kit.settle();
    };
    hover(QEvent::Enter);
    EXPECT_NE(menu.control(u"Email"_s), nullptr);
    EXPECT_FALSE(menu.isShowing());
    EXPECT_EQ(kit.animations.listenerCount(), 2u) << "only the hovered mascot's own springs";
    hover(QEvent::Leave);
    kit.advance(OpenedMenu::keptAfterHover.count() - 1);
    kit.settle();
    EXPECT_NE(menu.control(u"Email"_s), nullptr);
    kit.advance(1);
    kit.settle();
    EXPECT_EQ(menu.control(u"Email"_s), nullptr);
    kit.advance(120);
    EXPECT_EQ(kit.scheduler.queuedCount(), 0u);

    // Closed with the pointer on the mascot, the next card is ready at once.
    hover(QEvent::Enter);
    kit.open();
    kit.close();
    kit.advance(0.01);
    kit.settle();
    EXPECT_FALSE(menu.isShowing());
    EXPECT_NE(menu.control(u"Email"_s), nullptr);
}

} // namespace
