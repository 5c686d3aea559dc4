#pragma once
// Opening a scenario file for reading. Only a regular file is accepted: a
// FIFO, a device or a socket may block for ever or never end, so it is
// refused before a single byte is read.
#include <istream>
#include <memory>
#include <string>

namespace vintrop {

// The open file as a stream. Throws FileNotFound when nothing is at path and
// PathFileAccess when it is not a regular file or may not be read. A failing
// read later on throws DeviceIO out of the stream's buffer.
std::unique_ptr<std::istream> OpenScenarioFile(const std::string& path);

} // namespace vintrop
