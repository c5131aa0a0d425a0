#pragma once

#include "diagnosis/SystemServices.h"

namespace kw::ui {

// The real clipboard and the default browser of the desktop session.
class DesktopSystemServices final : public diagnosis::SystemServices {
public:
    void copyToClipboard(const QString& text) override;
    void openUrl(const QUrl& url) override;
};

} // namespace kw::ui
