#include "platform/NullDevice.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Platform {

TNullInput::TNullInput()
    : FFd(open("/dev/null", O_RDONLY | O_CLOEXEC))
{
    if (FFd < 0)
        FError = errno;
}

TNullInput::~TNullInput()
{
    if (FFd >= 0)
        close(FFd);
}

} // namespace Platform
