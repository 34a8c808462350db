// `zentrip-cli ports`: the serial devices present, to choose one for `settings --device`.
#include <cstdio>
#include <cstring>

#include "cli/command.h"
#include "platform/serial_device_list.h"

namespace zentrip::cli {

namespace {

const char* const kUsage =
    "usage: zentrip-cli ports\n"
    "\n"
    "Lists the serial devices present: /dev/serial/by-id links (stable names for USB\n"
    "adapters), /dev/ttyUSB*, /dev/ttyACM*, and the /dev/ttyS* that have a UART behind them.\n"
    "Put one behind a COM port with 'zentrip-cli settings --device N=PATH'.\n"
    "\n"
    "exit status: 0, or 64 for a command line that cannot be understood.\n";

int RunPorts(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        if (!help) std::fprintf(stderr, "zentrip-cli ports: unknown option '%s'\n\n", argv[1]);
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : kUsageError;
    }
    std::fputs(SerialDeviceListText(ListSerialDevices()).c_str(), stdout);
    return 0;
}

const CommandRegistrar registrar({"ports", "list the serial devices present", &RunPorts});

}  // namespace

}  // namespace zentrip::cli
