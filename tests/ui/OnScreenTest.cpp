// What a user sees on a real display: the window on an X server, software renderer, animations on.
// After every screen change the pixels on the server must match a full render of the same scene;
// anything else is paint that the renderer left behind and never repaired.
#include "ui/SimulatedWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(KabelwachtPlugin)

using namespace kw;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using model::DiagnosticPhase;
using model::PortTestStatus;

namespace {

// Pixels whose channels differ by more than this count as different: a partial and a full repaint
// may round an edge by a level or two, while even the faint paint of a fade's last frames differs more.
constexpr int channelTolerance = 6;
constexpr int allowedDifferentPixels = 20;

// A render of the item tree, afresh.
QImage grab(QQuickItem* item)
{
    QSharedPointer<QQuickItemGrabResult> result = item->grabToImage();
    if (!result)
        return {};
    bool ready = false;
    QObject::connect(result.data(), &QQuickItemGrabResult::ready, [&] { ready = true; });
    if (!QTest::qWaitFor([&] { return ready; }, 10000))
        return {};
    return result->image().convertToFormat(QImage::Format_ARGB32);
}

// Pixels of two pictures of one size that differ beyond the tolerance, marked in a copy of b if asked.
int differentPixels(const QImage& a, const QImage& b, QImage* marked = nullptr)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (std::max({std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                          std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))})
                > channelTolerance) {
                ++different;
                if (marked)
                    marked->setPixel(x, y, qRgb(255, 0, 255));
            }
    }
    return different;
}

// Keeps the pictures of a step where a failure (or KABELWACHT_KEEP_CAPTURES) asks for them.
QString keepCaptures(const char* step, bool failed, const std::vector<std::pair<const char*, QImage>>& pictures)
{
    if (!failed && !qEnvironmentVariableIsSet("KABELWACHT_KEEP_CAPTURES"))
        return {};
    const QString folder = QDir::temp().filePath(u"kabelwacht-on-screen"_s);
    QDir().mkpath(folder);
    for (const auto& [what, picture] : pictures)
        picture.save(folder + u"/%1-%2.png"_s.arg(QString::fromLatin1(step), QString::fromLatin1(what)));
    return folder;
}

class OnScreen : public ::testing::Test, protected test::SimulatedWindow {
protected:
    void SetUp() override
    {
        const QString error = open(u"macbookpro18-3"_s, QString(), /*animations=*/true);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(session->window()));
        settleScreen();
    }

    void setAnimations(bool on) { session->window()->setProperty("animationsEnabled", on); }

    // Waits (in real time: these are the window's own animations) until the screen transition is
    // over, then holds every animation so that the scene stands still while it is compared.
    void settleScreen()
    {
        QQuickItem* stack = findIn(session->window()->contentItem(), u"phaseContent"_s);
        ASSERT_TRUE(stack);
        QElapsedTimer waited;
        waited.start();
        QTest::qWait(450); // screen, sheet and message all move for 0.35 s
        while (stack->property("busy").toBool() && waited.elapsed() < 10000)
            QTest::qWait(50);
        ASSERT_FALSE(stack->property("busy").toBool()) << "the screen transition never ended";
        setAnimations(false);
        QTest::qWait(300); // a few frames for the held scene to reach the server
    }

    void expectScreenMatchesFullRender(const char* step)
    {
        QQuickWindow* window = session->window();
        const QImage onServer = window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        // The window's own grab hands back what it last painted, stale paint included; a grab of
        // the item tree renders the whole scene afresh.
        const QImage full = grab(window->contentItem()).convertToFormat(QImage::Format_RGB32).scaled(onServer.size());
        ASSERT_FALSE(onServer.isNull() || full.isNull());
        QImage marked = full;
        const int different = differentPixels(onServer, full, &marked);
        const bool failed = different > allowedDifferentPixels;
        const QString folder = keepCaptures(step, failed, {{"on-server", onServer}, {"differences", marked}});
        EXPECT_FALSE(failed) << step << ": " << different << " pixels on the server differ from a full render; see "
                             << folder.toStdString();
    }

    // One user step that changes the screen, then the comparison.
    void step(const char* name, const std::function<void()>& action)
    {
        setAnimations(true);
        action();
        settleScreen();
        expectScreenMatchesFullRender(name);
    }

    void runUntilPhase(DiagnosticPhase phase) { ASSERT_TRUE(SimulatedWindow::runUntilPhase(phase)); }
    void runUntilStatus(PortTestStatus status) { ASSERT_TRUE(SimulatedWindow::runUntilStatus(status)); }
};

} // namespace

