#include "swing/SwingInfo.h"

namespace plimsa {

SwingInfo& SwingInfo::shared() {
    static SwingInfo* const info = new SwingInfo();  // lives to the end of the process, like its observers
    return *info;
}

bool SwingInfo::store(SizeTable& table, const Uuid& id, const std::vector<double>& sizes) {
    const auto found = table.find(id);
    if (found != table.end() && found->second == sizes) return false;
    willChange.publish();
    table[id] = sizes;
    return true;
}

bool SwingInfo::publish(const Uuid& id, const std::vector<double>& minimums,
                        const std::vector<double>& maximums) {
    const bool minimumsChanged = store(minCharacterSize_, id, minimums);
    const bool maximumsChanged = store(maxCharacterSize_, id, maximums);
    return minimumsChanged || maximumsChanged;
}

}  // namespace plimsa
