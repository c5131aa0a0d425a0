// A whole diagnosis through the real window, offscreen and on virtual time: every press is a mouse
// click on the window or on the hardware simulator's window.
#include "support/FixedTexts.h"
#include "ui/SimulatedWindow.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

Q_IMPORT_QML_PLUGIN(KabelwachtPlugin)

using namespace kw;
namespace fixed = kw::test::fixed;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using model::DiagnosticPhase;
using model::PortTestStatus;

namespace {

std::string sizeName(const ::testing::TestParamInfo<QSize>& info)
{
    return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
}

// Each run at a window size a user can set: the default and the smallest.
class EndToEnd : public ::testing::TestWithParam<QSize>, protected test::SimulatedWindow {
protected:
    virtual QString machine() const { return probe::defaultMachineName; }
    void SetUp() override
    {
        QString error = open(machine(), QStringLiteral(KW_PROFILER_HELPER), /*animations=*/false);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_TRUE(session->showSimulator(mac, error)) << error.toStdString();
        session->window()->resize(GetParam());
        settle();
    }

    // Lets the window catch up with the model: bindings, layouts, queued signals.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    }

    QQuickItem* find(QQuickWindow* window, const QString& name)
    {
        settle();
        QQuickItem* item = findIn(window->contentItem(), name);
        EXPECT_TRUE(item) << "no item " << name.toStdString();
        return item;
    }
    QQuickItem* find(const QString& name) { return find(session->window(), name); }

    QString screen()
    {
        settle();
        auto* stack = find(u"phaseContent"_s);
        auto* current = stack ? stack->property("currentItem").value<QQuickItem*>() : nullptr;
        return current ? current->property("phaseName").toString() : QString();
    }

    // Scrolls the view that holds the item until the item is in sight, as a user would.
    static void scrollTo(QQuickItem* item)
    {
        for (QQuickItem* p = item->parentItem(); p; p = p->parentItem()) {
            if (!p->inherits("QQuickFlickable"))
                continue;
            auto* content = p->property("contentItem").value<QQuickItem*>();
            const qreal y = item->mapToItem(content, QPointF(0, 0)).y();
            const qreal maxY = std::max<qreal>(0, p->property("contentHeight").toReal() - p->height());
            p->setProperty("contentY", std::clamp<qreal>(y - p->height() / 2, 0, maxY));
            settle();
            return;
        }
    }

    void click(QQuickWindow* window, QQuickItem* item)
    {
        ASSERT_TRUE(item);
        scrollTo(item);
        ASSERT_TRUE(item->isVisible()) << item->objectName().toStdString() << " is hidden";
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
        settle();
    }
    void click(const QString& name) { click(session->window(), find(name)); }

    // A button of one socket's card in the simulator window.
    void simulatorClick(const QString& socket, const QString& button)
    {
        QQuickItem* card = find(session->simulatorWindow(), socket);
        ASSERT_TRUE(card);
        click(session->simulatorWindow(), findIn(card, button));
    }

    void runUntilPhase(DiagnosticPhase phase)
    {
        ASSERT_TRUE(SimulatedWindow::runUntilPhase(phase)) << "phase " << model::caseName(phase).toStdString();
        settle();
    }
    void runUntilStatus(PortTestStatus status)
    {
        ASSERT_TRUE(SimulatedWindow::runUntilStatus(status)) << "status " << model::caseName(status).toStdString();
        settle();
    }
    QString textOf(const QString& name)
    {
        auto* item = find(name);
        return item ? item->property("text").toString() : QString();
    }
    // Whether some visible item of the window shows exactly this text, wherever the layout puts it.
    bool shows(const QString& text)
    {
        settle();
        std::function<bool(QQuickItem*)> search = [&](QQuickItem* item) {
            if (!item->isVisible())
                return false;
            if (item->property("text").toString() == text)
                return true;
            const auto children = item->childItems();
            return std::any_of(children.begin(), children.end(), search);
        };
        return search(session->window()->contentItem());
    }
};

} // namespace