TEST_F(OnScreen, EveryScreenChangeLeavesNothingBehind)
{
    auto& model = session->model();
    expectScreenMatchesFullRender("intro");
    step("controllerScan", [&] { model.startDiagnosis(); });
    step("portPreparation", [&] { runUntilPhase(DiagnosticPhase::portPreparation); });
    step("portTesting", [&] {
        model.beginPortTesting();
        runUntilStatus(PortTestStatus::waitingForConnection);
    });
    step("success", [&] {
        mac->plugCharger(1, 96);
        runUntilStatus(PortTestStatus::success);
    });
    step("timedOut", [&] {
        mac->unplug(1);
        runUntilStatus(PortTestStatus::waitingForConnection);
        runUntilStatus(PortTestStatus::timedOut);
    });
    step("nextPort", [&] {
        model.markCurrentPortDefective();
        runUntilStatus(PortTestStatus::waitingForConnection);
    });
    step("evaluating", [&] {
        mac->plugCharger(3, 96);
        runUntilPhase(DiagnosticPhase::evaluating);
    });
    step("result", [&] { runUntilPhase(DiagnosticPhase::result); });
    step("copied", [&] { model.copyReport(); });
    step("legalSheet", [&] { session->setLegalSheetShown(true); });
    step("legalSheetClosed", [&] { session->setLegalSheetShown(false); });
    step("intro", [&] { model.resetDiagnosis(); });
}

// "Neue Diagnose" clears the model while the old screen still slides out: the screen leaving looks
// as it looked before, while it is on its way out.
TEST_F(OnScreen, ALeavingScreenShowsWhatItShowed)
{
    const auto leave = [&](const char* what) {
        QQuickItem* stack = findIn(session->window()->contentItem(), u"phaseContent"_s);
        ASSERT_TRUE(stack);
        QPointer<QQuickItem> screen = stack->property("currentItem").value<QQuickItem*>();
        ASSERT_TRUE(screen);
        const QImage before = grab(screen);
        setAnimations(true);
        // The model clears itself within this call, so the leaving screen has met the new state at
        // once; its own grab does not depend on how far it has slid.
        session->model().resetDiagnosis();
        QCoreApplication::processEvents();
        ASSERT_TRUE(screen && stack->property("busy").toBool()) << what << ": the screen left at once";
        const QImage leaving = grab(screen);
        const int different = differentPixels(before, leaving);
        keepCaptures(what, different > allowedDifferentPixels, {{"before", before}, {"leaving", leaving}});
        EXPECT_LE(different, allowedDifferentPixels) << what << ": the leaving screen changed in " << different << " pixels";
        settleScreen();
    };

    auto& model = session->model();
    model.startDiagnosis();
    runUntilPhase(DiagnosticPhase::portPreparation);
    model.beginPortTesting();
    for (int port = 1; port <= 3; ++port) { // a negative result with three rows
        runUntilStatus(PortTestStatus::waitingForConnection);
        model.markCurrentPortDefective();
    }
    runUntilPhase(DiagnosticPhase::result);
    settleScreen();
    leave("result");

    session.reset(); // the one window of its machine
    const QString error = open(u"macbookpro17-1-missing-controller"_s, QString(), /*animations=*/true);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(session->window()));
    session->model().startDiagnosis();
    runUntilPhase(DiagnosticPhase::controllerFailure);
    settleScreen();
    leave("controllerFailure");
}

int main(int argc, char** argv)
{
    // What a machine without GPU acceleration shows.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
