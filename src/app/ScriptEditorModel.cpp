#include "app/ScriptEditorModel.h"

#include "settings/LineText.h"
#include "settings/SettingsError.h"

#include <algorithm>

namespace pell::app {

namespace {

using settings::TemplateStore;

std::string without(std::string text, std::string_view bytes)
{
    std::erase_if(text, [&](char c) { return bytes.find(c) != std::string_view::npos; });
    return text;
}

// The body's lines, split at CR LF, LF or CR, so no stored line holds a line end. A
// NUL would cut Template.dat short at the next load: it is dropped.
settings::Lines bodyLines(const std::string& text)
{
    return settings::parseLines(without(text, std::string_view("\0", 1)));
}

// The inverse of bodyLines: a last empty line needs its own line end to survive.
std::string bodyText(const settings::Lines& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    if (!lines.empty() && lines.back().empty())
        text += '\n';
    return text;
}

} // namespace

ScriptEditorModel::ScriptEditorModel(settings::TemplateStore& store, const settings::SettingsFolder& folder,
                                     platform::UserPrompts& prompts)
    : store_(store), folder_(folder), prompts_(prompts)
{
}

void ScriptEditorModel::Create()
{
    // The settings folder keeps a file it could not read out of every later save.
    store_.load(folder_);
    try {
        folder_.reportReadErrors();
    } catch (const settings::SettingsError& error) {
        prompts_.showError(error.what());
    }
    fillNames();
    changed();
}

void ScriptEditorModel::SetNameField(std::string name)
{
    name_ = without(std::move(name), std::string_view("\r\n\0", 3));
}

void ScriptEditorModel::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(names_.size()))
        return;
    selected_ = index;
    name_ = names_[static_cast<std::size_t>(index)];
    body_ = bodyText(store_.body(name_).value_or(settings::Lines{}));
    changed();
}

void ScriptEditorModel::Save()
{
    if (name_.empty())
        return;
    if (std::any_of(names_.begin(), names_.end(), [&](const std::string& n) { return TemplateStore::SameName(n, name_); })) {
        prompts_.showMessage(AlreadyExists);
        return;
    }
    const settings::Lines body = bodyLines(body_);
    // Stored, such a line would start a template of its own and split this one.
    if (name_ == TemplateStore::Marker || std::find(body.begin(), body.end(), TemplateStore::Marker) != body.end()) {
        prompts_.showError(std::string("A template cannot hold the line \"") + TemplateStore::Marker
                           + "\": it marks the start of a template. Nothing was saved.");
        return;
    }
    store_.append(name_, body);
    write();
    fillNames();
    name_.clear();
    body_.clear();
    changed();
}

void ScriptEditorModel::Delete()
{
    body_.clear();
    if (selected_ >= 0 && store_.remove(names_[static_cast<std::size_t>(selected_)]))
        name_.clear();
    write();
    fillNames();
    changed();
}

void ScriptEditorModel::fillNames()
{
    names_ = store_.sortedNames();
    selected_ = -1;
}

// A failed write keeps the change in memory; the next Save or Delete writes it too.
void ScriptEditorModel::write()
{
    if (const auto why = folder_.readFailure(settings::SettingsFile::Template)) {
        prompts_.showError("\"" + folder_.pathOf(settings::SettingsFile::Template) + "\" could not be read at start-up ("
                           + *why + "), so it is left as it is. The change is kept until the program ends.");
        return;
    }
    try {
        store_.save(folder_);
    } catch (const settings::SettingsError& error) {
        prompts_.showError(error.what());
    }
}

void ScriptEditorModel::changed()
{
    if (Changed)
        Changed();
}

} // namespace pell::app
