#include "host/sites/password_file.h"

namespace sites {

bool passwordFromFile(const std::string& bytes, std::string& password, std::string& why) {
    if (bytes.size() > maxPasswordFileBytes) {
        why = "is longer than " + std::to_string(maxPasswordFileBytes) +
              " bytes; a password file holds the password on its first line and nothing else";
        return false;
    }
    const std::size_t begin = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::size_t end = bytes.find_first_of("\r\n", begin);
    password.assign(bytes, begin, end == std::string::npos ? std::string::npos : end - begin);
    return true;
}

}  // namespace sites
