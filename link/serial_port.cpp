#include "link/serial_port.h"

#include <cstring>

namespace zentrip {

CSerialPort::CSerialPort() : CSerialPort(PosixSerialOpener()) {}

CSerialPort::CSerialPort(SerialDeviceOpener& opener)
    : m_opener(opener), m_devicePathFn(&CSerialPort::DefaultDevicePath) {}

CSerialPort::~CSerialPort() { Close(); }

void CSerialPort::SetDevicePathFn(DevicePathFn fn) { m_devicePathFn = std::move(fn); }

std::string CSerialPort::DefaultDevicePath(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

int CSerialPort::Open(int port, std::uint32_t rate) {
    m_openError.clear();
    if (port < 1) {
        m_openError = "no such port";
        return 0;
    }
    m_devicePath = m_devicePathFn(port);
    m_device = m_opener.Open(m_devicePath, rate, &m_openError);
    return m_device ? 1 : 0;
}

void CSerialPort::Close() { m_device.reset(); }

bool CSerialPort::IsOpen() const { return m_device != nullptr; }

int CSerialPort::WriteByte(char ch) { return Write(&ch, 1); }

int CSerialPort::Write(const void* data, std::uint32_t length) {
    if (!m_device) return 0;
    const std::size_t n = length ? length : std::strlen(static_cast<const char*>(data));
    return m_device->Write(data, n) == n ? 1 : 0;
}

int CSerialPort::WriteString(const std::string& text) {
    if (text.empty()) return m_device ? 1 : 0;
    return Write(text.data(), static_cast<std::uint32_t>(text.size()));
}

int CSerialPort::ReadByte(char* ch) { return Read(ch, 1); }

int CSerialPort::Read(void* buffer, int count) {
    if (!m_device || count < 1) return 0;
    return static_cast<int>(m_device->Read(buffer, static_cast<std::size_t>(count)));
}

bool CSerialPort::WaitReadable(int timeoutMs) {
    return m_device && m_device->WaitReadable(timeoutMs);
}

int CSerialPort::StartReader(NotifyFn, std::uint32_t, char) { return 0; }

bool CSerialPort::DeviceLost() const { return m_device && m_device->IsLost(); }

std::string CSerialPort::LostReason() const { return m_device ? m_device->LostReason() : ""; }

}  // namespace zentrip
