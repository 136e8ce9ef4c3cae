#pragma once

#include "gui/TextDecoding.h"

#include <QCheckBox>
#include <QLineEdit>

#include <functional>
#include <string>

namespace pell::gui {

// A line edit whose every edit is written into a model field at once.
inline QLineEdit* boundEdit(const char* objectName, std::function<std::string&()> field)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [field](const QString& text) { field() = toBytes(text); });
    return edit;
}

// A check box whose every click is written into a model flag at once.
inline QCheckBox* boundBox(const QString& caption, const char* objectName, std::function<bool&()> flag)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(objectName);
    QObject::connect(box, &QCheckBox::clicked, box, [flag](bool set) { flag() = set; });
    return box;
}

} // namespace pell::gui
