// CSerialPort: one serial device at 8N1 with byte writes and non-blocking reads, polled
// directly or, after StartReader, filled into a receive ring by a background reader thread.
// The COM port number (1..4) stays the port's identity; a resolver maps it to a device path.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace zentrip {

class CSerialPort {
public:
    // Called on the reader thread with the command id; must not block (post and return).
    using NotifyFn = std::function<void(std::uint32_t command)>;
    using DevicePathFn = std::function<std::string(int port)>;

    CSerialPort();  // real devices, port N at /dev/ttyS<N-1>
    explicit CSerialPort(SerialDeviceOpener& opener);
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    virtual ~CSerialPort();

    // Where port numbers lead; the settings store or a one-run override supplies it.
    void SetDevicePathFn(DevicePathFn fn);
    static std::string DefaultDevicePath(int port);

    int Open(int port, std::uint32_t rate);  // 1 opened, 0 not
    void Close();
    bool IsOpen() const;

    // 1 when every byte went to the device, 0 on a closed or lost port.
    int WriteByte(char ch);
    int Write(const void* data, std::uint32_t length);  // length 0: up to the terminating zero
    int WriteString(const std::string& text);

    int ReadByte(char* ch);            // 1 when a byte was stored
    int Read(void* buffer, int count); // bytes stored, 0..count
    // Waits up to timeoutMs for something to read; lets pollers wait instead of sleeping blindly.
    bool WaitReadable(int timeoutMs);

    int StartReader(NotifyFn notify, std::uint32_t command, char trigger);

    // The device of the last Open, why that Open failed, and whether the device vanished since.
    const std::string& DevicePath() const { return m_devicePath; }
    const std::string& OpenError() const { return m_openError; }
    bool DeviceLost() const;
    std::string LostReason() const;

private:
    SerialDeviceOpener& m_opener;
    DevicePathFn m_devicePathFn;
    std::unique_ptr<SerialDevice> m_device;
    std::string m_devicePath;
    std::string m_openError;
};

}  // namespace zentrip
