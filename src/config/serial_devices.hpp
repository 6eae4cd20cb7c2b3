#pragma once

#include <string>
#include <vector>

namespace helvanta {

// A serial device the settings dialog offers for a port name.
struct SerialDeviceEntry {
  std::string path;     // what the [Ports] entry gets
  std::string shownAs;  // what the choice list shows
};

// The serial devices that exist on this machine: stable names first (a USB adapter's
// name that survives a replug), each shown with the device it stands for at the moment,
// then the plain devices, USB adapters before built-in ports, each kind in number order.
std::vector<SerialDeviceEntry> ListSerialDevices();
// The same for a device folder of the caller's choosing (tests give a folder of fakes).
std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& deviceFolder);

enum class SerialDeviceCheck { kCharacterDevice, kMissing, kNotCharacterDevice };

// Whether `path` (links followed) names an existing character device, as every serial
// port and pseudo-terminal is; anything else cannot be opened as a port.
SerialDeviceCheck CheckSerialDevice(const std::string& path);

}  // namespace helvanta
