#include "gui/QtSaveFileDialog.h"

#include <QFile>
#include <QFileDialog>

namespace pell::gui {

std::optional<std::string> QtSaveFileDialog::askSaveFileName(const std::string& filterName, const std::string& pattern)
{
    const QString filter = QString::fromStdString(filterName) + QStringLiteral(" (")
                         + QString::fromStdString(pattern) + QStringLiteral(")");
    const QString chosen = QFileDialog::getSaveFileName(owner_, QString(), QString(), filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return QFile::encodeName(chosen).toStdString();
}

} // namespace pell::gui
