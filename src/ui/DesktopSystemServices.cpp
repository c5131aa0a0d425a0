#include "ui/DesktopSystemServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

namespace kw::ui {

void DesktopSystemServices::copyToClipboard(const QString& text)
{
    // setText replaces whatever the clipboard held with plain text only.
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void DesktopSystemServices::openUrl(const QUrl& url)
{
    // Qt hands the address to the desktop's opener as one argument; no shell sees it.
    QDesktopServices::openUrl(url);
}

} // namespace kw::ui
