#pragma once
// Limits on what a lesson may bring in, for readers that take a whole file
// into memory at once (the web page).
#include <cstddef>

namespace vintrop {

// A scenario file larger than this is refused before it is read: 32,767
// bowls of five numbers written in full fit many times over.
inline constexpr std::size_t kMaxScenarioBytes = 16 * 1024 * 1024;
// What the reader says of such a file, after the file's name.
inline constexpr const char* kScenarioTooLarge = "The file is larger than 16 MB.";
// The message of a scenario that cannot be read, whatever the reason.
inline constexpr const char* kScenarioReadFailed = "Errore lettura Dati";

} // namespace vintrop
