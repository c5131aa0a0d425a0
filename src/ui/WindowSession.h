#pragma once

#include "diagnosis/DiagnosticViewModel.h"

#include <QImage>
#include <QRect>
#include <QQmlApplicationEngine>

#include <memory>

class QQuickWindow;

namespace kw::probe {
class SimulatedMac;
}

namespace kw::ui {

class HardwareSimulator;

// Qt Quick's software renderer, unless the environment names another (QT_QUICK_BACKEND,
// QSG_RHI_BACKEND). Call before the first window is made.
void useDefaultRenderer();

// Where a window of this size opens beside the main window: wholly on the screen's available
// area, to the right of the main window where there is room, else overlapping its right part.
// All rectangles include the window frames.
QRect placeBeside(const QRect& main, QSize size, const QRect& screen);

// One program window with its diagnosis model. The caller supplies time, the probe and the
// clipboard and browser, so the same window serves the desktop, screenshots and tests.
class WindowSession {
public:
    WindowSession(diagnosis::Scheduler& scheduler, std::shared_ptr<const probe::HardwareProbe> probe,
                  diagnosis::SystemServices& services);
    ~WindowSession();

    // Builds the window; false (and the reason) when the interface cannot be loaded. Without
    // animations every change shows its end state at once.
    bool load(QString& error, bool animations = true);

    diagnosis::DiagnosticViewModel& model() { return m_model; }
    QQuickWindow* window() const { return m_window; }
    void setLegalSheetShown(bool shown);
    // A plain line in the top bar, for as long as the window is open (e.g. that it shows a simulation).
    void setNotice(const QString& notice);

    // The second window, beside the first, that plugs and unplugs the simulated Mac's sockets.
    bool showSimulator(std::shared_ptr<probe::SimulatedMac> mac, QString& error);
    QQuickWindow* simulatorWindow() const { return m_simulatorWindow; }

private:
    diagnosis::DiagnosticViewModel m_model;
    std::unique_ptr<HardwareSimulator> m_simulator;
    QQmlApplicationEngine m_engine;
    QQuickWindow* m_window = nullptr;
    QQuickWindow* m_simulatorWindow = nullptr;
};

} // namespace kw::ui
