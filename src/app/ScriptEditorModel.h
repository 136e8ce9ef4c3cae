#pragma once

#include "platform/UserPrompts.h"
#include "settings/SettingsFolder.h"
#include "settings/TemplateStore.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pell::app {

// The script editor: the template names to choose from, the name field and the body
// text, and Choose, Save and Delete over the template store, which is written to
// Template.dat after every Save and Delete. The window draws this and forwards clicks.
class ScriptEditorModel {
public:
    inline static const std::string AlreadyExists = "Template already exists";

    ScriptEditorModel(settings::TemplateStore& store, const settings::SettingsFolder& folder,
                      platform::UserPrompts& prompts);

    // The creation step: loads Template.dat when it exists and fills the name list.
    void Create();

    // Sorted without regard to letter case; the store keeps the order of saving.
    const std::vector<std::string>& Names() const { return names_; }
    // The chosen entry of Names, -1 for none.
    int Selected() const { return selected_; }
    const std::string& NameField() const { return name_; }
    // The body as the text area shows it: its lines joined by LF.
    const std::string& BodyText() const { return body_; }

    // What the user typed. A name is one line: line ends and NULs are dropped.
    void SetNameField(std::string name);
    void SetBodyText(std::string text) { body_ = std::move(text); }

    void Choose(int index);
    void Save();
    void Delete();

    // The view re-reads everything when this fires.
    std::function<void()> Changed;

private:
    void fillNames();
    void write();
    void changed();

    settings::TemplateStore& store_;
    const settings::SettingsFolder& folder_;
    platform::UserPrompts& prompts_;
    std::vector<std::string> names_;
    int selected_ = -1;
    std::string name_;
    std::string body_;
    // Why Template.dat could not be read at start-up; such a file is never overwritten.
};

} // namespace pell::app
