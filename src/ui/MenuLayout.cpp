#include "ui/MenuLayout.h"

#include "ui/DialogLayout.h"
#include "ui/Images.h"
#include "ui/ResourceTable.h"

#include <QFile>
#include <QMenu>

namespace ui {

namespace {

std::optional<MenuLayout::Entry> parseEntry(const QStringList& cells, QString* reason)
{
    using Kind = MenuLayout::Entry::Kind;
    MenuLayout::Entry entry;
    const QString& kind = cells[0];
    if (kind == QLatin1String("separator") || kind == QLatin1String("end")) {
        entry.kind = kind == QLatin1String("end") ? Kind::End : Kind::Separator;
        return entry;
    }
    if (cells.size() != 4) {
        *reason = QStringLiteral("needs kind, id, name, caption");
        return std::nullopt;
    }
    if (kind == QLatin1String("item")) {
        entry.kind = Kind::Item;
        bool ok = false;
        entry.id = cells[1].toInt(&ok);
        if (!ok) {
            *reason = QStringLiteral("bad id '%1'").arg(cells[1]);
            return std::nullopt;
        }
    } else if (kind == QLatin1String("popup")) {
        entry.kind = Kind::Popup;
    } else {
        *reason = QStringLiteral("unknown kind '%1'").arg(kind);
        return std::nullopt;
    }
    entry.name = cells[2];
    entry.caption = cells[3];
    return entry;
}

} // namespace

std::optional<MenuLayout> MenuLayout::parse(const QString& text, QString* error)
{
    MenuLayout menu;
    bool haveName = false;
    int depth = 0;
    const bool read = forEachTableRow(
        text,
        [&](const QStringList& cells, int, QString* reason) {
            if (!haveName) {
                if (cells.size() >= 3 && cells[0] == QLatin1String("menu")) {
                    menu.m_name = cells[2];
                    haveName = true;
                    return true;
                }
                *reason = QStringLiteral("the first row must be the menu");
                return false;
            }
            const std::optional<Entry> entry = parseEntry(cells, reason);
            if (!entry) {
                return false;
            }
            if (entry->kind == Entry::Kind::Popup) {
                ++depth;
            } else if (entry->kind == Entry::Kind::End && --depth < 0) {
                *reason = QStringLiteral("end without popup");
                return false;
            }
            menu.m_entries << *entry;
            return true;
        },
        error);
    if (read && (!haveName || depth != 0) && error) {
        *error = haveName ? QStringLiteral("popup without end") : QStringLiteral("no menu row");
    }
    if (!read || !haveName || depth != 0) {
        return std::nullopt;
    }
    return menu;
}

MenuLayout MenuLayout::load(const QString& name)
{
    return loadResourceTable<MenuLayout>(QStringLiteral(":/menus/%1.menu").arg(name));
}

QMap<QString, QAction*> MenuLayout::build(QMenuBar* bar) const
{
    bar->setObjectName(m_name);
    QMap<QString, QAction*> actions;
    QList<QMenu*> open;
    for (const Entry& entry : m_entries) {
        switch (entry.kind) {
        case Entry::Kind::Item: {
            QAction* action = open.isEmpty() ? bar->addAction(entry.caption) : open.last()->addAction(entry.caption);
            action->setObjectName(entry.name);
            action->setProperty("commandId", entry.id);
            actions.insert(entry.name, action);
            break;
        }
        case Entry::Kind::Popup: {
            QMenu* menu = open.isEmpty() ? bar->addMenu(entry.caption) : open.last()->addMenu(entry.caption);
            menu->setObjectName(entry.name);
            menu->setAccessibleName(withoutMnemonic(entry.caption));
            open << menu;
            break;
        }
        case Entry::Kind::End:
            open.removeLast();
            break;
        case Entry::Kind::Separator:
            if (!open.isEmpty()) {
                open.last()->addSeparator();
            } else {
                bar->addSeparator();
            }
            break;
        }
    }
    return actions;
}

} // namespace ui
