#include "host/admin/account_settings.h"

namespace admin {

bool readAccountSettings(const session::Reply&, AccountSettings& out, std::string& failure) {
    out = AccountSettings{};
    failure = "Not read yet.";
    return false;
}

}  // namespace admin
