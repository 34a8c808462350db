// What the Mini Terminal's tests and benches share, without Qt Test: settings that put the
// terminal on a device, its titles as Qt text, and what it shows.
#pragma once

#include <QString>
#include <QTextDocument>
#include <cstdint>
#include <string>

#include "app/mini_term/term_edit.h"
#include "link/comm_settings.h"

namespace zentrip::testing {

inline constexpr int kComPort = 3;
inline constexpr std::uint32_t kRate = 9600;

inline CommSettings SettingsFor(const std::string& device, int port = kComPort,
                                std::uint32_t rate = kRate) {
    CommSettings settings;
    settings.port = port;
    settings.dataRate = rate;
    settings.devicePaths[port - 1] = device;
    return settings;
}

inline QString Title(const std::string& text) { return QString::fromStdString(text); }

// What the terminal shows, line breaks as '\n' and every other character as it is.
inline QString Shown(CTermEdit* term) {
    return term->document()->toRawText().replace(QChar::ParagraphSeparator, '\n');
}

}  // namespace zentrip::testing
