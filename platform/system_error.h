// The system's text for an errno value. The one place an errno becomes text: strerror_r, so the
// reader thread, a transfer's worker and the window thread may all ask at once.
#pragma once

#include <string>

namespace zentrip {

std::string SystemErrorText(int err);

}  // namespace zentrip