TEST_P(EndToEnd, AFullDiagnosisByMouse)
{
    EXPECT_EQ(screen(), u"intro"_s);
    click(u"startButton"_s);
    EXPECT_EQ(screen(), u"controllerScan"_s);

    runUntilPhase(DiagnosticPhase::portPreparation);
    EXPECT_EQ(screen(), u"portPreparation"_s);
    EXPECT_EQ(textOf(u"windowTitle"_s), u"MacBook Pro"_s);
    EXPECT_TRUE(textOf(u"explanation"_s).startsWith(u"Die App hat 3 USB-C bzw. Thunderbolt Anschlüsse für dieses MacBook"_s));

    click(u"beginButton"_s);
    EXPECT_EQ(screen(), u"portTesting"_s);
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(textOf(u"portHeading"_s), u"USB-C Anschluss 1 von 3"_s);

    // Port 1 passes with a 96 W charger, plugged in through the simulator window.
    simulatorClick(u"socket1"_s, u"plug96"_s);
    runUntilStatus(PortTestStatus::success);
    EXPECT_EQ(textOf(u"tally"_s), u"1 / 3 geprüft"_s);
    simulatorClick(u"socket1"_s, u"unplug"_s);

    // Port 2: nothing arrives, twice; then it is marked defective.
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(textOf(u"portHeading"_s), u"USB-C Anschluss 2 von 3"_s);
    scheduler.advance(10s);
    settle();
    EXPECT_EQ(textOf(u"countdownText"_s), u"16 s"_s) << "polls every 0.55 s: the last one 15.1 s before the end";
    runUntilStatus(PortTestStatus::timedOut);
    click(u"retryButton"_s);
    EXPECT_EQ(session->model().portTestStatus(), PortTestStatus::waitingForDisconnect);
    runUntilStatus(PortTestStatus::timedOut);
    click(u"defectiveButton"_s);
    EXPECT_EQ(session->model().portResults().size(), 2u);

    // Port 3 passes.
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(textOf(u"portHeading"_s), u"USB-C Anschluss 3 von 3"_s);
    simulatorClick(u"socket3"_s, u"plug96"_s);
    runUntilPhase(DiagnosticPhase::evaluating);
    EXPECT_EQ(screen(), u"evaluating"_s);
    runUntilPhase(DiagnosticPhase::result);
    EXPECT_EQ(screen(), u"result"_s);

    EXPECT_EQ(textOf(u"verdictHeadline"_s), u"Mindestens ein USB-C Anschluss ist vermutlich defekt"_s);

    click(u"copyButton"_s);
    EXPECT_EQ(services.clipboard, session->model().reportText());
    EXPECT_TRUE(services.clipboard.contains(u"USB-C Anschluss 2: Anschluss vermutlich defekt"_s));
    EXPECT_TRUE(find(u"messageOverlay"_s)->isVisible());
    click(u"repairButton"_s);
    EXPECT_EQ(services.openedUrls, QStringList{u"https://"_s + QStringLiteral(KW_MAKER_HOST) + fixed::paths::repairPro});
}

