// SPDX-License-Identifier: GPL-3.0-or-later
#include "TaskReport.h"

#include <cmath>
#include <cstdio>

namespace quillet::cli {

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a valid one
// (overlong forms, surrogates and code points past U+10FFFF are not valid).
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

} // namespace

namespace {

enum class InvalidBytes { Replaced, Escaped };

std::string Json(std::string_view text, InvalidBytes invalid)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (const std::size_t length = Utf8Length(text, i); length == 0) {
            if (invalid == InvalidBytes::Replaced) {
                out += "\xEF\xBF\xBD"; // U+FFFD for a byte that starts no valid sequence
            } else {
                // The byte as a lone low surrogate, U+DC00 + byte, as Python's file names carry
                // it: no valid text holds one, so the escape is never ambiguous.
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\udc%02x", c);
                out += escaped;
            }
            ++i;
            continue;
        } else {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
    }
    out += '"';
    return out;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex = "\"";
    for (const char byte : bytes) {
        hex += kDigits[static_cast<unsigned char>(byte) >> 4];
        hex += kDigits[static_cast<unsigned char>(byte) & 0xF];
    }
    return hex + '"';
}

/// "name":path, and "name_bytes":hex after it when the path is not valid UTF-8.
std::string PathFields(std::string_view name, const std::string &path)
{
    std::string fields = JsonString(name) + ":";
    if (path.empty())
        return fields + "null";
    fields += JsonPath(path);
    if (!IsUtf8(path))
        fields += "," + JsonString(std::string(name) + "_bytes") + ":" + Hex(path);
    return fields;
}

} // namespace

std::string JsonString(std::string_view text)
{
    return Json(text, InvalidBytes::Replaced);
}

std::string JsonPath(std::string_view path)
{
    return Json(path, InvalidBytes::Escaped);
}

std::string TaskJson(const TaskResult &result)
{
    const auto text_or_null = [](const std::string &text) {
        return text.empty() ? std::string("null") : JsonString(text);
    };
    std::string json = "{" + PathFields("source", result.source) + ","
        + PathFields("output", result.output)
        + ",\"status\":" + JsonString(ReportedStatusName(result))
        + ",\"reason\":" + text_or_null(result.reason) + ",\"seconds\":" + Seconds(result.seconds);
    if (result.cut)
        json += ",\"kept_seconds\":" + Seconds(result.kept_s)
            + ",\"source_seconds\":" + Seconds(result.source_s);
    // A disc plan or a size target promised a size: what it was, and what the file came to.
    if (result.planned_bytes > 0)
        json += ",\"planned_bytes\":" + std::to_string(std::llround(result.planned_bytes))
            + ",\"output_bytes\":"
            + (result.output.empty() ? std::string("null") : std::to_string(result.output_bytes));
    return json + "}";
}

std::string SummaryText(const std::vector<TaskResult> &results)
{
    std::string text;
    int made = 0;
    for (const TaskResult &result : results) {
        char head[64];
        std::snprintf(head, sizeof head, "%-24s %7s s  ",
                      std::string(ReportedStatusName(result)).c_str(),
                      Seconds(result.seconds).c_str());
        text += head;
        text += result.source;
        if (!result.output.empty())
            text += " -> " + result.output;
        if (!result.reason.empty())
            text += ": " + result.reason;
        text += '\n';
        if (result.status == TaskResult::Status::Made)
            ++made;
    }
    char tail[96];
    std::snprintf(tail, sizeof tail, "%d of %zu made\n", made, results.size());
    return text + tail;
}

} // namespace quillet::cli
