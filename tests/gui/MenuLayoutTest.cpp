#include "ui/MenuLayout.h"

#include <QMenu>
#include <gtest/gtest.h>

using ui::MenuLayout;

TEST(MenuLayoutTable, RejectsBrokenMenus)
{
    const std::pair<const char*, const char*> cases[] = {
        { "item 1 A \"a\"", "line 1: the first row must be the menu" },
        { "menu - M -\nitem one A \"a\"", "line 2: bad id 'one'" },
        { "menu - M -\nitem 1 A", "line 2: needs kind, id, name, caption" },
        { "menu - M -\nwidget 1 A a", "line 2: unknown kind 'widget'" },
        { "menu - M -\nend", "line 2: end without popup" },
        { "menu - M -\npopup - P \"p\"", "popup without end" },
        { "", "no menu row" },
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        QString error;
        EXPECT_FALSE(MenuLayout::parse(QString::fromUtf8(text), &error).has_value());
        EXPECT_EQ(error.toStdString(), reason);
    }
}

TEST(MenuLayoutBuild, NestsPopupsAndNamesTheCommands)
{
    const auto menu = MenuLayout::parse("menu - M -\nitem 1 FIRST \"&Eerste\"\npopup - SUB \"Sub\"\n"
                                        "item 2 SECOND \"Tweede\"\nseparator\nitem 3 THIRD \"Derde\"\nend\n");
    ASSERT_TRUE(menu.has_value());
    QMenuBar bar;
    const QMap<QString, QAction*> actions = menu->build(&bar);
    EXPECT_EQ(bar.objectName(), "M");
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(bar.actions().value(0), actions.value("FIRST"));
    const QMenu* sub = bar.findChild<QMenu*>("SUB");
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(sub->actions().size(), 3);
    EXPECT_EQ(sub->actions()[0], actions.value("SECOND"));
    EXPECT_TRUE(sub->actions()[1]->isSeparator());
    EXPECT_EQ(sub->actions()[2], actions.value("THIRD"));
    EXPECT_EQ(actions.value("THIRD")->property("commandId").toInt(), 3);
}