// Keys only: the window and the simulator's window are worked by Tab, Shift+Tab, Space, Return and
// Escape, each sent to the window the user would be typing into.
class ByKeyboard : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        activate(session->window());
    }
    // The window in front takes the keys, as after a switch of windows.
    static void activate(QQuickWindow* window)
    {
        if (QGuiApplication::focusWindow() == window)
            return;
        window->requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window, 1000)) << "the window cannot be brought to the front";
        settle();
    }
    void key(QQuickWindow* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        activate(window);
        if (HasFatalFailure())
            return;
        QTest::keyClick(window, key, modifiers);
        settle();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) { key(session->window(), k, modifiers); }

    static bool within(QQuickItem* item, QQuickItem* ancestor)
    {
        for (; item; item = item->parentItem())
            if (item == ancestor)
                return true;
        return false;
    }
    // Where the focus is when the user comes back to the window.
    QString focusName(QQuickWindow* window)
    {
        activate(window);
        // A heading takes the focus on its text, inside the item that carries the name.
        for (QQuickItem* item = window->activeFocusItem(); item; item = item->parentItem())
            if (!item->objectName().isEmpty())
                return item->objectName();
        return {};
    }
    QString focusName() { return focusName(session->window()); }

    // The focused control shows its ring; nothing else in the window shows one.
    void expectOneRing(QQuickWindow* window)
    {
        QQuickItem* focused = window->activeFocusItem();
        ASSERT_TRUE(focused);
        std::function<int(QQuickItem*)> rings = [&](QQuickItem* item) {
            int n = item->objectName() == u"focusRing"_s && item->isVisible() ? 1 : 0;
            for (QQuickItem* child : item->childItems())
                n += rings(child);
            return n;
        };
        QQuickItem* ring = findIn(focused, u"focusRing"_s);
        ASSERT_TRUE(ring) << focusName(window).toStdString() << " has no focus ring";
        EXPECT_TRUE(ring->isVisible()) << focusName(window).toStdString() << " shows no ring";
        EXPECT_EQ(rings(window->contentItem()), 1);
    }

    // Tabs forward until the control is focused, as a user would; fails after a whole round.
    void tabTo(QQuickWindow* window, const std::function<bool(QQuickItem*)>& wanted, const std::string& what)
    {
        QStringList visited;
        for (int presses = 0; presses < 60 && !HasFatalFailure(); ++presses) {
            if (window->activeFocusItem() && wanted(window->activeFocusItem()))
                return;
            key(window, Qt::Key_Tab);
            visited << focusName(window);
        }
        visited.removeDuplicates();
        FAIL() << "Tab never reaches " << what << "; it goes round " << visited.join(u", "_s).toStdString();
    }
    void tabTo(const QString& name)
    {
        tabTo(session->window(), [&](QQuickItem* item) { return item->objectName() == name; }, name.toStdString());
    }
    // A button of one socket's card in the simulator window, reached and pressed by keys.
    void simulatorPress(const QString& socket, const QString& button)
    {
        QQuickWindow* window = session->simulatorWindow();
        QQuickItem* card = find(window, socket);
        ASSERT_TRUE(card);
        tabTo(window, [&](QQuickItem* item) { return item->objectName() == button && within(item, card); },
              (socket + u"/"_s + button).toStdString());
        expectOneRing(window);
        key(window, Qt::Key_Space);
    }
};

TEST_P(ByKeyboard, AFullDiagnosis)
{
    // The start screen gives its button the focus; no ring shows until a key is pressed.
    EXPECT_EQ(focusName(), u"startButton"_s);
    EXPECT_FALSE(findIn(session->window()->activeFocusItem(), u"focusRing"_s)->isVisible());

    // The legal sheet: Return opens it on "Fertig", Tab goes round its controls only, Escape closes
    // it and the focus is back where it was.
    tabTo(u"infoButton"_s);
    expectOneRing(session->window());
    key(Qt::Key_Return);
    ASSERT_EQ(focusName(), u"doneButton"_s);
    QPointer<QQuickItem> sheet = session->window()->activeFocusItem();
    while (sheet && !sheet->inherits("QQuickPopupItem"))
        sheet = sheet->parentItem();
    ASSERT_TRUE(sheet);
    QStringList round;
    for (int i = 0; i < 6; ++i) {
        key(Qt::Key_Tab);
        ASSERT_TRUE(within(session->window()->activeFocusItem(), sheet))
            << "Tab left the sheet after " << round.join(u", "_s).toStdString();
        round << focusName();
    }
    EXPECT_EQ(round, (QStringList{u"emailLink"_s, u"phoneLink"_s, u"contactLink"_s, u"termsLink"_s, u"doneButton"_s,
                                  u"emailLink"_s}));
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    EXPECT_EQ(focusName(), u"termsLink"_s);
    expectOneRing(session->window());
    key(Qt::Key_Escape);
    EXPECT_TRUE(!sheet || !sheet->isVisible()) << "the sheet is gone once closed";
    EXPECT_EQ(focusName(), u"infoButton"_s);

    tabTo(u"startButton"_s);
    key(Qt::Key_Space);
    EXPECT_EQ(screen(), u"controllerScan"_s);
    EXPECT_EQ(focusName(), u"scanTitle"_s) << "a screen without an action gives its heading the focus";

    runUntilPhase(DiagnosticPhase::portPreparation);
    EXPECT_EQ(focusName(), u"beginButton"_s);
    expectOneRing(session->window());
    key(Qt::Key_Return);
    EXPECT_EQ(screen(), u"portTesting"_s);
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(focusName(), u"portHeading"_s);

    // Port 1 passes: the charger goes in and out by keys in the simulator's window.
    simulatorPress(u"socket1"_s, u"plug96"_s);
    runUntilStatus(PortTestStatus::success);
    EXPECT_EQ(textOf(u"tally"_s), u"1 / 3 geprüft"_s);
    simulatorPress(u"socket1"_s, u"unplug"_s);

    // Port 2 times out: the focus goes to "Erneut prüfen"; a retry, another timeout, then
    // "Als defekt werten" one Tab further.
    runUntilStatus(PortTestStatus::timedOut);
    EXPECT_EQ(focusName(), u"retryButton"_s);
    key(Qt::Key_Return);
    EXPECT_EQ(session->model().portTestStatus(), PortTestStatus::waitingForDisconnect);
    EXPECT_EQ(focusName(), u"portHeading"_s) << "the focus leaves the hidden buttons";
    runUntilStatus(PortTestStatus::timedOut);
    EXPECT_EQ(focusName(), u"retryButton"_s);
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"defectiveButton"_s);
    expectOneRing(session->window());
    key(Qt::Key_Space);
    EXPECT_EQ(session->model().portResults().size(), 2u);

    // Port 3 passes; the verdict takes the focus.
    runUntilStatus(PortTestStatus::waitingForConnection);
    simulatorPress(u"socket3"_s, u"plug96"_s);
    runUntilPhase(DiagnosticPhase::result);
    EXPECT_EQ(focusName(), u"verdictHeadline"_s);

    // Tab goes on from the heading, not from the window's start.
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"newDiagnosisButton"_s);
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"copyButton"_s);
    expectOneRing(session->window());
    key(Qt::Key_Return);
    EXPECT_EQ(services.clipboard, session->model().reportText());
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"repairButton"_s);
    key(Qt::Key_Space);
    EXPECT_EQ(services.openedUrls, QStringList{u"https://"_s + QStringLiteral(KW_MAKER_HOST) + fixed::paths::repairPro});

    // A click puts the ring away; the next key brings it back.
    click(u"copyButton"_s);
    EXPECT_FALSE(findIn(session->window()->activeFocusItem(), u"focusRing"_s)->isVisible());
    key(Qt::Key_Tab);
    expectOneRing(session->window());
}

