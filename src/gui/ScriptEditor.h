#pragma once

#include "app/ScriptEditorModel.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pell::gui {

// "Script-Editor": one window for the program, not modal, created hidden at start-up.
// It draws the editor model and hands it the typed name and body before each click.
class ScriptEditor : public QWidget {
    Q_OBJECT
public:
    ScriptEditor(app::ScriptEditorModel& model, QWidget* parent = nullptr);
    ~ScriptEditor() override;

    // Shows the window over the main window, the first time in its centre.
    void showCentred();

    QComboBox* chooser() const { return chooser_; }
    QLineEdit* nameField() const { return name_; }
    QPlainTextEdit* body() const { return body_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* deleteButton() const { return delete_; }

private:
    void refresh();
    void takeTypedText();

    app::ScriptEditorModel& model_;
    QComboBox* chooser_;
    QLineEdit* name_;
    QPlainTextEdit* body_;
    QPushButton* save_;
    QPushButton* delete_;
    bool placed_ = false;
};

} // namespace pell::gui
