// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::platform {

/**
 * An INI file held as its lines, read and edited with the rules of the classic private-profile
 * functions: section and key names match ignoring ASCII case and the first match wins; values are
 * trimmed and lose one pair of surrounding quotes; lines starting with ';' are comments.
 *
 * Files are read as the platform's own profile functions read them: a UTF-8 byte-order mark is
 * skipped, a file that starts with a UTF-16 byte-order mark (either byte order) is UTF-16, and
 * lines end with CR LF, LF or a lone CR. Inside, the document is UTF-8.
 *
 * Edits touch only the line they change (or add one line), so comments, blank lines, the order
 * of everything else, the file's encoding (mark included) and its line endings survive a write.
 */
class IniDocument
{
public:
    /// How the file's bytes hold its text.
    enum class Encoding { Plain, Utf8WithMark, Utf16Le, Utf16Be };

    /// Loads path. A missing file gives an empty document and returns true; a file that exists
    /// but cannot be read, is no regular file or is larger than kMaxTextFileBytes gives an empty
    /// document and returns false.
    /// @param error receives why it was refused, naming the file (may be null)
    bool Load(const std::filesystem::path &path, std::string *error = nullptr);
    /// Parses bytes as the contents of a file.
    void Parse(std::string_view bytes);

    /// The value of key in section, or nothing when either is absent.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    /// Section names in file order; a name repeated later in the file is listed once, and an
    /// empty header "[]" names nothing.
    std::vector<std::string> SectionNames() const;

    /**
     * Sets key in section to value: an existing key is rewritten where it stands (keeping the
     * spelling of its name), a new key goes after the last key of its section, a new section goes
     * at the end of the document. Returns false, changing nothing, when a name or the value holds
     * a line break, or a name is empty. A value that reading would change (one with
     * surrounding quotes or blanks) is stored inside one more pair of quotes.
     */
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    /// The document as file contents, in the encoding and with the line endings it was read
    /// with (plain text with LF when new).
    std::string Serialize() const;

    Encoding FileEncoding() const { return m_encoding; }
    /// The line ending the document is written with: "\n", "\r\n" or "\r".
    const std::string &LineEnding() const { return m_eol; }

    /// Writes Serialize() to path atomically; false (and error set) on failure.
    bool Save(const std::filesystem::path &path, std::string *error = nullptr) const;

private:
    struct Line
    {
        std::string text; // without its line ending
    };
    enum class Kind { Other, Section, Key };
    struct Parsed
    {
        Kind kind = Kind::Other;
        std::string_view name; // section or key name, trimmed
        std::string_view value; // key value, trimmed, quotes not yet removed
    };
    static Parsed ParseLine(std::string_view line);
    /// Index of the header line of the first section called name, or -1.
    long FindSection(std::string_view name) const;

    std::vector<Line> m_lines;
    std::string m_eol = "\n";
    bool m_final_eol = true;
    Encoding m_encoding = Encoding::Plain;
};

} // namespace quillet::platform
