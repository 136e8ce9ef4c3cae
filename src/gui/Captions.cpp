#include "gui/Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>

#include <map>
#include <vector>

namespace pell::gui {

namespace {

constexpr const char* Property = "pellCaption";

// A menu title keeps its keyboard mnemonic on its first letter (Alt+F for "File", Alt+D
// for "Datei"); the letters shown are the table's.
void assign(QObject* control, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(QLatin1Char('&') + QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* widget = qobject_cast<QWidget*>(control); widget && widget->isWindow())
        widget->setWindowTitle(text);
    else if (widget && widget->parentWidget() && qobject_cast<QStackedWidget*>(widget->parentWidget())) {
        if (auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget()))
            tabs->setTabText(tabs->indexOf(widget), text);
    }
}

} // namespace

void tagCaption(QObject* control, app::Caption caption)
{
    control->setProperty(Property, static_cast<int>(caption));
}

QList<QObject*> taggedWith(QObject* root, app::Caption caption)
{
    QList<QObject*> found;
    QList<QObject*> all = root->findChildren<QObject*>();
    all << root;
    for (QObject* object : all)
        if (const QVariant value = object->property(Property); value.isValid() && value.toInt() == static_cast<int>(caption))
            found << object;
    return found;
}

void applyCaptions(QObject* root, app::Language language)
{
    std::multimap<int, QObject*> tagged;
    auto collect = [&tagged](QObject* object) {
        if (const QVariant value = object->property(Property); value.isValid())
            tagged.emplace(value.toInt(), object);
    };
    collect(root);
    for (QObject* object : root->findChildren<QObject*>())
        collect(object);
    for (const app::CaptionRow& row : app::CaptionTable()) {
        const QString text = QString::fromUtf8(row.text(language).data(), static_cast<qsizetype>(row.text(language).size()));
        const auto [first, last] = tagged.equal_range(static_cast<int>(row.target));
        for (auto it = first; it != last; ++it)
            assign(it->second, text);
    }
}

} // namespace pell::gui
