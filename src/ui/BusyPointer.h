#pragma once

#include <QGuiApplication>

namespace ui {

// The busy pointer for a stretch of work on the GUI thread; the normal one returns however the
// stretch ends, or earlier with release() (before a message box, say).
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    void release()
    {
        if (m_active) {
            QGuiApplication::restoreOverrideCursor();
            m_active = false;
        }
    }

private:
    bool m_active = true;
};

} // namespace ui
