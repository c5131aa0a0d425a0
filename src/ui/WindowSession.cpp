#include "ui/WindowSession.h"

#include <QScopeGuard>

#include "ui/FreedMemory.h"
#include "ui/HardwareSimulator.h"
#include "ui/ShadowImageProvider.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>

#include <algorithm>

namespace kw::ui {

// The window repaints only what changes, and what changes is small: the software renderer draws it
// for a fraction of the CPU that OpenGL on a software rasterizer takes, costs no GPU where there is
// one, and needs no OpenGL context just to find out which kind of machine this is.
void useDefaultRenderer()
{
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

using namespace Qt::StringLiterals;

WindowSession::WindowSession(diagnosis::Scheduler& scheduler, std::shared_ptr<const probe::HardwareProbe> probe,
                             diagnosis::SystemServices& services)
    : m_model(scheduler, std::move(probe), services)
{
    FreedMemory::mapLargeBlocks(); // before the window paints its first picture
}

// The engine, and the window with it, is declared after the model and so goes first.
WindowSession::~WindowSession() = default;

bool WindowSession::load(QString& error, bool animations)
{
    // Collected while the window is built, to say why it could not be; the list lives only as long
    // as this call, and so does the connection.
    QStringList warnings;
    const QMetaObject::Connection collecting =
        QObject::connect(&m_engine, &QQmlEngine::warnings, &m_engine, [&warnings](const QList<QQmlError>& list) {
            for (const auto& w : list)
                warnings << w.toString();
        });
    const auto stopCollecting = qScopeGuard([&] { QObject::disconnect(collecting); });
    m_engine.addImportPath(u"qrc:/qt/qml"_s); // not a default import path before Qt 6.5
    m_engine.addImageProvider(u"shadow"_s, new ShadowImageProvider);
    m_engine.setInitialProperties(
        {{u"model"_s, QVariant::fromValue<QObject*>(&m_model)}, {u"animationsEnabled"_s, animations}});
    m_engine.load(QUrl(u"qrc:/qt/qml/Kabelwacht/Main.qml"_s));
    if (m_engine.rootObjects().isEmpty()) {
        error = u"the window could not be built: %1"_s.arg(warnings.join(u"; "_s));
        return false;
    }
    m_window = qobject_cast<QQuickWindow*>(m_engine.rootObjects().first());
    if (!m_window) {
        error = u"the interface's root is not a window"_s;
        return false;
    }
    return true;
}

void WindowSession::setNotice(const QString& notice)
{
    if (auto* root = m_window ? m_window->findChild<QQuickItem*>(u"rootView"_s) : nullptr)
        root->setProperty("notice", notice);
}

void WindowSession::setLegalSheetShown(bool shown)
{
    if (auto* root = m_window ? m_window->findChild<QQuickItem*>(u"rootView"_s) : nullptr)
        root->setProperty("showLegalInformation", shown);
}

} // namespace kw::ui

namespace kw::ui {

using namespace Qt::StringLiterals;

bool WindowSession::showSimulator(std::shared_ptr<probe::SimulatedMac> mac, QString& error)
{
    m_simulator = std::make_unique<HardwareSimulator>(std::move(mac));
    QQmlComponent component(&m_engine, QUrl(u"qrc:/qt/qml/Kabelwacht/SimulatorWindow.qml"_s));
    QObject* object = component.createWithInitialProperties({{u"simulator"_s, QVariant::fromValue<QObject*>(m_simulator.get())}});
    m_simulatorWindow = qobject_cast<QQuickWindow*>(object);
    if (!m_simulatorWindow) {
        error = u"the simulator window could not be built: %1"_s.arg(component.errorString());
        delete object;
        return false;
    }
    m_simulatorWindow->QObject::setParent(&m_engine); // goes with the engine, before the model
    if (m_window && m_window->screen()) {
        const QRect frame = placeBeside(m_window->frameGeometry(), m_simulatorWindow->frameGeometry().size(),
                                        m_window->screen()->availableGeometry());
        const QMargins margins = m_simulatorWindow->frameMargins();
        m_simulatorWindow->setGeometry(frame.marginsRemoved(margins));
    }
    return true;
}

QRect placeBeside(const QRect& main, QSize size, const QRect& screen)
{
    constexpr int gap = 16;
    size = size.boundedTo(screen.size());
    // Right of the main window where it fits whole; else as far right as the screen allows, over
    // the main window's right part, where the sidebar and the screen's heading stay in sight.
    int x = main.right() + 1 + gap;
    if (x + size.width() > screen.right() + 1)
        x = screen.right() + 1 - size.width();
    x = std::max(x, screen.left());
    const int y = std::clamp(main.top(), screen.top(), screen.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace kw::ui
