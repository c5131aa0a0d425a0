#include "ui/InputMode.h"

#include <QCoreApplication>
#include <QEvent>

namespace kw::ui {

InputMode::InputMode(QObject* parent)
    : QObject(parent)
{
    // Every window's input passes the application first, the simulator's included.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputMode::~InputMode()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputMode::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        setKeyboard(true);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        setKeyboard(false);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void InputMode::setKeyboard(bool keyboard)
{
    if (m_keyboard == keyboard)
        return;
    m_keyboard = keyboard;
    emit keyboardChanged();
}

} // namespace kw::ui
