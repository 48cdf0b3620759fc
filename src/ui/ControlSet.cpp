#include "ui/ControlSet.h"

#include "ui/DialogBuilder.h"
#include "ui/LayoutKinds.h"

#include <QSet>

#include <algorithm>
#include <map>

namespace ui {

namespace {

std::map<QString, std::unique_ptr<ControlSet> (*)()>& registry()
{
    static std::map<QString, std::unique_ptr<ControlSet> (*)()> forms;
    return forms;
}

// "src/dialogs/INFO.h:21" rather than the build machine's full path.
QString declaredAt(const ControlMember& member)
{
    QString file = QString::fromUtf8(member.file);
    const qsizetype top
        = std::max(file.lastIndexOf(QStringLiteral("/src/")), file.lastIndexOf(QStringLiteral("/tests/")));
    if (top >= 0) {
        file = file.mid(top + 1);
    }
    return QStringLiteral("%1:%2").arg(file).arg(member.line);
}

} // namespace

QStringList checkControls(const DialogLayout& layout, const ControlSet& controls)
{
    QStringList problems;
    QSet<QString> members;
    for (const ControlMember& member : controls.members()) {
        const QString name = QString::fromLatin1(member.name);
        members.insert(name);
        const LayoutControl* row = layout.control(name);
        if (row == nullptr) {
            problems << QStringLiteral("%1: member %2 has no row in %3").arg(declaredAt(member), name, layout.source());
            continue;
        }
        const QMetaObject* widget = controlKind(row->kind)->widget;
        if (!widget->inherits(member.type)) {
            problems << QStringLiteral("%1 line %2: %3 (%4) is a %5, its member at %6 a %7")
                            .arg(layout.source())
                            .arg(row->line)
                            .arg(name, row->kind, QString::fromLatin1(widget->className()), declaredAt(member),
                                QString::fromLatin1(member.type->className()));
        }
    }
    for (const LayoutControl& row : layout.controls()) {
        if (!row.name.isEmpty() && !members.contains(row.name) && !row.isStatic() && layout.settingOf(row).isEmpty()) {
            problems << QStringLiteral("%1 line %2: %3 has no member in the Controls of %4")
                            .arg(layout.source())
                            .arg(row.line)
                            .arg(row.name, layout.name());
        }
    }
    return problems;
}

void buildAndBind(const DialogLayout& layout, QWidget* surface, ControlSet& controls)
{
    build(layout, surface);
    bindControls(layout, surface, controls);
}

void bindControls(const DialogLayout& layout, QWidget* surface, ControlSet& controls)
{
    const QStringList problems = checkControls(layout, controls);
    if (!problems.isEmpty()) {
        qFatal("%s and its Controls disagree:\n%s", qPrintable(layout.source()), qPrintable(problems.join(u'\n')));
    }
    for (const ControlMember& member : controls.members()) {
        QWidget* widget = surface->findChild<QWidget*>(QString::fromLatin1(member.name), Qt::FindDirectChildrenOnly);
        // The check above vouches for the type; this only guards against a surface that was
        // built on before.
        if (widget == nullptr || !widget->metaObject()->inherits(member.type)) {
            qFatal("%s: no %s named %s on the surface", qPrintable(layout.source()), member.type->className(),
                member.name);
        }
        member.assign(member.slot, widget);
    }
}

QWidget* builtControl(const QWidget* surface, const LayoutControl& row, const QMetaObject& type)
{
    QWidget* widget = surface->findChild<QWidget*>(row.objectName(), Qt::FindDirectChildrenOnly);
    if (widget == nullptr || !widget->metaObject()->inherits(&type)) {
        qFatal("%s: no %s named %s on the surface", qPrintable(surface->objectName()), type.className(),
            qPrintable(row.objectName()));
    }
    return widget;
}

void registerControls(const char* layout, std::unique_ptr<ControlSet> (*make)())
{
    const QString name = QString::fromLatin1(layout);
    if (registry().count(name) != 0) {
        qFatal("Two windows claim the layout %s", layout);
    }
    registry()[name] = make;
}

std::unique_ptr<ControlSet> registeredControls(const QString& layout)
{
    const auto found = registry().find(layout);
    return found == registry().end() ? nullptr : found->second();
}

QStringList registeredLayouts()
{
    QStringList names;
    for (const auto& [name, make] : registry()) {
        names << name;
    }
    return names;
}

} // namespace ui
