// The program's name and version as the user sees them: the name titles the
// framework-style messages (the length message), both fill the About box.
#pragma once

namespace brisko {

inline constexpr const char* kApplicationName = "brisko";
inline constexpr const char* kApplicationVersion = "1.8";

}  // namespace brisko
