#pragma once
// Text tools the readers of who is online and of the top lists share: a reply
// line's text without its code and colours, the cells of a table row, and
// the server's durations, speeds and sizes as numbers.
#include <string>
#include <string_view>
#include <vector>

namespace glance {

// The line's text after "200- " or "200 ", the ANSI colour sequences
// (ESC '[' ... 'm') an account with colours gets removed.
std::string plainText(const std::string& line);

// As plainText, without a copy when the line holds no colour: a view into
// `line`, or into `buffer` when colours had to be removed.
std::string_view plainView(const std::string& line, std::string& buffer);

// The cells as cellsOf gives them, into `cells` (its room kept).
void cellsInto(std::string_view row, std::vector<std::string_view>& cells);

// The server's words: the text of the reply's last line that has any;
// `otherwise` when none has.
std::string lastWords(const std::vector<std::string>& lines, const std::string& otherwise);

// The cells between the '|' of a table row "| a | b |", each trimmed of
// blanks; the text before the first '|' and after the last are not cells.
std::vector<std::string_view> cellsOf(std::string_view row);

// Whether the text is a rule of a table: '|', '.', '`', '\'', '-', '+' and
// '=' only, with at least one '-'.
bool isRule(std::string_view text);

// "12m 40s", "1h 2m", "0m 4s", "2d 3h": seconds, -1 when not a duration.
long secondsOf(std::string_view text);

// "98.0KiB/s", "854KiB/s", "1.2MiB/s" (also K/s, KB/s, MB/s): KiB/s, -1 when not a speed.
double speedOf(std::string_view text);

// "10MiB", "1.5GiB", "512KiB" (also MB, GB): MiB, -1 when not a size.
double sizeOf(std::string_view text);

// A KiB/s figure as the page shows it ("98.0 KiB/s", "1.21 MiB/s").
std::string speedText(double kibPerSecond);
// A MiB figure as the page shows it ("10 MiB", "1.50 GiB").
std::string sizeText(double mib);

}  // namespace glance
