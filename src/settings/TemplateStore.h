#pragma once

#include "settings/LineText.h"
#include "settings/SettingsFolder.h"

#include <optional>
#include <string>

namespace pell::settings {

// The lines of Template.dat in memory. A template is the marker line,
// its name on the next line and its body up to the next marker or the end. Lines before
// the first marker belong to no template and are kept as they are.
class TemplateStore {
public:
    static constexpr const char* Marker = "$$$&New Template$$$$&";

    TemplateStore() = default;
    explicit TemplateStore(Lines lines) : lines_(std::move(lines)) {}

    const Lines& lines() const { return lines_; }

    // The template names in store order: every line, from the second on, whose previous
    // line is the marker.
    std::vector<std::string> names() const;
    // The names sorted without regard to letter case, as the drop-down lists show them.
    std::vector<std::string> sortedNames() const;
    // Whether two names are the same without regard to letter case. Names are UTF-8, and
    // every letter folds ("Äpfel" is "äpfel"); a byte that is no part of UTF-8 (a name
    // kept from a single-byte code page) is compared as it is, only ASCII letters folded.
    static bool SameName(std::string_view a, std::string_view b);
    // The body of the first template named exactly name; nothing when there is none.
    std::optional<Lines> body(const std::string& name) const;

    // Appends the marker, the name and the body at the end (the editor's Save, after its
    // checks).
    void append(const std::string& name, const Lines& body);
    // Removes the first template named exactly name with its marker and body; false
    // when there is none (the editor's Delete).
    bool remove(const std::string& name);

    // Fills the store from Template.dat when it exists (false otherwise, the store
    // unchanged). save writes Template.dat from the store; throws FileWriteError.
    bool load(const SettingsFolder& folder);
    void save(const SettingsFolder& folder) const;

private:
    // Index of the name line of the first template named name; nothing when none.
    std::optional<std::size_t> find(const std::string& name) const;
    std::size_t bodyEnd(std::size_t nameLine) const;

    Lines lines_;
};

} // namespace pell::settings
