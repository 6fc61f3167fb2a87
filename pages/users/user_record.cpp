#include "pages/users/user_record.h"

void clearUserRecord() {}
