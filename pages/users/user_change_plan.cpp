#include "pages/users/user_change_plan.h"

#include <cstring>

#include "common/ip_mask.h"
#include "common/number_text.h"

namespace {

char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters only, like the list box search the member lists stand for.
bool equalIgnoringCase(const char* left, const char* right) {
    for (; *left != '\0' && *right != '\0'; ++left, ++right) {
        if (foldCase(*left) != foldCase(*right)) {
            return false;
        }
    }
    return *left == *right;
}

bool equalExactly(const char* left, const char* right) {
    return std::strcmp(left, right) == 0;
}

// An absent record value (its key was missing from the reply) counts as
// changed whenever the form holds text, as the tagline does.
bool formDiffers(const char* formText, const char* recordText, bool ignoreCase) {
    if (recordText == nullptr) {
        return formText[0] != '\0';
    }
    return ignoreCase ? !equalIgnoringCase(formText, recordText)
                      : !equalExactly(formText, recordText);
}

bool taglineDiffers(const UserChangeForm& form, const UserRecord& record) {
    return formDiffers(form.tagline, record.tagline, false);
}

bool listHoldsIgnoringCase(const NameList* list, const char* name) {
    for (; list != nullptr; list = list->next) {
        if (equalIgnoringCase(list->text, name)) {
            return true;
        }
    }
    return false;
}

bool listHoldsExactly(const NameList* list, const char* name) {
    for (; list != nullptr; list = list->next) {
        if (equalExactly(list->text, name)) {
            return true;
        }
    }
    return false;
}

std::int32_t integerOrUnlim(const char* text, std::int32_t unlimValue) {
    return isUnlimText(text) ? unlimValue : decimalToInt32(text);
}

enum class ValueKind { integerUnlimZero, kilobytes, gadminSlots, leechSlots };

struct SettingRow {
    const char* UserChangeForm::*formText;
    char* UserRecord::*recordText;
    bool ignoreCase;
    const char* keyword;
    ValueKind kind;
};

const SettingRow settingRows[] = {
    {&UserChangeForm::ratio, &UserRecord::ratio, true, " ratio ", ValueKind::integerUnlimZero},
    {&UserChangeForm::maxLogins, &UserRecord::maxLogins, true, " num_logins ",
     ValueKind::integerUnlimZero},
    {&UserChangeForm::weeklyAllotment, &UserRecord::weeklyAllotment, false, " wkly_allotment ",
     ValueKind::kilobytes},
    {&UserChangeForm::gadminSlots, &UserRecord::gadminSlots, true, " group_slots ",
     ValueKind::gadminSlots},
    {&UserChangeForm::leechSlots, &UserRecord::leechSlots, true, " group_slots ",
     ValueKind::leechSlots},
    {&UserChangeForm::timeLimit, &UserRecord::timeLimit, true, " time_limit ",
     ValueKind::integerUnlimZero},
    {&UserChangeForm::credits, &UserRecord::credits, false, " credits ", ValueKind::kilobytes},
    {&UserChangeForm::maxUploadSpeed, &UserRecord::maxUploadSpeed, true, " max_ulspeed ",
     ValueKind::integerUnlimZero},
    {&UserChangeForm::maxDownloadSpeed, &UserRecord::maxDownloadSpeed, true, " max_dlspeed ",
     ValueKind::integerUnlimZero},
};

class ChangeRun {
public:
    ChangeRun(const UserChangeForm& form, const UserRecord& record, UserChangeSender send,
              void* context)
        : form(form), record(record), send(send), context(context) {}

    UserChangeResult run() {
        // Each step returns false once a command has failed: nothing after
        // it is built.
        if (writeIpMasks() && writeFlags() && writePassword() && writeTagline() &&
            writeSettings() && writeGroups(record.groups, form.groups)) {
            writeGroups(record.privateGroups, form.privateGroups);
        }
        return result;
    }

private:
    void start(const char* verb) {
        command.assign("SITE ");
        command.append(verb);
        command.append(form.userName);
    }

    bool emit() {
        if (!send(command, context)) {
            result.failed = true;
            return false;
        }
        ++result.commandsSucceeded;
        return true;
    }

    bool writeIpMasks() {
        std::int32_t deletedMasks = 0;
        for (int slot = 0; slot < userIpMaskCount; ++slot) {
            if (!writeIpMask(slot, deletedMasks)) {
                return false;
            }
        }
        return true;
    }

