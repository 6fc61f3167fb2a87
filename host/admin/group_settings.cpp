#include "host/admin/group_settings.h"

namespace admin {

bool readGroupSettings(const session::Reply&, GroupSettings& out, std::string& failure) {
    out = GroupSettings{};
    failure = "Not read yet.";
    return false;
}

}  // namespace admin
