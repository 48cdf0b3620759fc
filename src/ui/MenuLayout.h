#pragma once

#include <QAction>
#include <QList>
#include <QMap>
#include <QMenuBar>
#include <QString>

#include <optional>

namespace ui {

// A menu bar described by a table, one entry per line: "item <id> <command> <caption>",
// "popup - <name> <caption>" opening a submenu up to its "end", and "separator". The first
// row is "menu - <name> -". '#' starts a comment line.
class MenuLayout
{
public:
    struct Entry
    {
        enum class Kind { Item, Popup, End, Separator } kind = Kind::Item;
        int id = -1;
        QString name;
        QString caption;
    };

    // The menu parsed from table text, or nothing with the line and reason in *error.
    static std::optional<MenuLayout> parse(const QString& text, QString* error = nullptr);
    // The menu compiled in as :/menus/<name>.menu; stops the program when missing or broken.
    static MenuLayout load(const QString& name);

    const QString& name() const { return m_name; }
    const QList<Entry>& entries() const { return m_entries; }

    // Fills the bar. Returns the actions by command name; each action and menu carries its
    // name as objectName and its caption as text.
    QMap<QString, QAction*> build(QMenuBar* bar) const;

private:
    QString m_name;
    QList<Entry> m_entries;
};

} // namespace ui