    bool writeIpMask(int slot, std::int32_t& deletedMasks) {
        const char* typed = form.ipMasks[slot];
        // Compared in the full form the server reports masks in.
        char* text = typed[0] != '\0' ? normaliseIpMask(typed) : dupText("");
        const char* oldMask = record.ipMasks[slot];
        bool ok = true;
        if (oldMask != nullptr && oldMask[0] != '\0' && !equalExactly(text, oldMask)) {
            // The server renumbers the masks behind a deleted one.
            start("DELIP ");
            command.append(" ");
            command.appendNumber(slot - deletedMasks);
            ++deletedMasks;
            ok = emit();
        }
        if (ok && text[0] != '\0' && (oldMask == nullptr || !equalExactly(text, oldMask))) {
            start("ADDIP ");
            command.append(" ");
            command.append(text);
            ok = emit();
        }
        freeText(text);
        return ok;
    }

    bool writeFlags() {
        // Two characters per slot at most, and the terminator.
        char flagsText[userFlagCount * 2 + 1];
        int length = 0;
        for (int slot = 0; slot < userFlagCount; ++slot) {
            if (form.flags[slot] == record.flags[slot]) {
                continue;
            }
            flagsText[length++] = form.flags[slot] ? '+' : '-';
            flagsText[length++] = userFlagCharacter(slot);
        }
        flagsText[length] = '\0';
        if (length == 0) {
            return true;
        }
        start("CHANGE ");
        command.append(" flags ");
        command.append(flagsText);
        return emit();
    }

    bool writePassword() {
        // "?" stands for a password that is not to be changed.
        if (equalExactly(form.password, "?")) {
            return true;
        }
        start("CHPASS ");
        command.append(" ");
        command.append(form.password);
        return emit();
    }

    bool writeTagline() {
        if (!taglineDiffers(form, record)) {
            return true;
        }
        start("CHANGE ");
        command.append(" tagline ");
        command.append(form.tagline);
        return emit();
    }

    bool writeSettings() {
        bool gadminSlotsSent = false;
        std::int32_t gadminSlotsValue = 0;
        for (const SettingRow& row : settingRows) {
            const char* text = form.*row.formText;
            if (!formDiffers(text, record.*row.recordText, row.ignoreCase)) {
                continue;
            }
            start("CHANGE ");
            command.append(row.keyword);
            switch (row.kind) {
            case ValueKind::integerUnlimZero:
                command.appendNumber(integerOrUnlim(text, 0));
                break;
            case ValueKind::kilobytes:
                // No unlim here: a text that is no number sends 0.
                command.appendNumber(megabytesToKilobytes(text));
                break;
            case ValueKind::gadminSlots:
                gadminSlotsValue = integerOrUnlim(text, -1);
                gadminSlotsSent = true;
                command.appendNumber(gadminSlotsValue);
                break;
            case ValueKind::leechSlots:
                // group_slots always carries both numbers.
                command.appendNumber(gadminSlotsSent ? gadminSlotsValue
                                                     : integerOrUnlim(form.gadminSlots, -1));
                command.append(" ");
                command.appendNumber(integerOrUnlim(text, -1));
                break;
            }
            if (!emit()) {
                return false;
            }
        }
        return true;
    }

    // CHGRP toggles membership: it serves for leaving and for joining.
    bool writeGroups(const NameList* loaded, const NameList* members) {
        for (const NameList* name = loaded; name != nullptr; name = name->next) {
            if (!listHoldsIgnoringCase(members, name->text) && !sendChangeGroup(name->text)) {
                return false;
            }
        }
        for (const NameList* entry = members; entry != nullptr; entry = entry->next) {
            if (!listHoldsExactly(loaded, entry->text) && !sendChangeGroup(entry->text)) {
                return false;
            }
        }
        return true;
    }

    bool sendChangeGroup(const char* group) {
        start("CHGRP ");
        command.append(" ");
        command.append(group);
        return emit();
    }

    const UserChangeForm& form;
    const UserRecord& record;
    UserChangeSender send;
    void* context;
    CommandText command;
    UserChangeResult result{0, false};
};

}  // namespace

bool isUnlimText(const char* text) {
    return equalIgnoringCase(text, "unlim");
}

std::int32_t megabytesToKilobytes(const char* text) {
    return clampToInt32(decimalToDouble(text) * 1024.0);
}

UserChangeResult writeUserChangePlan(const UserChangeForm& form, const UserRecord& record,
                                     UserChangeSender send, void* context) {
    return ChangeRun(form, record, send, context).run();
}

bool taglineTooLongToSend(const UserChangeForm& form, const UserRecord& record) {
    return taglineDiffers(form, record) && std::strlen(form.tagline) > maxTaglineBytes;
}
