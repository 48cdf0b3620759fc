#pragma once

#include "ui/DialogLayout.h"

#include <QWidget>

#include <memory>
#include <type_traits>
#include <vector>

namespace ui {

// One member of a Controls struct, as UI_CONTROL declared it.
struct ControlMember
{
    const char* name;
    const QMetaObject* type;
    const char* file;
    int line;
    void* slot;
    void (*assign)(void* slot, QWidget* widget);
};

// The base of a window's Controls struct. Each control the code uses is named once in the
// layout table and once here, as a typed member:
//
//     struct Controls : ui::ControlSet
//     {
//         UI_CONTROL(QLineEdit, SLE_CONTRACT);
//         UI_CONTROL(QPushButton, PBT_OPSLAAN);
//     };
//
// The members are plain pointers (m_controls.SLE_CONTRACT->text()), null until a Form binds
// them. A member's type may be the widget class of its row's kind (LayoutKinds.cpp) or any base
// of it. A set is never copied: it knows where its members live.
class ControlSet
{
public:
    ControlSet() = default;
    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;
    virtual ~ControlSet() = default;

    const std::vector<ControlMember>& members() const { return m_members; }

protected:
    template <class T> T* declare(T** slot, const char* name, const char* file, int line)
    {
        static_assert(std::is_base_of_v<QWidget, T>, "a control member points at a widget");
        m_members.push_back({ name, &T::staticMetaObject, file, line, slot,
            [](void* at, QWidget* widget) { *static_cast<T**>(at) = static_cast<T*>(widget); } });
        return nullptr;
    }

private:
    std::vector<ControlMember> m_members;
};

// Declares the member `name` of type Type* in a Controls struct and enters it in the set.
#define UI_CONTROL(Type, name) Type* name = declare<Type>(&name, #name, __FILE__, __LINE__)

// Every disagreement between a layout and a Controls struct, each naming the table and line or
// the member's declaration: a named row without a member, a member without a row, a member
// whose type is not the row's widget class or a base of it. Empty when they agree. A static row
// (text, frame, image) and a row that shows a setting need no member: the code never reaches
// for them by name.
QStringList checkControls(const DialogLayout& layout, const ControlSet& controls);

// Builds layout onto surface (see build()) and points every member of controls at its control.
// A disagreement is a defect of the build: it stops the program with the list.
void buildAndBind(const DialogLayout& layout, QWidget* surface, ControlSet& controls);
// The binding half of buildAndBind, for a surface a base class already built layout onto.
void bindControls(const DialogLayout& layout, QWidget* surface, ControlSet& controls);

// The widget built for row on surface. One that is missing or not a T is a defect of the build
// and stops the program.
QWidget* builtControl(const QWidget* surface, const LayoutControl& row, const QMetaObject& type);
template <class T> T* builtControl(const QWidget* surface, const LayoutControl& row)
{
    return static_cast<T*>(builtControl(surface, row, T::staticMetaObject));
}
// The widgets built for rows, in their order: the answer to a layout query (radioGroup(),
// rowsInside(), numbered()) as controls.
template <class T> QList<T*> builtControls(const QWidget* surface, const QList<const LayoutControl*>& rows)
{
    QList<T*> controls;
    for (const LayoutControl* row : rows) {
        controls << builtControl<T>(surface, *row);
    }
    return controls;
}

// The Controls struct that binds the layout called layout, as a fresh unbound set, or null when
// no Form registered one. The layout tests check every compiled-in layout through this.
std::unique_ptr<ControlSet> registeredControls(const QString& layout);
QStringList registeredLayouts();
void registerControls(const char* layout, std::unique_ptr<ControlSet> (*make)());

// A window's tie to its layout: declared once beside the window's Controls struct,
//
//     static inline const ui::Form<Controls> s_form { "TRANSFER_EXTRA" };
//
// it registers the struct for the layout tests, and in the constructor
//
//     s_form.build(this, m_controls);
//
// builds the layout onto the window (or any surface) and binds the members.
template <class Controls> class Form
{
public:
    explicit Form(const char* layout)
        : m_layout(layout)
    {
        registerControls(layout, []() -> std::unique_ptr<ControlSet> { return std::make_unique<Controls>(); });
    }

    // Returns the layout for what the window takes from it besides its controls (caption, font).
    DialogLayout build(QWidget* surface, Controls& controls) const
    {
        DialogLayout layout = DialogLayout::load(QString::fromLatin1(m_layout));
        buildAndBind(layout, surface, controls);
        return layout;
    }

    // The layout's name, for a base class that builds the layout itself (a settings page).
    QString layoutName() const { return QString::fromLatin1(m_layout); }

private:
    const char* m_layout;
};

} // namespace ui
