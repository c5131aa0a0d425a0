#pragma once

#include "diagnosis/DiagnosticViewModel.h"

#include <QImage>
#include <QQmlApplicationEngine>

#include <memory>

class QQuickWindow;

namespace kw::ui {

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

private:
    diagnosis::DiagnosticViewModel m_model;
    QQmlApplicationEngine m_engine;
    QQuickWindow* m_window = nullptr;
};

} // namespace kw::ui
