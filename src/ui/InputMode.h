#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace kw::ui {

// Whether the user works the window by keyboard: focus rings show only then, as on the Mac, so a
// click leaves no ring behind and a Tab or Space brings it back.
class InputMode : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool keyboard READ keyboard NOTIFY keyboardChanged)

public:
    explicit InputMode(QObject* parent = nullptr);
    ~InputMode() override;

    bool keyboard() const { return m_keyboard; }

signals:
    void keyboardChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setKeyboard(bool keyboard);
    bool m_keyboard = false;
};

} // namespace kw::ui
