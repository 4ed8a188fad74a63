#include "browser/RecordCaption.h"

namespace browser {

std::string recordCaption(long position, long count, bool readOnly, bool filtered) {
    std::string caption = "Record: " + std::to_string(position) + "/" + std::to_string(count);
    if (readOnly) caption += " (read only)";
    if (filtered) caption += " (filtered)";
    return caption;
}

}  // namespace browser