// The window buttons are the reader's and the mouse's: a Tab and a Space never end the program,
// the platform's keys close and quit it, and a reader's press still closes it.
TEST_P(ByKeyboard, TheWindowButtonsAreNoTabStops)
{
    QStringList round;
    for (int i = 0; i < 12; ++i) {
        key(Qt::Key_Tab);
        round << focusName();
    }
    for (const QString& button : {u"closeButton"_s, u"minimiseButton"_s, u"zoomButton"_s})
        EXPECT_FALSE(round.contains(button)) << "Tab goes round " << round.join(u", "_s).toStdString();
    EXPECT_TRUE(round.contains(u"startButton"_s) && round.contains(u"infoButton"_s)) << round.join(u", "_s).toStdString();
    key(Qt::Key_Space);
    EXPECT_TRUE(session->window()->isVisible());

    QSignalSpy quit(qmlEngine(session->window()), &QQmlEngine::quit);
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.count(), 1) << "Ctrl+Q quits";
    EXPECT_TRUE(session->window()->isVisible());
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(session->window()->isVisible()) << "Ctrl+W closes the window";

    session->window()->show();
    settle();
    QQuickItem* close = find(u"closeButton"_s);
    ASSERT_TRUE(close);
    QMetaObject::invokeMethod(close, "clicked"); // what the reader's press does, through the base
    settle();
    EXPECT_FALSE(session->window()->isVisible());
}

TEST_P(ByKeyboard, TheDamagedControllerScreen)
{
    session.reset(); // the one window of its machine
    const QString error = open(u"macbookpro17-1-missing-controller"_s, QStringLiteral(KW_PROFILER_HELPER), false);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    session->window()->resize(GetParam());
    activate(session->window());

    key(Qt::Key_Return);
    runUntilPhase(DiagnosticPhase::controllerFailure);
    EXPECT_EQ(focusName(), u"failureTitle"_s);
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"resetButton"_s);
    expectOneRing(session->window());
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), u"estimateButton"_s);
    key(Qt::Key_Return);
    EXPECT_EQ(services.openedUrls.size(), 1);
    key(Qt::Key_Backtab);
    key(Qt::Key_Space);
    EXPECT_EQ(screen(), u"intro"_s);
    EXPECT_EQ(focusName(), u"startButton"_s);
}

