// `zentrip-cli ports`: the serial devices present, to choose one for `settings --device`.
#include <cstdio>
#include <string>
#include <vector>

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

}  // namespace

int RunPorts(int argc, char** argv) {
    std::vector<std::string> operands;
    if (const int status = ReadCommandArgs(argc, argv, {}, kUsage, &operands); status >= 0) {
        return status;
    }
    if (!operands.empty())
        return PrintUsageError(argv[0], "unknown argument '" + operands[0] + "'");
    std::fputs(SerialDeviceListText(ListSerialDevices()).c_str(), stdout);
    return 0;
}

}  // namespace zentrip::cli
