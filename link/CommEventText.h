// The texts of the serial line's event codes other than "sent" (1) and "received" (2), as the
// monitor window shows them.
#pragma once

#include <QString>

namespace korvi {

QString CommEventText(int code);

}  // namespace korvi
