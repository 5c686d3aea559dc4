#pragma once
// The platform's configuration registry and program start-up, as the about
// box's System Info button needs them. On Windows they are the registry and
// ShellExecute-style starting; elsewhere reading always fails cleanly.
#include <QString>
#include <cstdint>

namespace vintrop::sysinfo {

// Root-key handle of the machine-wide configuration (HKEY_LOCAL_MACHINE).
inline constexpr uint32_t kLocalMachine = 0x80000002u;

// Reads the value `SubKeyRef` of the key `KeyName` below `KeyRoot` into
// `KeyVal`: a text value as it is, a 32-bit number as "0x" and eight hex
// digits, any other type leaves `KeyVal` alone. False, with `KeyVal`
// emptied, when the key or the value cannot be read (always, where there is
// no registry).
bool GetKeyValue(uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

// Starts a program in its own process without waiting for it; false when it
// could not be started.
bool StartProgram(const QString& path);

} // namespace vintrop::sysinfo
