// The system's text for an errno value. The one place an errno becomes text: strerror_r, so the
// reader thread, a transfer's worker and the window thread may all ask at once.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

std::string SystemErrorText(int err);
// "what: text", for an error that needs its subject named (a path, a call).
std::string SystemErrorText(std::string_view what, int err);

}  // namespace zentrip
