// Settings reading lives here; see Settings.h and DrawSetting.h.
#include "settings/Settings.h"

namespace korvi {
// Until the reader lands, a settings file reads as empty.
QString ReadSettingFile(const QString&, Settings&, MessageBoxes&) {
    return {};
}
}  // namespace korvi
