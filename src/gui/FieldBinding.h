#pragma once

#include "gui/TextDecoding.h"

#include <QCheckBox>
#include <QLineEdit>

#include <functional>
#include <string>

namespace pell::gui {

// Settings fields hold one line: CR, LF and NUL typed or pasted are dropped at once, so
// no value can split a line of a settings file. Connect before the field's own handler,
// which should store WithoutLineBreaks(text) too.
inline void keepOnOneLine(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        if (const QString clean = WithoutLineBreaks(text); clean != text)
            edit->setText(clean);
    });
}

// A line edit whose every edit is written into a model field at once.
inline QLineEdit* boundEdit(const char* objectName, std::function<std::string&()> field)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    keepOnOneLine(edit);
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [field](const QString& text) { field() = toBytes(WithoutLineBreaks(text)); });
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
