#include "common/ip_mask.h"

#include "common/text_utils.h"

char* normaliseIpMask(const char* entry) {
    return dupText(entry);
}
