#include "host/glance/glance_text.h"

#include <cmath>
#include <cstdio>

#include "host/admin/admin_text.h"

namespace glance {

std::string plainText(const std::string& line) {
    const std::string_view text = admin::lineTextView(line);
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == ';')) {
                ++end;
            }
            if (end < text.size() && text[end] == 'm') {
                i = end;
                continue;
            }
        }
        plain += text[i];
    }
    return plain;
}

std::string_view plainView(const std::string& line, std::string& buffer) {
    if (line.find('\x1b') == std::string::npos) {
        return admin::lineTextView(line);
    }
    buffer = plainText(line);
    return buffer;
}

void cellsInto(std::string_view row, std::vector<std::string_view>& cells) {
    cells.clear();
    const std::size_t first = row.find('|');
    if (first == std::string_view::npos) {
        return;
    }
    std::size_t start = first + 1;
    for (std::size_t bar = row.find('|', start); bar != std::string_view::npos; bar = row.find('|', start)) {
        cells.push_back(admin::trimBlanks(row.substr(start, bar - start)));
        start = bar + 1;
    }
}

std::string lastWords(const std::vector<std::string>& lines, const std::string& otherwise) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const std::string text = plainText(*line);
        const std::string_view words = admin::trimBlanks(text);
        if (!words.empty()) {
            return std::string(words);
        }
    }
    return otherwise;
}

std::vector<std::string_view> cellsOf(std::string_view row) {
    std::vector<std::string_view> cells;
    cellsInto(row, cells);
    return cells;
}

bool isRule(std::string_view text) {
    text = admin::trimBlanks(text);
    if (text.empty()) {
        return false;
    }
    bool dash = false;
    for (char c : text) {
        if (c == '-') {
            dash = true;
        } else if (c != '|' && c != '.' && c != '`' && c != '\'' && c != '+' && c != '=') {
            return false;
        }
    }
    return dash;
}

namespace {

// A decimal number at the start of `text` ("98.0", "854"); its length in `used`.
bool leadingNumber(std::string_view text, double& value, std::size_t& used) {
    std::size_t i = 0;
    double whole = 0;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i < 15) {
        whole = whole * 10 + (text[i] - '0');
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i < 30) {
            whole += (text[i] - '0') * scale;
            scale /= 10;
            digits = true;
            ++i;
        }
    }
    if (!digits) {
        return false;
    }
    value = whole;
    used = i;
    return true;
}

// The power of 1024 of a unit: K 0, M 1, G 2, T 3 ("KiB", "MB", "K"); -1 for none.
int unitPower(std::string_view unit, std::string_view& rest) {
    if (unit.empty()) {
        return -1;
    }
    const char* const letters = "KMGTP";
    int power = -1;
    for (int p = 0; letters[p] != '\0'; ++p) {
        if (unit[0] == letters[p] || unit[0] == letters[p] + ('a' - 'A')) {
            power = p;
        }
    }
    if (power < 0) {
        return -1;
    }
    unit.remove_prefix(1);
    if (!unit.empty() && unit[0] == 'i') {
        unit.remove_prefix(1);
    }
    if (!unit.empty() && (unit[0] == 'B' || unit[0] == 'b')) {
        unit.remove_prefix(1);
    }
    rest = unit;
    return power;
}

}  // namespace

long secondsOf(std::string_view text) {
    text = admin::trimBlanks(text);
    if (text.empty()) {
        return -1;
    }
    long total = 0;
    bool any = false;
    while (!text.empty()) {
        double number = 0;
        std::size_t used = 0;
        if (!leadingNumber(text, number, used) || used >= text.size() || number > 1e7) {
            return -1;
        }
        const char unit = text[used];
        const long value = static_cast<long>(number);
        switch (unit) {
        case 'd': total += value * 86400; break;
        case 'h': total += value * 3600; break;
        case 'm': total += value * 60; break;
        case 's': total += value; break;
        default: return -1;
        }
        any = true;
        text = admin::trimBlanks(text.substr(used + 1));
        if (total > 0x3fffffffL) {
            return -1;
        }
    }
    return any ? total : -1;
}

double speedOf(std::string_view text) {
    text = admin::trimBlanks(text);
    double number = 0;
    std::size_t used = 0;
    if (!leadingNumber(text, number, used)) {
        return -1;
    }
    std::string_view rest;
    const int power = unitPower(admin::trimBlanks(text.substr(used)), rest);
    if (power < 0 || (rest != "/s" && rest != "/" && !rest.empty())) {
        return -1;  // a speed cut by its column ("968.0KiB/") is still one
    }
    return number * std::pow(1024.0, power);
}

double sizeOf(std::string_view text) {
    text = admin::trimBlanks(text);
    double number = 0;
    std::size_t used = 0;
    if (!leadingNumber(text, number, used)) {
        return -1;
    }
    std::string_view rest;
    const int power = unitPower(admin::trimBlanks(text.substr(used)), rest);
    if (power < 0 || !rest.empty()) {
        return -1;
    }
    return number * std::pow(1024.0, power - 1);
}

std::string speedText(double kib) {
    char text[48];
    if (kib < 0) {
        return "";
    }
    if (kib >= 1024.0 * 1024.0) {
        std::snprintf(text, sizeof text, "%.2f GiB/s", kib / (1024.0 * 1024.0));
    } else if (kib >= 1024.0) {
        std::snprintf(text, sizeof text, "%.2f MiB/s", kib / 1024.0);
    } else {
        std::snprintf(text, sizeof text, "%.1f KiB/s", kib);
    }
    return text;
}

std::string sizeText(double mib) {
    char text[48];
    if (mib < 0) {
        return "";
    }
    if (mib >= 1024.0 * 1024.0) {
        std::snprintf(text, sizeof text, "%.2f TiB", mib / (1024.0 * 1024.0));
    } else if (mib >= 1024.0) {
        std::snprintf(text, sizeof text, "%.2f GiB", mib / 1024.0);
    } else {
        std::snprintf(text, sizeof text, "%.0f MiB", mib);
    }
    return text;
}

}  // namespace glance
