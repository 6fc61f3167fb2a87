#include "pages/users/pending_edit_user.h"

#include "common/text_utils.h"

char* pendingEditUser = nullptr;

void setPendingEditUser(const char* name) {
    replaceText(pendingEditUser, name);
}

char* takePendingEditUser() {
    char* name = pendingEditUser;
    pendingEditUser = nullptr;
    return name;
}

void releasePendingEditUser() {
    clearText(pendingEditUser);
}
