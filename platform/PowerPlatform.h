#pragma once

// Every operating-system operation the program makes, in the system's own vocabulary: the set of
// the role interfaces below. The program is given one PowerPlatform; a part of the logic that
// needs one role is given that role only.

#include "platform/DialUpConnection.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/PowerAndSession.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/ShellLinks.h"
#include "platform/SystemErrors.h"
#include "platform/SystemInformation.h"
#include "platform/TextConversion.h"
#include "platform/Win32Types.h"

namespace vespern {

// The roles are virtual bases, so that a backend may implement each in a class of its own and
// join them here.
class PowerPlatform : public virtual PowerAndSession,
                      public virtual DialUpConnection,
                      public virtual SystemInformation,
                      public virtual Shell,
                      public virtual ShellLinks,
                      public virtual Registry,
                      public virtual Files,
                      public virtual Modules,
                      public virtual SystemErrors,
                      public virtual TextConversion {
public:
    ~PowerPlatform() override = default;
};

} // namespace vespern