// The simulator wears a socket of a Mac that publishes its contracts; the result names that socket.
class WornSocket : public EndToEnd {
protected:
    QString machine() const override { return u"mac15-6"_s; }
};

TEST_P(WornSocket, TheResultNamesTheSocketThatChargesBelowTheOthers)
{
    simulatorClick(u"socket2"_s, u"weaken"_s);
    EXPECT_FALSE(findIn(find(session->simulatorWindow(), u"socket2"_s), u"weaken"_s)->isVisible()) << "worn once";
    EXPECT_EQ(findIn(find(session->simulatorWindow(), u"socket2"_s), u"state"_s)->property("text").toString(),
              u"frei · Kontakt abgenutzt"_s);
    click(u"startButton"_s);
    runUntilPhase(DiagnosticPhase::portPreparation);
    click(u"beginButton"_s);
    for (int socket = 1; socket <= 3; ++socket) {
        runUntilStatus(PortTestStatus::waitingForConnection);
        simulatorClick(u"socket%1"_s.arg(socket), u"plug96"_s);
        if (socket < 3) {
            runUntilStatus(PortTestStatus::success);
            simulatorClick(u"socket%1"_s.arg(socket), u"unplug"_s);
        }
    }
    runUntilPhase(DiagnosticPhase::result);
    EXPECT_EQ(textOf(u"verdictHeadline"_s), u"Mindestens ein USB-C Anschluss lädt nur eingeschränkt"_s);
    EXPECT_TRUE(shows(u"Anschluss reagiert, lädt aber nur eingeschränkt"_s));
    EXPECT_TRUE(shows(u"Mit demselben Netzteil wurden an Anschluss 1 96 W vereinbart, hier nur 5 V und 15 W. Das deutet "
                      u"auf eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s));
    click(u"repairButton"_s);
    EXPECT_EQ(services.openedUrls, QStringList{u"https://"_s + QStringLiteral(KW_MAKER_HOST) + fixed::paths::repairPro});
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, WornSocket, ::testing::Values(QSize(1080, 740)),
                         sizeName);

// The simulator's window opens wholly on the main window's screen: beside it where there is room,
// else over its right part.
TEST(SimulatorWindow, OpensWhollyOnTheScreen)
{
    const QSize simulator(430, 740);
    for (const QRect screen : {QRect(0, 0, 1280, 900), QRect(0, 0, 1024, 768), QRect(1920, 0, 1280, 900),
                               QRect(0, 0, 2560, 1440)}) {
        for (const QPoint at : {QPoint(0, 0), QPoint(100, 60), QPoint(screen.right() - 1080, screen.bottom() - 740)}) {
            const QRect main(screen.topLeft() + at, QSize(1080, 740));
            const QRect placed = ui::placeBeside(main, simulator, screen);
            const auto where = [&] {
                return QString(u"main %1,%2 on %3x%4+%5"_s).arg(main.x()).arg(main.y()).arg(screen.width())
                    .arg(screen.height()).arg(screen.x()).toStdString();
            };
            EXPECT_TRUE(screen.contains(placed)) << where();
            EXPECT_EQ(placed.height(), std::min(740, screen.height())) << where();
            if (main.right() + 16 + simulator.width() <= screen.right())
                EXPECT_GT(placed.left(), main.right()) << "beside it, where there is room: " << where();
            else
                EXPECT_EQ(placed.right(), screen.right()) << "over its right part: " << where();
        }
    }
    // Taller than the screen: as high as the screen.
    EXPECT_EQ(ui::placeBeside(QRect(0, 0, 1080, 740), QSize(430, 900), QRect(0, 0, 1024, 768)), QRect(594, 0, 430, 768));
}

TEST_P(EndToEnd, TheSimulatorWindowLiesOnTheMainWindowsScreen)
{
    const QRect screen = session->window()->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(session->simulatorWindow()->frameGeometry()))
        << session->simulatorWindow()->x() << "," << session->simulatorWindow()->y() << " on " << screen.width() << "x"
        << screen.height();
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, ByKeyboard, ::testing::Values(QSize(1080, 740), QSize(980, 680)),
                         sizeName);

INSTANTIATE_TEST_SUITE_P(WindowSizes, EndToEnd, ::testing::Values(QSize(1080, 740), QSize(980, 680)),
                         sizeName);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
