// A whole diagnosis through the real window, offscreen and on virtual time: every press is a mouse
// click on the window or on the hardware simulator's window.
#include "support/FixedTexts.h"
#include "ui/SimulatedWindow.h"

#include <QGuiApplication>
#include <QQuickItem>
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

// Each run at a window size a user can set: the default and the smallest.
class EndToEnd : public ::testing::TestWithParam<QSize>, protected test::SimulatedWindow {
protected:
    void SetUp() override
    {
        QString error = open(probe::defaultMachineName, QStringLiteral(KW_PROFILER_HELPER), /*animations=*/false);
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
    EXPECT_EQ(textOf(u"windowTitle"_s), u"Native Diagnose für MacBook"_s);

    runUntilPhase(DiagnosticPhase::portPreparation);
    EXPECT_EQ(screen(), u"portPreparation"_s);
    EXPECT_EQ(textOf(u"windowTitle"_s), u"MacBook Pro"_s);
    EXPECT_TRUE(textOf(u"explanation"_s).startsWith(u"Die App hat 3 USB-C bzw. Thunderbolt Anschlüsse für dieses MacBook"_s));
    EXPECT_EQ(find(u"sidebar"_s)->property("currentStep").toInt(), 2);

    click(u"beginButton"_s);
    EXPECT_EQ(screen(), u"portTesting"_s);
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(textOf(u"statusTitle"_s), u"Ladekabel jetzt anschließen"_s);
    EXPECT_EQ(textOf(u"portHeading"_s), u"USB-C Anschluss 1 von 3"_s);
    EXPECT_TRUE(find(u"countdownRow"_s)->isVisible());
    EXPECT_EQ(textOf(u"countdownText"_s), u"25 s"_s);

    // Port 1 passes with a 96 W charger, plugged in through the simulator window.
    simulatorClick(u"socket1"_s, u"plug96"_s);
    runUntilStatus(PortTestStatus::success);
    EXPECT_EQ(textOf(u"statusTitle"_s), u"Anschluss erfolgreich geprüft"_s);
    EXPECT_EQ(textOf(u"tally"_s), u"1 / 3 geprüft"_s);
    simulatorClick(u"socket1"_s, u"unplug"_s);

    // Port 2: nothing arrives, twice; then it is marked defective.
    runUntilStatus(PortTestStatus::waitingForConnection);
    EXPECT_EQ(textOf(u"portHeading"_s), u"USB-C Anschluss 2 von 3"_s);
    scheduler.advance(10s);
    settle();
    EXPECT_EQ(textOf(u"countdownText"_s), u"16 s"_s) << "polls every 0.55 s: the last one 15.1 s before the end";
    runUntilStatus(PortTestStatus::timedOut);
    EXPECT_EQ(textOf(u"statusTitle"_s), u"Kein Ladevorgang erkannt"_s);
    EXPECT_FALSE(find(u"countdownRow"_s)->isVisible());
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
    EXPECT_TRUE(shows(u"An mindestens einem Anschluss wurde mit dem verwendeten, funktionierenden Netzteil keine "
                      u"Ladeverbindung erkannt. Eine Prüfung beziehungsweise Reparatur des USB-C Anschlusses ist "
                      u"empfehlenswert."_s));
    EXPECT_TRUE(find(u"repairButton"_s)->isVisible());
    EXPECT_EQ(find(u"sidebar"_s)->property("currentStep").toInt(), 4);

    click(u"copyButton"_s);
    EXPECT_EQ(services.clipboard, session->model().reportText());
    EXPECT_TRUE(services.clipboard.contains(u"USB-C Anschluss 2: Anschluss vermutlich defekt"_s));
    EXPECT_TRUE(find(u"messageOverlay"_s)->isVisible());
    click(u"repairButton"_s);
    EXPECT_EQ(services.openedUrls, QStringList{u"https://"_s + QStringLiteral(KW_MAKER_HOST) + fixed::paths::repairPro});
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, EndToEnd, ::testing::Values(QSize(1080, 740), QSize(980, 680)),
                         [](const auto& info) { return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height()); });

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
