#include <algorithm>
#include <array>

#include "config/language.hpp"

namespace helvanta {

namespace {

// Every text the system shows, by key. In the messages, the two characters backslash and
// "n" (written "\\n" here) mark the line break that ComposeMessage puts in.
constexpr auto kBuiltinTexts = std::to_array<BuiltinTextEntry>({
    {"0001", "Welcome to Helvanta 1.2 for Siemens SPN1000!"},
    {"0002", "Connected to Siemens SPN1000."},
    {"0003", "Connection closed."},
    {"0004", "Service started."},
    {"0005", "Service stopped."},
    {"0006", "Could not open configurationfile: %s!\\nUsing defaults."},
    {"0007", "Could not open template file: %s!"},
    {"0008", "Could not save data to: %s!\\nDisk full or write protected!"},
    {"0009", "Could not save settings to %s!\\nDisk full or write protected!"},
    {"1001", "File"},
    {"1002", "Connect"},
    {"1003", "Disconnect"},
    {"1004", "Settings"},
    {"1005", "Hide"},
    {"1006", "Show"},
    {"1007", "Exit"},
    {"1008", "Help"},
    {"1009", "About..."},
    {"1010", "Key"},
    {"1011", "Value"},
    {"1012", "Unit"},
    {"1013", "Time"},
    {"2001", "Voltage (AC)"},
    {"2002", "Current (AC)"},
    {"2003", "Power (AC)"},
    {"2004", "Voltage (DC)"},
    {"2005", "Current (DC)"},
    {"2006", "Power (DC)"},
    {"2007", "Cooler temperature"},
    {"2008", "Workingtime"},
    {"2009", "Workingtime"},
    {"2010", "Work - Total"},
    {"2011", "Work - Current day"},
    {"2012", "Work - Last day"},
    {"2013", "Work - Start of current day"},
    {"2014", "Work - Current Month"},
    {"2015", "Work - Last Month"},
    {"2016", "Work - Start of Month"},
    {"2017", "Work - Current year"},
    {"2018", "Work - Last year"},
    {"2019", "Work - Start of current year"},
    {"2020", "Efficiency"},
    {"2021", "Voltagelimit (AC) min"},
    {"2022", "Voltagelimit (AC) max"},
    {"2023", "Currentlimit"},
    {"2024", "Frequency"},
    {"2025", "Impedance"},
    {"2026", "Impedance max"},
    {"2027", "Count of impedance errors"},
    {"2028", "Count of fequence errors"},
    {"2029", "Error specification"},
    {"2030", "Error state"},
    {"3001", "Port"},
    {"3002", "Data logging"},
    {"3003", "Connect and log data from:"},
    {"3004", "till:"},
    {"3005", "Template file:"},
    {"3006", "Example: C:\\Program Files\\Helvanta\\Template.csv"},
    {"3007", "Output folder:"},
    {"3008", "Example: C:\\Program Files\\Helvanta\\Data"},
    {"3009", "Browse"},
    {"3010", "OK"},
    {"3011", "Cancel"},
    {"3012", "Please choose output folder:"},
    {"4001", "No connection to the inverter: %s\\nTrying again."},
    {"4002", "Still no connection to the inverter: %s"},
    {"4003", "Connected to Siemens SPN1000 again on %s."},
    {"4004", "%s: the line hung up"},
    {"4005", "No record written: no recent answer for %s."},
    {"4006", "Records are written again; %s logging marks were missed."},
    {"4007", "Invalid setting replaced by its default: %s"},
    {"4008", "Could not read configurationfile: %s!\\nUsing defaults."},
    {"4009", "Could not read language file: %s!\\nUsing English texts."},
    {"4010", "The configurationfile holds no [Data Logging] settings: %s!\\nUsing defaults."},
    {"4011", "Device:"},
    {"4012",
     "Device of the selected port. A name under /dev/serial/by-id stays the same when the USB adapter is plugged "
     "in again."},
    {"4013", "Device not found: %s\\nThe settings were not saved."},
    {"4014", "Not a serial device: %s\\nThe settings were not saved."},
});

}  // namespace

std::span<const BuiltinTextEntry> BuiltinTexts() { return kBuiltinTexts; }

std::string_view BuiltinText(std::string_view key) {
  const auto it = std::find_if(kBuiltinTexts.begin(), kBuiltinTexts.end(),
                               [key](const BuiltinTextEntry& entry) { return entry.key == key; });
  return it == kBuiltinTexts.end() ? std::string_view() : it->text;
}

}  // namespace helvanta
