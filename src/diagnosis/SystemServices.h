#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace kw::diagnosis {

/// The clipboard and the browser: the two places the diagnosis reaches outside the program.
class SystemServices {
public:
    virtual ~SystemServices() = default;
    /// Replaces the clipboard's content with plain text.
    virtual void copyToClipboard(const QString& text) = 0;
    /// Hands an address to the default browser; never through a shell.
    virtual void openUrl(const QUrl& url) = 0;
};

// Keeps what would have gone to the clipboard and the browser; tells a listener as it happens.
class RecordingSystemServices final : public SystemServices {
public:
    std::function<void(const QString& what, const QString& value)> onEvent;
    QString clipboard;
    QStringList openedUrls;

    void copyToClipboard(const QString& text) override
    {
        clipboard = text;
        if (onEvent)
            onEvent(QStringLiteral("clipboard"), text);
    }
    void openUrl(const QUrl& url) override
    {
        openedUrls << url.toString();
        if (onEvent)
            onEvent(QStringLiteral("open"), url.toString());
    }
};

// The line a run without a window prints for each event of RecordingSystemServices.
inline QString headlessEventLine(const QString& what, const QString& value)
{
    if (what == QStringLiteral("clipboard"))
        return QStringLiteral("kabelwacht: the report that 'Bericht kopieren' copies: %1 lines\n").arg(value.count(u'\n') + 1);
    return QStringLiteral("kabelwacht: opened %1\n").arg(value);
}

} // namespace kw::diagnosis
