#include "protocol/platform.h"

#include <ctime>

namespace brisko {

MachinePlatform::MachinePlatform() : ports_(MakePlatformPortSystem()), linkClock_(MakeSystemClock()) {}

Platform MachinePlatform::platform() const {
  return {*ports_, *linkClock_, [] { return static_cast<std::int64_t>(std::time(nullptr)); }};
}

}  // namespace brisko
