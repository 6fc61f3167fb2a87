#include "host/admin/user_listing.h"

namespace admin {

bool readUserListing(const session::Reply&, UserListing& out, std::string& failure) {
    out = UserListing{};
    failure = "Not read yet.";
    return false;
}

bool usersArgument(UserFilter filter, const std::string& value, std::string& argument,
                   std::string& refusal) {
    refusal.clear();
    switch (filter) {
    case UserFilter::Everyone: argument.clear(); return true;
    case UserFilter::Group: argument = "=" + value; return true;
    case UserFilter::NamePrefix: argument = value + "*"; return true;
    case UserFilter::FlagWord: argument = value; return true;
    case UserFilter::Deleted: argument = "deleted"; return true;
    }
    return false;
}

}  // namespace admin
